#!/usr/bin/env bash
# Acceptance against a real print system (needs root for cupsd): a cups-pdf
# queue as the default printer, an X server with a window manager and real
# input. Two program runs on a database of persons with photos:
#  1. one pass from the print window ("Druk"), then many from "Przepustki dla
#     wielu osób" ("Drukuj…");
#  2. the same two the other way round.
# Every PDF that comes out of the queue is checked: the one pass keeps its
# screen size and lies at the shift of (20, 30) typed in the print window, drawn
# at the queue's resolution with its text as text; the many passes are at least
# at the queue's resolution on every page, every person's surname is text, and
# no sheet comes out white.
#   sudo scripts/print_acceptance.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${OUT_DIR:-$(mktemp -d)}"
mkdir -p "$out"

missing=()
for p in cups printer-driver-cups-pdf poppler-utils xvfb openbox xdotool imagemagick x11-utils sqlite3; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

pgrep -x cupsd >/dev/null || { /usr/sbin/cupsd; sleep 2; }
ppd=$(lpinfo -m | awk '/CUPS-PDF/ {print $1; exit}' || true)
lpadmin -p wendolarka-pdf -E -v cups-pdf:/ -m "$ppd"
# The queue takes PostScript: with the default converter the fonts come out as
# Type 3 glyphs that no longer say which characters they are; cairo's keeps them.
lpadmin -p wendolarka-pdf -o pdftops-renderer-default=pdftocairo
lpoptions -d wendolarka-pdf >/dev/null
dpi=$(lpoptions -p wendolarka-pdf -l | sed -n 's/^Resolution.*\*\([0-9]*\)dpi.*/\1/p')
dpi="${dpi:-300}"
pdfdir=$(awk '/^Out / {print $2}' /etc/cups/cups-pdf.conf 2>/dev/null || true)
pdfdir="${pdfdir:-/var/spool/cups-pdf/ANONYMOUS}"
pdfdir="${pdfdir//\$\{HOME\}/$HOME}"
mkdir -p "$pdfdir"
rm -f "$pdfdir"/*.pdf # what comes out now is this run's pages

# Twelve persons, each with a photo of a colour of its own.
db="$out/osoby.db"
rm -f "$db"
sqlite3 "$db" "CREATE TABLE osoby (ID INTEGER PRIMARY KEY,Tytul VARCHAR(30),Imie VARCHAR(30),Nazwisko VARCHAR(30),
 Priorytet VARCHAR(30), Indeks VARCHAR(30), Adres1 VARCHAR(70),Adres2 VARCHAR(70), Telefon1 VARCHAR(70),
 Telefon2 VARCHAR(70), Usluga1 VARCHAR(70), Usluga2 VARCHAR(70), Picture BLOB COLLATE NOCASE);"
persons=0
for name in Adamski Bielik Cichy Dudek Ekiert Filipek Gajda Hojka Iwan Jasny Kowal Lis; do
  persons=$((persons + 1))
  convert -size 90x120 "xc:hsl($((persons * 30)),80%,45%)" -fill white -draw "circle 45,45 45,20" \
    -draw "ellipse 45,120 35,40 180,360" "$out/photo$persons.jpg"
  sqlite3 "$db" "INSERT INTO osoby (Tytul,Imie,Nazwisko,Priorytet,Telefon1,Picture)
    VALUES ('Pan','Osoba $persons','$name','A','600 100 $persons',readfile('$out/photo$persons.jpg'));"
done

Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$out/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do [ -s "$out/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$out/display")"
. tests/acceptance/lib.sh

# A window by its title; a program that stops answering shows no window in time.
window() { { timeout 20 xdotool search --sync --name "$1" || true; } | head -1; }
shot() { import -window root "$out/$1.png"; }

run_program() {
  start_program
  trap 'kill $app $wm $xvfb 2>/dev/null || true' EXIT
  main=$(window "Wendolarka wer. 1.4")
  xdotool windowactivate --sync "$main"
  # Baza -> Otwórz bazę, the path typed into the file dialog.
  xdotool key --window "$main" ctrl+o; sleep 1
  xdotool type --delay 20 "$db"; xdotool key Return; sleep 1.5
  # Formatka I -> Pokaż standardową formatkę I: the pass the print window prints
  # and the many passes are drawn from.
  xdotool windowactivate --sync "$main"
  xdotool key alt+f; sleep 0.5; xdotool key p; sleep 1
}

stop_program() {
  kill "$app" "$wm" 2>/dev/null || true
  wait "$app" "$wm" 2>/dev/null || true
}

# The next PDF out of the queue as $out/$1.pdf: a file there and no job left.
take_pdf() {
  local f
  for _ in $(seq 1 60); do
    f=$(ls "$pdfdir"/*.pdf 2>/dev/null | head -1 || true)
    if [ -n "$f" ] && [ -z "$(lpstat -o wendolarka-pdf 2>/dev/null)" ]; then
      mv "$f" "$out/$1.pdf"
      return 0
    fi
    sleep 1
  done
  fail "no PDF came out of the queue for $1"
  return 1
}

# Formatka I -> Pionowy podgląd i druk: the shift typed into the bar at the
# bottom of the print window, "Druk", the print dialog accepted, the window closed.
print_one() {
  xdotool windowactivate --sync "$main"
  xdotool key alt+f; sleep 0.5; xdotool key d; sleep 2
  local dr left bar
  dr=$(window "Podgląd i wydruk")
  [ -n "$dr" ] || { fail "$1: no print window"; return 0; }
  eval "$(xdotool getwindowgeometry --shell "$dr")"
  eval "$(at "$dr")" # after the geometry: its X and Y are off under reparenting
  left=$X bar=$((Y + HEIGHT - 19))
  xdotool mousemove $((left + 140)) $bar click --repeat 3 1; xdotool type 20; sleep 0.3
  xdotool mousemove $((left + 220)) $bar click --repeat 3 1; xdotool type 30; sleep 0.5
  xdotool mousemove $((left + 48)) $bar click 1; sleep 2
  shot "$1-dialog"
  xdotool key Return
  take_pdf "$1" || true
  xdotool windowactivate --sync "$dr"; xdotool key alt+z; sleep 1
}

# Formatka I -> Przepustki dla wielu osób: all persons, as many on a sheet as
# fit; "Drukuj…", the print dialog accepted, the window closed.
print_many() {
  xdotool windowactivate --sync "$main"
  xdotool key alt+f; sleep 0.5; xdotool key w; sleep 2
  local many
  many=$(window "dla wielu osób")
  [ -n "$many" ] || { fail "$1: no window for many passes"; return 0; }
  shot "$1-window"
  xdotool windowactivate --sync "$many"; xdotool key alt+d; sleep 2
  shot "$1-dialog"
  xdotool key Return
  # The standard layout cuts long names: the window names those persons and asks whether to print.
  local ask
  ask=$({ timeout 5 xdotool search --sync --name "^Confirm$" || true; } | head -1)
  if [ -n "$ask" ]; then
    shot "$1-question"
    xdotool windowactivate --sync "$ask"; xdotool key Return
  fi
  take_pdf "$1" || true
  shot "$1-printed"
  xdotool windowactivate --sync "$many"; xdotool key alt+z; sleep 1
}

# Pictures of each page of a PDF: "page count min-ppi max-ppi", pages without any included.
pictures_by_page() {
  local pages
  pages=$(pdfinfo "$1" | awk '/^Pages:/{print $2}')
  pdfimages -list "$1" | awk -v pages="$pages" 'NR > 2 && $3 != "smask" {
      n[$1]++
      lo = ($13 < $14 ? $13 : $14); hi = ($13 > $14 ? $13 : $14)
      if (!($1 in min) || lo < min[$1]) min[$1] = lo
      if (!($1 in max) || hi > max[$1]) max[$1] = hi
    }
    END { for (p = 1; p <= pages; p++) print p, n[p] + 0, (p in min ? min[p] : 0), (p in max ? max[p] : 0) }'
}

check_one() {
  local pdf="$out/$1.pdf" edge
  [ -f "$pdf" ] || return 0
  while read -r page count lo hi; do
    echo "$1: page $page, $count picture(s) at $lo..$hi ppi"
    [ "$count" -ge 1 ] || fail "$1: page $page has no pass"
    # The pass's own pixels at the queue's resolution (a photo on it may have fewer).
    [ "$hi" -ge $((dpi * 97 / 100)) ] || fail "$1: page $page drawn at $hi ppi, under the queue's $dpi dpi"
  done < <(pictures_by_page "$pdf")
  pdftotext "$pdf" - | grep -q "Nazwisko" || fail "$1: the pass's text is not text"
  # Ramka1 (blue, 3 pixels wide) lies at (24, 40) on the pass: (44, 70) on the sheet.
  # The first blue pixel of row 100 from the left is the frame's outer edge, at 44.
  pdftoppm -r 96 -png -singlefile "$pdf" "$out/$1"
  edge=$(convert "$out/$1.png" -crop 200x1+0+100 txt: |
           awk -F'[,:() ]+' 'NR > 1 && $5 + 0 > 180 && $3 + 0 < 80 {print $1; exit}' || true)
  echo "$1: left edge of the blue frame on row 100 at ${edge:-none} (expected 44)"
  [ -n "$edge" ] && [ "$edge" -ge 43 ] && [ "$edge" -le 45 ] ||
    fail "$1: the pass is not at its screen size, shifted by (20, 30) from the sheet's corner"
}

check_many() {
  local pdf="$out/$1.pdf" total=0 png inked page count lo hi
  local -a on_page
  [ -f "$pdf" ] || return 0
  while read -r page count lo hi; do
    echo "$1: page $page, $count picture(s) at $lo..$hi ppi"
    on_page[page]=$count
    total=$((total + count))
    [ "$count" -gt 0 ] || fail "$1: page $page has no passes"
    # A little slack for the PDF's rounding of the placement; the photos have their own pixels.
    [ "$hi" -ge $((dpi * 97 / 100)) ] || fail "$1: page $page has passes at $hi ppi, under the queue's $dpi dpi"
  done < <(pictures_by_page "$pdf")
  # Each pass: its pixels and its photo.
  [ "$total" -eq $((2 * persons)) ] || fail "$1: $total pictures printed for $persons persons with photos"
  for name in Adamski Bielik Cichy Dudek Ekiert Filipek Gajda Hojka Iwan Jasny Kowal Lis; do
    pdftotext "$pdf" - | grep -q "$name" || fail "$1: $name is not in the text"
  done
  pdftoppm -r 50 -png "$pdf" "$out/$1-sheet"
  page=0
  for png in "$out/$1"-sheet-*.png; do
    page=$((page + 1))
    # Share of the sheet darker than near-white, in thousandths. A pass of the
    # standard template at its size inks about 5 of them; one blown up past the
    # sheet leaves it white.
    inked=$(convert "$png" -colorspace Gray -threshold 95% -format '%[fx:round(1000*(1-mean))]' info:)
    echo "$1: sheet $page: $inked thousandths not white for ${on_page[page]:-0} passes"
    [ "$inked" -ge $((2 * ${on_page[page]:-1})) ] || fail "$1: sheet $page is (nearly) white"
  done
}

run_program
print_one one-first
print_many many-after-one
stop_program

run_program
print_many many-first
print_one one-after-many
stop_program

check_one one-first
check_many many-after-one
check_many many-first
check_one one-after-many
echo "queue at $dpi dpi; PDFs and screenshots in $out; failures: $failures"
exit $failures
