#!/usr/bin/env bash
# Acceptance from a shell: person lists into a new database with --import, then
# --batch prints everyone with their photos.
#  1. a Windows-1250 list with ";" and Polish titles, photos from a folder matched
#     by Indeks or by name (any case, with or without diacritics, " ", "_" or "."
#     between), one photo matching nobody;
#  2. a UTF-8 list with "," and a photo column (a path relative to the list and an
#     absolute one), a letter Windows-1250 lacks;
#  3. the first list again: everyone already stored, nothing to add;
#  4. wrong arguments, a missing list, a missing photo file;
#  5. --batch on the database: one pass a person, each with its own photo, in the
#     order of surnames, on as many A4 sheets as 2 x 2 passes a sheet make.
# The lists and the checks run without a screen; only the template for --batch is
# the program's standard pass saved through its window, so an X server is needed:
# Usage: xvfb-run -a -s "-screen 0 1920x1080x24" tests/acceptance/person_lists_shell.sh [build dir]
set -euo pipefail
build="${1:-build}"
program="$(cd "$build" && pwd)/src/app/wendolarka"
out="${OUT_DIR:-$(mktemp -d)}"
mkdir -p "$out"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Each person's photo is a flat colour of its own, told apart again in the database and on the passes.
declare -A colour=(
    [Żółtowska]="rgb(220,40,40)" [Brzęczyszczykiewicz]="rgb(240,150,30)" [Ćwik]="rgb(210,210,40)"
    [Nowak]="rgb(40,170,70)" [Kierkegaard]="rgb(40,180,200)" [Kowalska]="rgb(160,70,210)"
    [Zieliński]="rgb(240,110,180)")
photo() { convert -size 90x120 "xc:${colour[$1]}" "$2"; }

# 1. What a Polish spreadsheet saves as CSV: Windows-1250, ";", CRLF.
mkdir -p "$out/kadry/zdjecia"
printf '%s\r\n' "Tytuł;Imię;Nazwisko;Nr ewidencyjny;Stanowisko;Telefon" \
    "Pani;Łucja;Żółtowska;P-001;Księgowość;600 100 200" \
    "Pan;Grzegorz;Brzęczyszczykiewicz;P-002;Magazyn;600 100 201" \
    "Pani;Agnieszka;Ćwik;P-003;\"Ochrona; portiernia\";" \
    "Pan;Józef;Nowak;P-004;Kierowca;600 100 203" | iconv -f utf-8 -t cp1250 >"$out/kadry/lista.csv"
photo Żółtowska "$out/kadry/zdjecia/P-001.jpg"                        # by Indeks
photo Brzęczyszczykiewicz "$out/kadry/zdjecia/Brzęczyszczykiewicz Grzegorz.png" # Nazwisko Imię
photo Ćwik "$out/kadry/zdjecia/agnieszka_cwik.bmp"                      # imię_nazwisko, no diacritics
photo Nowak "$out/kadry/zdjecia/NOWAK.JOZEF.jpg"                        # capitals, "." between
convert -size 90x120 xc:gray "$out/kadry/zdjecia/nieznany.png"           # nobody's

# 2. A UTF-8 export with "," and a photo column.
mkdir -p "$out/dzial/zdjecia" "$out/inne"
printf '%s\n' "Imię,Nazwisko,Indeks,Stanowisko,Zdjęcie" \
    "Søren,Kierkegaard,U-101,\"Filozof, doradca\",zdjecia/soren.png" \
    "Anna,Kowalska,U-102,Kadry,$out/inne/anna.jpg" \
    "Piotr,Zieliński,U-103,IT,zdjecia/piotr.gif" >"$out/dzial/lista.csv"
photo Kierkegaard "$out/dzial/zdjecia/soren.png"
photo Kowalska "$out/inne/anna.jpg"
photo Zieliński "$out/dzial/zdjecia/piotr.gif"

db="$out/osoby.db"
rm -f "$db"
# One command-line run without a screen: code, standard output and error kept.
run() {
    set +e
    env -u DISPLAY "$program" "$@" >"$out/stdout" 2>"$out/stderr"
    code=$?
    set -e
    stdout=$(cat "$out/stdout")
    stderr=$(cat "$out/stderr")
}
expect() { # code, standard output, what was run
    [ "$code" -eq "$1" ] || fail "$3: exit code $code, expected $1 (stderr: $stderr)"
    [ "$stdout" = "$2" ] || fail "$3: printed '$stdout', expected '$2'"
}
persons_in() { grep -c . <(tail -n +2 "$1"); }

run --import "$out/kadry/lista.csv" --database "$db" --photos "$out/kadry/zdjecia"
echo "1. Windows-1250 list, photos from a folder: code $code: $stdout"
sed "s/^/   /" "$out/stderr"
n=$(persons_in "$out/kadry/lista.csv")
expect 0 "Dodano $n osoby, $n ze zdjęciem; zdjęć bez osoby: 1." "the Windows-1250 list"
grep -q "nieznany.png nie pasuje do nikogo z listy" <<<"$stderr" ||
    fail "the photo matching nobody is not named on standard error"
sqlite3 "$db" .tables | grep -qw osoby || fail "the new database has no table osoby"

run --import "$out/dzial/lista.csv" --database "$db"
echo "2. UTF-8 list with a photo column: code $code: $stdout"
sed "s/^/   /" "$out/stderr"
n=$(persons_in "$out/dzial/lista.csv")
expect 0 "Dodano $n osoby, $n ze zdjęciem." "the UTF-8 list"
# One line names the list, the row, the field and the letter.
grep "lista.csv" <<<"$stderr" | grep "wiersz 2" | grep "Imię" | grep -q "U+00F8" ||
    fail "the replaced ø is not reported with its list, row and field"

before=$(md5sum <"$db")
run --import "$out/kadry/lista.csv" --database "$db"
echo "3. the first list again: code $code: $stdout"
n=$(persons_in "$out/kadry/lista.csv")
expect 3 "Dodano 0 osób, 0 ze zdjęciem; pominięto $n osoby już zapisane." "the first list again"
[ "$(md5sum <"$db")" = "$before" ] || fail "importing only stored persons changed the database"

run --import "$out/kadry/lista.csv" --photos "$out/kadry/zdjecia"
echo "4. without --database: code $code: $stderr"
expect 2 "" "--import without --database"
[ "$(wc -l <"$out/stderr")" -eq 1 ] && [[ $stderr == "wendolarka: "* ]] || fail "not one 'wendolarka: ' line: $stderr"
run --import "$out/brak.csv" --database "$db"
echo "   a missing list: code $code: $stderr"
expect 1 "" "a missing list"
grep -q "brak.csv" <<<"$stderr" || fail "the missing list is not named"
[ "$(md5sum <"$db")" = "$before" ] || fail "a refused list changed the database"
printf '%s\n' "Imię;Nazwisko;Zdjęcie" "Ewa;Lis;zdjecia/soren.png" "Olga;Sowa;zdjecia/nie_ma.jpg" >"$out/dzial/braki.csv"
run --import "$out/dzial/braki.csv" --database "$out/inna.db"
echo "   a missing photo file: code $code: $stdout"
sed "s/^/   /" "$out/stderr"
expect 0 "Dodano 2 osoby, 1 ze zdjęciem; bez zdjęcia: 1." "a list naming a missing photo"
grep -q "nie_ma.jpg" <<<"$stderr" || fail "the missing photo file is not named on standard error"

# What the database holds: the texts in Windows-1250, every photo a JPEG of its person's colour.
echo "the database:"
sqlite3 -separator ';' "$db" "SELECT Tytul, Imie, Nazwisko, Indeks, Usluga1, Telefon1 FROM osoby ORDER BY ID" |
    iconv -f cp1250 -t utf-8 | sed 's/^/   /'
[ "$(sqlite3 "$db" "SELECT Imie FROM osoby WHERE Indeks = 'U-101'")" = "Soren" ] || fail "ø not stored as o"
[ "$(sqlite3 "$db" "SELECT Usluga1 FROM osoby WHERE Indeks = 'P-003'" | iconv -f cp1250 -t utf-8)" = "Ochrona; portiernia" ] ||
    fail "a quoted ';' did not stay inside its cell"
[ "$(sqlite3 "$db" "SELECT Telefon1 FROM osoby WHERE Indeks = 'P-003'")" = " " ] || fail "an empty cell is not stored as one blank"
mean_rgb() { convert "$1" -resize '1x1!' -format '%[fx:round(255*r)] %[fx:round(255*g)] %[fx:round(255*b)]' info:; }
near() { # "r g b" and "rgb(r,g,b)" within 25 a channel
    local a b
    read -r -a a <<<"$1"
    IFS=', ' read -r -a b <<<"$(tr -d 'rgb()' <<<"$2")"
    for i in 0 1 2; do [ $(( a[i] > b[i] ? a[i] - b[i] : b[i] - a[i] )) -le 25 ] || return 1; done
}
listed=0 unlisted=()
while IFS='|' read -r id surname; do
    surname=$(iconv -f cp1250 -t utf-8 <<<"$surname")
    if [ -z "${colour[$surname]:-}" ]; then
        # A new database starts with the sample person "Utwórz nową bazę" writes: first, without a photo.
        unlisted+=("$surname")
        [ "$id" -eq 1 ] && [ "$(sqlite3 "$db" "SELECT Picture IS NULL FROM osoby WHERE ID = 1")" = 1 ] ||
            fail "$surname (ID $id) is in the database but on no list"
        continue
    fi
    listed=$((listed + 1))
    sqlite3 "$db" "SELECT writefile('$out/stored-$id.jpg', Picture) FROM osoby WHERE ID = $id" >/dev/null
    [ "$(head -c 3 "$out/stored-$id.jpg" | od -An -tx1 | tr -d ' ')" = "ffd8ff" ] || { fail "$surname: photo not a JPEG"; continue; }
    got=$(mean_rgb "$out/stored-$id.jpg")
    near "$got" "${colour[$surname]}" || fail "$surname: stored photo of colour $got, not its own ${colour[$surname]}"
done < <(sqlite3 "$db" "SELECT ID, Nazwisko FROM osoby")
stored=$(sqlite3 "$db" "SELECT count(*) FROM osoby")
[ "$listed" -eq ${#colour[@]} ] || fail "$listed listed persons stored, expected ${#colour[@]}"
[ ${#unlisted[@]} -le 1 ] || fail "persons on no list: ${unlisted[*]}"
[ ${#unlisted[@]} -eq 0 ] || echo "note: the new database also holds its sample person ${unlisted[*]}, printed without a photo"

# 5. The template: the program's standard pass, saved through its window.
. "$(dirname "$0")/lib.sh"
start_program
main=$(xdotool search --sync --name "Wendolarka wer. 1.4" | head -1)
xdotool windowactivate --sync "$main"
xdotool key alt+f; sleep 0.5; xdotool key p; sleep 1                    # Pokaż standardową formatkę I
xdotool windowactivate --sync "$main"
xdotool key alt+f; sleep 0.5; xdotool key z; sleep 1                    # Zapisz formatkę jako wzorzec
xdotool type --delay 20 "$out/karta.wzo"; xdotool key Return
for _ in $(seq 1 20); do [ -s "$out/karta.wzo" ] && break; sleep 0.5; done
import -window root "$out/template-saved.png"
kill "$app" "$wm" 2>/dev/null || true
[ -s "$out/karta.wzo" ] || { fail "the standard pass was not saved as a template"; exit $failures; }

run --batch "$out/karta.wzo" --database "$db" --out "$out/przepustki.pdf" --per-page 2x2
echo "5. --batch: code $code${stderr:+: $stderr}"
[ "$code" -eq 0 ] || fail "--batch: exit code $code (stderr: $stderr)"
case "$stdout" in "Zapisano "*" do $out/przepustki.pdf") ;; *) fail "--batch: printed '$stdout'" ;; esac
pages=$(pdfinfo "$out/przepustki.pdf" | awk '/^Pages:/{print $2}')
# Every pass draws the picture all passes share once, then its person's photo (a JPEG, as
# stored) over it: the shared picture is the one drawn most often, and each draw starts a pass.
list_pictures() { pdfimages "$@" -list "$out/przepustki.pdf" | awk 'NR > 2 && $3 != "smask"'; }
shared=$(list_pictures | awk '$9 != "jpeg" {n[$11]++} END {for (o in n) if (n[o] > most) {most = n[o]; id = o}; print id}')
echo "   $pages pages; passes a page: $(list_pictures | awk -v s="$shared" '$11 == s {n[$1]++} END {for (p in n) printf "%s:%s ", p, n[p]}')"
[ "$pages" -eq $(( (stored + 3) / 4 )) ] || fail "$pages pages for $stored persons at 2 x 2 a sheet"
for p in $(seq 1 "$pages"); do
    on_page=$(list_pictures -f "$p" -l "$p" | awk -v s="$shared" '$11 == s' | wc -l)
    left=$(( stored - 4 * (p - 1) ))
    [ "$on_page" -eq $(( left < 4 ? left : 4 )) ] || fail "page $p has $on_page passes"
done
# Each pass shows one person's colour over a part of it that its photo covers, the others nowhere
# (the sample person has none); the passes come in the order of surnames, as the database sorts them.
share() { convert "$1" -alpha off -fuzz 10% -fill black +opaque "$2" -fill white -opaque "$2" \
            -format '%[fx:round(1000*mean)]' info:; }
rm -f "$out"/pass-*
pdfimages -j "$out/przepustki.pdf" "$out/pass"
shown=()
while read -r photo; do
    if [ "$photo" = - ]; then shown+=("(bez zdjęcia)"); continue; fi
    pass=$(printf '%s/pass-%03d.jpg' "$out" "$photo")
    best="(nikt)" best_share=0 others=0
    for surname in "${!colour[@]}"; do
        s=$(share "$pass" "${colour[$surname]}")
        if [ "$s" -gt "$best_share" ]; then
            [ "$best_share" -gt "$others" ] && others=$best_share
            best=$surname best_share=$s
        elif [ "$s" -gt "$others" ]; then
            others=$s
        fi
    done
    echo "   $(basename "$pass"): $best, ${best_share}‰ of the photo in its colour, ${others}‰ in another's"
    [ "$best_share" -ge 10 ] && [ "$others" -le 3 ] || fail "$(basename "$pass") shows no single person's photo"
    shown+=("$best")
done < <(list_pictures | awk -v s="$shared" '
    $11 == s { if (started) print photo; started = 1; photo = "-" }
    $11 != s && $9 == "jpeg" { photo = $2 }
    END { if (started) print photo }')
expected=""
while read -r surname; do
    surname=$(iconv -f cp1250 -t utf-8 <<<"$surname")
    if [ -n "${colour[$surname]:-}" ]; then expected+="$surname "; else expected+="(bez zdjęcia) "; fi
done < <(sqlite3 "$db" "SELECT Nazwisko FROM osoby ORDER BY Nazwisko")
[ "${shown[*]} " = "$expected" ] || fail "passes in the order: ${shown[*]}; expected: $expected"
pdftoppm -r 40 -png "$out/przepustki.pdf" "$out/sheet"
echo "database, PDF and pictures in $out; failures: $failures"
exit $failures
