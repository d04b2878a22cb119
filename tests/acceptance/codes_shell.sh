#!/usr/bin/env bash
# Acceptance from a shell: a template with a QR code bound to {Indeks} and a
# composed text with the pass number and the validity date, printed for the
# persons of a list:
#  1. the list goes into a new database;
#  2. --batch without --valid-until is refused, naming the field it lacks;
#  3. --batch with --valid-until and --number-from writes the PDF; rasterised at
#     300 dpi every person's code reads back as their Indeks, and the text of
#     the PDF holds each pass's number and the date;
#  4. --export of one person at 300 dpi and at the screen's 96 dpi: the code reads back.
# Runs without a screen.
# Usage: tests/acceptance/codes_shell.sh [build dir]
set -euo pipefail
build="${1:-build}"
program="$(cd "$build" && pwd)/src/app/wendolarka"
template="$(cd "$(dirname "$0")/../data" && pwd)/composed.wzo"
out="${OUT_DIR:-$(mktemp -d)}"
mkdir -p "$out"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export QT_QPA_PLATFORM=offscreen

# 1.
printf '%s\n' "Imię;Nazwisko;Indeks" "Łucja;Żółtowska;K-0031" "Jan;Nowak;K-0007" "Ewa;Ćwik;K-0112" >"$out/lista.csv"
"$program" --import "$out/lista.csv" --database "$out/osoby.db" >"$out/import.txt" 2>&1 || fail "import: $(cat "$out/import.txt")"

# 2.
set +e
"$program" --batch "$template" --database "$out/osoby.db" --out "$out/bez.pdf" 2>"$out/bez.txt"
code=$?
set -e
[ "$code" -eq 2 ] || fail "without --valid-until: exit $code, not 2"
grep -q "WaznaDo" "$out/bez.txt" || fail "without --valid-until the field is not named: $(cat "$out/bez.txt")"
[ ! -e "$out/bez.pdf" ] || fail "a refused run left a file"

# 3.
"$program" --batch "$template" --database "$out/osoby.db" --out "$out/kody.pdf" \
    --valid-until 2027-03-31 --number-from 0001 >"$out/batch.txt" 2>&1 || fail "batch: $(cat "$out/batch.txt")"
pdftoppm -r 300 -png "$out/kody.pdf" "$out/strona"
read_codes=$(for page in "$out"/strona*.png; do zbarimg -q --raw "$page" 2>/dev/null || true; done | grep '^K-' | sort | tr '\n' ' ')
[ "$read_codes" = "K-0007 K-0031 K-0112 " ] || fail "codes read back at 300 dpi: '$read_codes'"
text=$(pdftotext "$out/kody.pdf" -)
for number in 0001 0002 0003; do
    grep -q "Nr $number, ważna do 2027-03-31" <<<"$text" || fail "the PDF's text lacks pass $number"
done
grep -q "Łucja Żółtowska" <<<"$text" || fail "the composed name is not text in the PDF"

# 4. Ewa Ćwik by her number in the database.
ewa=$(sqlite3 "$out/osoby.db" "select ID from osoby where Indeks = 'K-0112'")
for dpi in 300 96; do
    "$program" --export "$template" --database "$out/osoby.db" --id "$ewa" --out "$out/karta$dpi.png" --dpi $dpi \
        --valid-until 2027-03-31 2>"$out/export$dpi.txt" || fail "export at $dpi dpi: $(cat "$out/export$dpi.txt")"
    read_one=$(zbarimg -q --raw "$out/karta$dpi.png" 2>/dev/null || true)
    [ "$read_one" = "K-0112" ] || fail "the code of the exported pass at $dpi dpi reads '$read_one'"
done

echo "codes acceptance: $failures failure(s); files in $out"
exit "$failures"
