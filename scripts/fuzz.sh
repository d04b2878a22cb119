#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while
# (FUZZ_SECONDS, default 30). Does nothing when clang is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzzing skipped"
  exit 0
fi
build_dir="${BUILD_DIR:-build-fuzz}"
CXX=clang++ CC=clang cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DWENDOLARKA_FUZZ=ON -DWENDOLARKA_TESTS=OFF -DWENDOLARKA_BENCH=OFF >/dev/null
targets=(fuzz_pictures fuzz_templates fuzz_rtf fuzz_metafiles fuzz_spreadsheet_list fuzz_delimited_list)
cmake --build "$build_dir" --target "${targets[@]}"
for t in "${targets[@]}"; do
  corpus="$build_dir/corpus/$t"
  mkdir -p "$corpus"
  # The test fixtures seed the corpus; for pictures the first byte picks the reader.
  for f in tests/data/*; do
    case "$t:${f##*.}" in
      fuzz_templates:wzo) cp "$f" "$corpus/" ;;
      fuzz_metafiles:emf | fuzz_metafiles:wmf) cp "$f" "$corpus/" ;;
      fuzz_rtf:rtf) cp "$f" "$corpus/" ;;
      fuzz_pictures:jpg) { printf '\0'; cat "$f"; } > "$corpus/seed-$(basename "$f")" ;;
      fuzz_pictures:bmp) { printf '\1'; cat "$f"; } > "$corpus/seed-$(basename "$f")" ;;
      fuzz_pictures:ico) { printf '\2'; cat "$f"; } > "$corpus/seed-$(basename "$f")" ;;
      fuzz_pictures:emf | fuzz_pictures:wmf) { printf '\3'; cat "$f"; } > "$corpus/seed-$(basename "$f")" ;;
    esac
  done
  # Spreadsheet lists: the first byte picks the kind (0 .xlsx, 1 .ods).
  if [ "$t" = fuzz_spreadsheet_list ]; then
    for f in tests/data/lists/*.xlsx tests/data/lists/*.ods; do
      if [ -f "$f" ]; then
        case "$f" in *.ods) kind='\1' ;; *) kind='\0' ;; esac
        { printf "$kind"; cat "$f"; } > "$corpus/seed-$(basename "$f")"
      fi
    done
  fi
  # Text lists: the first byte picks encoding and delimiter (0: both detected).
  if [ "$t" = fuzz_delimited_list ]; then
    for f in tests/data/lists/*.csv; do
      if [ -f "$f" ]; then
        { printf '\0'; cat "$f"; } > "$corpus/seed-$(basename "$f")"
      fi
    done
  fi
  if [ "$t" = fuzz_rtf ] && [ -f resources/help/wendolarka.rtf ]; then
    cp resources/help/wendolarka.rtf "$corpus/"
  fi
  ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/.ci/lsan.supp" \
    "$build_dir/fuzz/$t" -max_total_time="${FUZZ_SECONDS:-30}" -rss_limit_mb=2048 -timeout=20 -max_len=65536 \
    -artifact_prefix="$build_dir/" "$corpus" > "$build_dir/$t.log" 2>&1 \
    || { tail -60 "$build_dir/$t.log"; exit 1; }
  grep -E "^Done|^#[0-9]+ +DONE" "$build_dir/$t.log" | tail -1
done
