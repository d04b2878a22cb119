#!/usr/bin/env bash
# Acceptance under a real X server and window manager, with real input:
#  1. the highlighted grid row follows the current person (a click, then Down twice), and the
#     pass shows that person; a phrase search and F3 move the highlight to each hit;
#  2. with the border on, a click on a name under it picks that name;
#  3. the record editing window is a tool window with only a close box, 482 x 548 on the frame, in its place;
#  4. the image set window is 443 x 507 on the frame at the desktop's corner, the find dialog centred by its frame.
# Usage: xvfb-run -a -s "-screen 0 1920x1080x24" tests/acceptance/repairs.sh [build dir]
set -euo pipefail
build="${1:-build}"
out="${OUT_DIR:-$(mktemp -d)}"
mkdir -p "$out"
db="$out/osoby.db"
rm -f "$db"
sqlite3 "$db" "CREATE TABLE osoby (ID INTEGER PRIMARY KEY,Tytul VARCHAR(30),Imie VARCHAR(30),Nazwisko VARCHAR(30),
 Priorytet VARCHAR(30), Indeks VARCHAR(30), Adres1 VARCHAR(70),Adres2 VARCHAR(70), Telefon1 VARCHAR(70),
 Telefon2 VARCHAR(70), Usluga1 VARCHAR(70), Usluga2 VARCHAR(70), Picture BLOB COLLATE NOCASE);
 INSERT INTO osoby (Tytul,Imie,Nazwisko,Priorytet) VALUES ('Pan','Adam','Adamski','A'),('Pani','Beata','Bielik','B'),
 ('Pan','Cezary','Cichy','C'),('Pani','Dorota','Dudek','D');"
. "$(dirname "$0")/lib.sh"
start_program
# The frame of a window once it is "w h" large, or as it stands after five seconds: the window
# manager frames a window in its own time, and the program fits the window to the frame after that.
outer_when() { # window, "w h"
    local g=""
    for _ in $(seq 1 10); do
        g=$(outer_of "$1")
        [ "$(echo "$g" | cut -d' ' -f3,4)" = "$2" ] && break
        sleep 0.5
    done
    echo "$g"
}

main=$(xdotool search --sync --name "Wendolarka wer. 1.4" | head -1)
xdotool windowactivate --sync "$main"
# Baza -> Otwórz bazę, the path typed into the file dialog.
xdotool key --window "$main" ctrl+o
sleep 1
xdotool type --delay 20 "$db"
xdotool key Return
sleep 1.5
eval "$(at "$main")"
mx=$X; my=$Y
echo "main window client at $mx,$my"
# The pass window (Formatka I -> Pokaż), beside the main window, to see whom it shows.
xdotool key --window "$main" alt+f
sleep 0.5
xdotool key p
sleep 1
pass=$(xdotool search --sync --name "Szer\." | head -1)
eval "$(at "$pass")"
px=$X; py=$Y
# The pass's surname, lblNazwisko (192, 8, 65 x 13), with a margin: a signature of its pixels.
surname_on_pass() { convert "$out/$1.png" -crop 120x22+$((px + 186))+$((py + 4)) +repage -format "%#" info:; }
xdotool windowactivate --sync "$main"
# The "Baza danych" page: its tab is the fourth, right of the other three.
xdotool mousemove $((mx + 407)) $((my + 31)) click 1
sleep 0.7
shot opened

# The grid's rows: the title row at the top of the page, rows of the default height below it.
# Found from the screenshot: the first row of lime (the surname column) is row 1.
lime() { convert "$out/opened.png" -crop 601x239+${mx}+${my} +repage -fill black +opaque "rgb(0,255,0)" \
           -fill white -opaque "rgb(0,255,0)" -trim -format "$1" info:; }
lime_top=$(lime "%[fx:page.y]")
lime_left=$(lime "%[fx:page.x]")
row_h=$(( $(lime "%h") / 4 ))
echo "grid: first body row at y=$lime_top, surname column at x=$lime_left, row height $row_h"
row_y() { echo $(( my + lime_top + ($1 - 1) * row_h + row_h / 2 )); }
# Column 2 ("Tytuł") lies left of the surname column: its highlight is not painted over.
col_x=$(( mx + lime_left - 60 ))
highlighted() {  # the rows whose Tytuł cell is not white in a screenshot, on one line
    for r in 1 2 3 4; do
        c=$(convert "$out/$1.png" -format "%[pixel:p{$col_x,$(row_y "$r")}]" info:)
        if [ "$c" != "white" ] && [ "$c" != "srgb(255,255,255)" ]; then echo -n "$r "; fi
    done
    return 0
}
xdotool mousemove "$col_x" "$(row_y 1)" click 1
sleep 0.5
shot row-1
xdotool key Down
sleep 0.3
xdotool key Down
sleep 0.5
shot down-twice
rows=$(highlighted down-twice)
echo "highlighted rows after a click on row 1 and Down twice: $rows"
[ "$rows" = "3 " ] || fail "expected only row 3 highlighted, got: $rows"

# F4: the editing window shows row 3's person; it is a tool window 482 x 548 on the frame.
xdotool key F4
sleep 1
edit=$(xdotool search --sync --name "Edycja rekordu" | head -1)
shot editor
# The pass after Down twice shows the person F4 chose on row 3, not the one of row 1.
[ "$(surname_on_pass down-twice)" = "$(surname_on_pass editor)" ] ||
    fail "after Down twice the pass does not show row 3's person"
[ "$(surname_on_pass down-twice)" != "$(surname_on_pass row-1)" ] ||
    fail "after Down twice the pass still shows row 1's person"
read -r ex ey ew eh < <(outer_when "$edit" "482 548")
echo "editing window: frame ${ew}x${eh} at $ex,$ey"
[ "${ew}x${eh}" = "482x548" ] || fail "editing window outer size ${ew}x${eh}, expected 482x548"
# Its frame 70 pixels from the screen's right edge, 100 above the main window's frame (239 high).
screen=$(xdpyinfo | awk '/dimensions:/{print $2}')
[ "$ex,$ey" = "$((${screen%x*} - 482 - 70)),$((${screen#*x} - 548 - 239 - 100))" ] ||
    fail "editing window frame at $ex,$ey, expected $((${screen%x*} - 552)),$((${screen#*x} - 887))"
xprop -id "$edit" _NET_WM_WINDOW_TYPE | grep -q UTILITY || fail "the editing window is not a tool window"
# Only moving, sizing and closing are asked for (a window manager honouring the hints shows only the
# close box; openbox keeps its own buttons whatever a window asks).
xprop -id "$edit" _MOTIF_WM_HINTS | grep -q "0x3, 0x26," || fail "the editing window asks for more than a close box"

# Baza -> Znajdź frazę "Pani": the highlight goes to each hit, rows 2 and 4 (F3).
# The find dialog has a client area of 289 x 204 and its frame centred on the screen.
xdotool windowactivate --sync "$main"
xdotool key --window "$main" alt+b
sleep 0.5
xdotool key n
find=$(window "^Szukanie$")
for _ in $(seq 1 10); do # centred once framed
    sleep 0.5
    read -r fx fy fw fh < <(outer_of "$find")
    off_x=$((2 * fx + fw - ${screen%x*})) off_y=$((2 * fy + fh - ${screen#*x}))
    [ "${off_x#-}" -le 1 ] && [ "${off_y#-}" -le 1 ] && break
done
client=$(xwininfo -id "$find" | awk '/Width:/{w=$2}/Height:/{h=$2}END{print w"x"h}')
echo "find dialog: client $client, frame ${fw}x${fh} at $fx,$fy on $screen"
[ "$client" = "289x204" ] || fail "find dialog client area $client, expected 289x204"
[ "${off_x#-}" -le 1 ] && [ "${off_y#-}" -le 1 ] || fail "find dialog frame ${fw}x${fh} at $fx,$fy is not centred on $screen"
xdotool type --delay 20 "Pani"
eval "$(at "$find")"
xdotool mousemove $((X + 92)) $((Y + 182)) click 1 # OK (48, 170, 89 x 25)
sleep 0.7
shot search-hit
rows=$(highlighted search-hit)
echo "highlighted rows after searching for Pani: $rows"
[ "$rows" = "2 " ] || fail "expected the hit's row 2 highlighted, got: $rows"
xdotool key F3
sleep 0.7
shot next-hit
rows=$(highlighted next-hit)
echo "highlighted rows after F3: $rows"
[ "$rows" = "4 " ] || fail "expected the next hit's row 4 highlighted, got: $rows"

# The standard pass with the border ticked: a click on the surname picks it.
xdotool windowactivate --sync "$main"
# "Elementy widoczne" (the first tab): tick "Obramowanie".
xdotool mousemove $((mx + 60)) $((my + 31)) click 1
sleep 0.5
xdotool mousemove $((mx + 276)) $((my + 170)) click 1
sleep 0.7
shot border-on
frame_pixels() { convert "$1" -fill black +opaque "rgb(255,102,51)" -fill white -opaque "rgb(255,102,51)" \
                   -format "%[fx:round(mean*w*h)]" info:; }
# A quick click on lblNazwisko (192, 8, 65 x 13), which lies under the border: the sizer frames it.
xdotool mousemove $((px + 224)) $((py + 14)) click 1
sleep 0.5
shot picked
# The sizer's frame around the surname only, not around the whole pass.
around=$(convert "$out/picked.png" -crop 75x23+$((px + 187))+$((py + 3)) +repage miff:- | frame_pixels -)
whole=$(convert "$out/picked.png" -crop 376x194+${px}+${py} +repage miff:- | frame_pixels -)
echo "sizer frame pixels around the surname: $around, on the whole pass: $whole"
[ "$around" -gt 50 ] || fail "a click on the surname under the border did not pick it"
[ "$whole" -le "$around" ] || fail "the sizer frames more than the surname"

# The image set window: 443 x 507 on the frame, at the desktop's top-left corner; it hides the pass window.
xdotool windowactivate --sync "$main"
xdotool key --window "$main" alt+m
sleep 0.5
xdotool key p
sleep 1.5
set3=""
for _ in $(seq 1 20); do
    set3=$(xdotool search --onlyvisible --name "Szer\." 2>/dev/null | grep -vx "$pass" | head -1 || true)
    [ -n "$set3" ] && break
    sleep 0.5
done
read -r sx sy sw sh < <(outer_when "$set3" "443 507")
echo "image set window: frame ${sw}x${sh} at $sx,$sy"
[ "$sw $sh $sx $sy" = "443 507 0 0" ] || fail "image set window frame ${sw}x${sh} at $sx,$sy, expected 443x507 at 0,0"

echo "screenshots in $out; failures: $failures"
exit $failures
