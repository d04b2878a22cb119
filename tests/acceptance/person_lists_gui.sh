#!/usr/bin/env bash
# Acceptance under a real X server and window manager, with real input: a person
# list imported through the program's window.
#  1. Ctrl+O opens a database of three persons, the path typed into the file dialog;
#     a click on the last person's row makes it the current one;
#  2. Baza -> Importuj osoby z listy…, the list's path typed into the file dialog;
#     the import dialog fits the screen;
#  3. the column "Karta", which names no field, is mapped to "Indeks" by hand through
#     its drop-down: the preview shows the Indeks values and the stored person it
#     now matches;
#  4. "Wybierz…" and the photo folder typed into the folder dialog: the preview
#     shows the matched photo files;
#  5. "Importuj", the summary confirmed: the database holds the three new persons
#     with their Indeks and photos, the stored one is not doubled, the main window
#     has the focus again;
#  6. the grid shows all six, the current person still current; a click on a new
#     person's row shows its photo on the pass, a click on another's the other photo.
# Usage: xvfb-run -a -s "-screen 0 1920x1080x24" tests/acceptance/person_lists_gui.sh [build dir]
set -euo pipefail
build="${1:-build}"
out="${OUT_DIR:-$(mktemp -d)}"
mkdir -p "$out/baza" "$out/lista" "$out/zdjecia"
db="$out/baza/osoby.db"
rm -f "$db" "$out"/*.png
sqlite3 "$db" "CREATE TABLE osoby (ID INTEGER PRIMARY KEY,Tytul VARCHAR(30),Imie VARCHAR(30),Nazwisko VARCHAR(30),
 Priorytet VARCHAR(30), Indeks VARCHAR(30), Adres1 VARCHAR(70),Adres2 VARCHAR(70), Telefon1 VARCHAR(70),
 Telefon2 VARCHAR(70), Usluga1 VARCHAR(70), Usluga2 VARCHAR(70), Picture BLOB COLLATE NOCASE);
 INSERT INTO osoby (Tytul,Imie,Nazwisko,Priorytet,Indeks) VALUES ('Pan','Adam','Adamski','A',NULL),('Pan','Jan','Nowak','B','K100'),
 ('Pani','Ewa','Zych','C','K200');"
# "Karta" is no field's title: only a choice made by hand makes it the Indeks the photos are named by.
printf '%s\n' "Karta;Imię;Nazwisko;Stanowisko" "K100;Jan;Nowak;Kierowca" "K101;Łucja;Wróbel;Kadry" \
    "K102;Żaneta;Ślusarczyk;Magazyn" "K103;Grzegorz;Pękala;Ochrona" >"$out/lista/osoby.csv"
declare -A colour=([K101]="rgb(220,30,30)" [K102]="rgb(30,160,40)" [K103]="rgb(40,60,210)")
convert -size 120x160 "xc:${colour[K101]}" "$out/zdjecia/K101.png"
convert -size 120x160 "xc:${colour[K102]}" "$out/zdjecia/K102.jpg"
convert -size 120x160 "xc:${colour[K103]}" "$out/zdjecia/K103.bmp"

. "$(dirname "$0")/lib.sh"
start_program
# Pixels near black in a part of a screenshot: text written there (not the grey of a placeholder).
ink() { convert "$1" -crop "$2" +repage -colorspace Gray -threshold 30% -negate -format '%[fx:round(mean*w*h)]' info:; }
# The mean colour of a part of a screenshot as "r g b".
mean_rgb() { convert "$1" -crop "$2" +repage -resize '1x1!' -format '%[fx:round(255*r)] %[fx:round(255*g)] %[fx:round(255*b)]' info:; }
near() { # "r g b" and "rgb(r,g,b)" within 25 a channel
    local a b
    read -r -a a <<<"$1"
    IFS=', ' read -r -a b <<<"$(tr -d 'rgb()' <<<"$2")"
    for i in 0 1 2; do [ $(( a[i] > b[i] ? a[i] - b[i] : b[i] - a[i] )) -le 25 ] || return 1; done
}

# The grid on the "Baza danych" page (the fourth tab of the main window at $mx, $my);
# the surname column is lime, the current row navy.
band() { convert "$out/$1.png" -crop 601x239+${mx}+${my} +repage -fuzz 3% -fill black +opaque "$2" \
           -fill white -opaque "$2" -trim -format "$3" info:; }
# The grid lists by surname as the database sorts them.
row_of() { sqlite3 "$db" "SELECT Indeks FROM osoby ORDER BY Nazwisko" | grep -nx "$1" | cut -d: -f1; }
row_y() { echo $(( my + lime_top + ($1 - 1) * pitch + pitch / 2 )); }

# 1. Baza -> Otwórz bazę (Ctrl+O), the path typed; the last person chosen in the grid, one
# whose row the new persons move down.
main=$(window "Wendolarka wer. 1.4")
xdotool windowactivate --sync "$main"
xdotool key --window "$main" ctrl+o
sleep 1
xdotool type --delay 20 "$db"
xdotool key Return
sleep 1.5
eval "$(at "$main")"
mx=$X; my=$Y
xdotool mousemove $((mx + 407)) $((my + 31)) click 1
sleep 0.7
shot opened
persons=$(sqlite3 "$db" "SELECT count(*) FROM osoby")
lime_top=$(band opened "rgb(0,255,0)" "%[fx:page.y]"); lime_left=$(band opened "rgb(0,255,0)" "%[fx:page.x]")
# Rows one pixel of grid line apart.
pitch=$(( ($(band opened "rgb(0,255,0)" "%h") + 1) / persons ))
echo "grid: $persons rows of $pitch pixels from y=$lime_top"
xdotool mousemove $((mx + lime_left - 60)) "$(row_y "$(row_of K200)")" click 1
sleep 0.7

# 2. Baza -> Importuj osoby z listy…: the dialog opens in the database's folder, the list's
# full path is typed.
xdotool windowactivate --sync "$main"
xdotool key alt+b; sleep 0.5; xdotool key i; sleep 1.5
shot list-dialog
xdotool type --delay 20 "$out/lista/osoby.csv"
xdotool key Return
dialog=$(window "Importuj osoby z listy – osoby.csv")
if [ -z "$dialog" ]; then
    shot no-import-dialog
    fail "no import dialog after the list's path and Return (no-import-dialog.png)"
    exit $failures
fi
sleep 1
shot import-dialog
read -r fx fy fw fh < <(outer_of "$dialog")
echo "import dialog: frame ${fw}x${fh} at $fx,$fy"
screen=$(xdpyinfo | awk '/dimensions:/{print $2}')
[ "$fx" -ge 0 ] && [ "$fy" -ge 0 ] && [ $((fx + fw)) -le "${screen%x*}" ] && [ $((fy + fh)) -le "${screen#*x}" ] ||
    fail "the import dialog (${fw}x${fh} at $fx,$fy) does not fit the $screen screen"
eval "$(at "$dialog")"
dx=$X; dy=$Y
# The preview's rows below its title row, the whole width of the dialog's table.
rows_area="912x124+$((dx + 24))+$((dy + 378))"
ink_before=$(ink "$out/import-dialog.png" "$rows_area")

# 3. The drop-down of the first column ("Karta"), opened by a click; "Indeks" is the
# sixth choice after "— pomiń —", chosen with the keys.
windows=$(xdotool search --onlyvisible --pid "$app" | wc -l)
xdotool mousemove $((dx + 854)) $((dy + 101)) click 1
sleep 0.7
shot field-choices
[ "$(xdotool search --onlyvisible --pid "$app" | wc -l)" -gt "$windows" ] ||
    fail "a click on the first column's field opened no list of choices (field-choices.png)"
for _ in 1 2 3 4 5; do xdotool key Down; sleep 0.1; done
xdotool key Return
sleep 0.7
shot mapped
ink_mapped=$(ink "$out/mapped.png" "$rows_area")
echo "ink in the preview rows: $ink_before before the mapping, $ink_mapped after"
[ "$ink_mapped" -gt $((ink_before + 40)) ] || fail "the preview did not take in the Indeks column (mapped.png)"

# 4. "Wybierz…" (Alt+W) and the folder typed into the folder dialog.
xdotool key alt+w
folder=$(window "Folder ze zdjęciami osób")
[ -n "$folder" ] || fail "no folder dialog after Alt+W"
sleep 0.5
xdotool type --delay 20 "$out/zdjecia"
sleep 0.5
shot folder-dialog
xdotool key Return
sleep 1
shot photos-chosen
ink_photos=$(ink "$out/photos-chosen.png" "$rows_area")
echo "ink in the preview rows with the photo folder: $ink_photos"
[ "$ink_photos" -gt $((ink_mapped + 40)) ] || fail "the preview shows no matched photos (photos-chosen.png)"
# The folder field holds the folder typed.
folder_field=$(ink "$out/photos-chosen.png" "500x16+$((dx + 192))+$((dy + 526))")
[ "$folder_field" -gt 50 ] || fail "the photo folder field is empty (photos-chosen.png)"

# 5. Importuj (Alt+I), then the summary.
xdotool key alt+i
summary=$(window "^Information$")
sleep 0.5
shot summary
if [ -z "$summary" ]; then
    fail "no summary after Importuj (summary.png)"
else
    xdotool key Return
    sleep 1
fi
[ -z "$(xdotool search --onlyvisible --name "Importuj osoby z listy" 2>/dev/null || true)" ] ||
    fail "the import dialog is still open after the summary"
[ "$(xdotool getactivewindow)" = "$main" ] || fail "the main window did not get the focus back after the summary"
echo "the database after the import:"
sqlite3 -separator ';' "$db" "SELECT ID, Imie, Nazwisko, Indeks, Usluga1, length(Picture) FROM osoby ORDER BY ID" |
    iconv -f cp1250 -t utf-8 | sed 's/^/   /'
[ "$(sqlite3 "$db" "SELECT count(*) FROM osoby")" -eq 6 ] || fail "not the 3 stored and 3 new persons"
[ "$(sqlite3 "$db" "SELECT count(*) FROM osoby WHERE Indeks = 'K100'")" -eq 1 ] || fail "the stored person was added again"
for k in "${!colour[@]}"; do
    sqlite3 "$db" "SELECT writefile('$out/stored-$k.jpg', Picture) FROM osoby WHERE Indeks = '$k'" >/dev/null
    if [ ! -s "$out/stored-$k.jpg" ]; then
        fail "$k: stored without a photo"
        continue
    fi
    got=$(convert "$out/stored-$k.jpg" -resize '1x1!' -format '%[fx:round(255*r)] %[fx:round(255*g)] %[fx:round(255*b)]' info:)
    near "$got" "${colour[$k]}" || fail "$k: the stored photo is $got, not ${colour[$k]}"
done

# 6. The grid: all persons, the one chosen before still the current row.
shot grid
persons=$(sqlite3 "$db" "SELECT count(*) FROM osoby")
# The last row may lie partly under the window's lower edge: a part of a row counts.
rows=$(( ($(band grid "rgb(0,255,0)" "%h") + pitch) / pitch ))
current=$(( ($(band grid "rgb(0,0,128)" "%[fx:page.y]") - lime_top) / pitch + 1 ))
echo "grid after the import: $rows rows, row $current current"
[ "$rows" -eq "$persons" ] || fail "the grid shows $rows rows for $persons persons (grid.png)"
[ "$current" -eq "$(row_of K200)" ] || fail "row $current is current, not the chosen person's row $(row_of K200) (grid.png)"

# Formatka I -> Pokaż standardową formatkę I, then a click on a person's row.
xdotool windowactivate --sync "$main"
xdotool key alt+f; sleep 0.5; xdotool key p; sleep 1
pass=$(window "Szer\.")
eval "$(at "$pass")"
px=$X; py=$Y
for k in K101 K103; do
    xdotool mousemove $((mx + lime_left - 60)) "$(row_y "$(row_of "$k")")" click 1
    sleep 1
    shot "pass-$k"
    # Inside the photo box (Ramka1 at 24, 40 on the pass).
    got=$(mean_rgb "$out/pass-$k.png" "20x20+$((px + 46))+$((py + 67))")
    echo "pass after a click on row $(row_of "$k") ($k): photo box $got"
    near "$got" "${colour[$k]}" || fail "$k: the pass shows $got in the photo box, not the photo's ${colour[$k]} (pass-$k.png)"
done
echo "screenshots in $out; failures: $failures"
exit $failures
