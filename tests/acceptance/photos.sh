#!/usr/bin/env bash
# Acceptance under a real X server and window manager, with real input: photos
# cut to the pass's photo element.
#  1. a person added in the editing window with a landscape 4000 x 3000 photograph
#     of one face (Debian's opencv-doc messi5.jpg, enlarged): the photo editor opens
#     with the frame around the face; arrow keys move the frame; after OK the stored
#     photo is a JPEG of at most 1024 pixels with the photo element's 48:60, and the
#     pass shows it in its photo box as stored, not the whole photo squeezed;
#  2. a PNG photo without a face: the frame starts centred on the upper part; after
#     Anuluj the photo as taken in is stored, as a JPEG;
#  3. without a camera "Zdjęcie z kamery…" says "Nie znaleziono kamery." and the
#     window, its photo and the database stay as they were;
#  4. "Dopasuj zdjęcia wszystkich osób…" on a database of two landscape photos: the
#     contact sheet shows both, one is unticked, "Zapisz zaznaczone": only the other
#     photo is stored anew, in 48:60.
# The texts shown are read through the program's accessibility bridge (dbus, at-spi2-core,
# python3-dbus); the photograph comes from opencv-doc.
# Usage: xvfb-run -a -s "-screen 0 1920x1080x24" tests/acceptance/photos.sh [build dir]
set -euo pipefail
build="${1:-build}"
out="${OUT_DIR:-$(mktemp -d)}"
mkdir -p "$out"
messi=/usr/share/doc/opencv-doc/examples/data/messi5.jpg
if [ ! -f "$messi" ]; then
    echo "no $messi: install opencv-doc"
    exit 1
fi
rm -f "$out"/*.png "$out"/*.jpg "$out"/*.db
schema="CREATE TABLE osoby (ID INTEGER PRIMARY KEY,Tytul VARCHAR(30),Imie VARCHAR(30),Nazwisko VARCHAR(30),
 Priorytet VARCHAR(30), Indeks VARCHAR(30), Adres1 VARCHAR(70),Adres2 VARCHAR(70), Telefon1 VARCHAR(70),
 Telefon2 VARCHAR(70), Usluga1 VARCHAR(70), Usluga2 VARCHAR(70), Picture BLOB COLLATE NOCASE);"
db="$out/osoby.db"
sqlite3 "$db" "$schema INSERT INTO osoby (Tytul,Imie,Nazwisko,Priorytet) VALUES ('Pan','Adam','Adamski','A');"

# The photograph (548 x 342) enlarged evenly and cut to 4000 x 3000, so the face keeps
# its shape: 3000 / 342 times, less 404 pixels on the left. Its face, seen by eye in
# the photograph at 222, 90, 44 x 44 (brows to chin), lies here:
convert "$messi" -resize 4808x3000 -gravity center -crop 4000x3000+0+0 +repage -quality 92 "$out/landscape.jpg"
face_x=1544 face_y=789 face_side=386
# A landscape PNG with nothing like a face in it.
convert -size 1200x900 gradient:skyblue-darkgreen -fill orange -draw "rectangle 100,600 400,800" "$out/no-face.png"

# A session bus of its own, for the program's accessibility bridge the texts are read by.
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*} QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
bus_pid=${bus##*$'\n'}
. "$(dirname "$0")/lib.sh"
start_program
trap 'kill $app $wm $bus_pid 2>/dev/null || true' EXIT
screen=$(xdpyinfo | awk '/dimensions:/{print $2}')
fits_screen() { # window, what it is
    local fx fy fw fh
    read -r fx fy fw fh < <(outer_of "$1")
    echo "$2: frame ${fw}x${fh} at $fx,$fy"
    [ "$fx" -ge 0 ] && [ "$fy" -ge 0 ] && [ $((fx + fw)) -le "${screen%x*}" ] && [ $((fy + fh)) -le "${screen#*x}" ] ||
        fail "$2 (${fw}x${fh} at $fx,$fy) does not fit the $screen screen"
}
# The bounding box "w h x y" of the pixels of one colour in a part of a screenshot.
bbox() { convert "$1" -crop "$2" +repage -fill black +opaque "$3" -fill white -opaque "$3" -trim \
           -format '%w %h %[fx:page.x] %[fx:page.y]\n' info: 2>/dev/null; }
# The texts of the program's windows with a title, as it tells assistive technologies.
# A window just shown may not have told them yet.
texts_of() {
    local said=""
    for _ in $(seq 1 10); do
        said=$(/usr/bin/python3 "$(dirname "$0")/window_texts.py" "$1" 2>&1 || true)
        [ -n "$said" ] && break
        sleep 0.5
    done
    echo "$said"
}
# A stored photo: "<first three bytes in hex> <width> <height>".
stored() { # where clause, file name
    sqlite3 "$db" "SELECT writefile('$out/$2', Picture) FROM osoby WHERE $1" >/dev/null
    echo "$(sqlite3 "$db" "SELECT hex(substr(Picture, 1, 3)) FROM osoby WHERE $1")" \
        "$(identify -format '%w %h' "$out/$2" 2>/dev/null || echo '0 0')"
}
database_now() { sqlite3 "$db" "SELECT ID, Nazwisko, hex(Picture) FROM osoby ORDER BY ID" | md5sum; }
is_pass_shape() { # width height: 48:60 within a pixel
    local want=$(( ($2 * 48 + 30) / 60 ))
    [ $(( $1 > want ? $1 - want : want - $1 )) -le 1 ]
}

# The photo editor's parts on a screenshot: the crop view is framed by the focus colour,
# the picture is what is not the view's grey, the crop frame is the pure white of its
# outline and corner handles (the photo outside the frame is darkened, never white).
view_focus="rgb(0,0,128)"
view_grey="rgb(128,128,128)"
read_editor() { # screenshot, editor window, picture's width and height
    eval "$(at "$2")"
    local ex=$X ey=$Y trimmed
    read -r vw vh vx vy < <(bbox "$1" "1920x1080+$ex+$ey" "$view_focus")
    vx=$((ex + vx + 2)); vy=$((ey + vy + 2)); vw=$((vw - 4)); vh=$((vh - 4))
    read -r aw trimmed ax ay < <(convert "$1" -crop "${vw}x${vh}+$vx+$vy" +repage -bordercolor "$view_grey" -border 1 \
                                 -fuzz 1% -trim -format '%w %h %[fx:page.x-1] %[fx:page.y-1]\n' info:)
    # A frame as tall as the picture has its handles above and below it.
    ah=$(( (aw * $4 + $3 / 2) / $3 ))
    ay=$(( ay + (trimmed - ah) / 2 ))
    # The handles reach 4 pixels beyond the outline, and beyond the picture at its edges.
    read -r fw fh fx fy < <(bbox "$1" "$((aw + 10))x$((ah + 10))+$((vx + ax - 5))+$((vy + ay - 5))" white)
    fw=$((fw - 8)); fh=$((fh - 8)); fx=$((fx - 1)); fy=$((fy - 1))
    echo "   view ${vw}x${vh} at $vx,$vy; picture ${aw}x${ah} at +$ax+$ay; frame ${fw}x${fh} at +$fx+$fy"
}

# 1. Ctrl+O opens the database, F4 the editing window.
main=$(window "Wendolarka wer. 1.4")
xdotool windowactivate --sync "$main"
xdotool key --window "$main" ctrl+o
sleep 1
xdotool type --delay 20 "$db"
xdotool key Return
sleep 1.5
# Formatka I -> Pokaż standardową formatkę I: the pass, showing the current person from now on.
xdotool windowactivate --sync "$main"
xdotool key alt+f; sleep 0.5; xdotool key p; sleep 1.5
pass=$(window "Szer\.")
xdotool windowactivate --sync "$main"
xdotool key F4
edit=$(window "Edycja rekordu")
if [ -z "$edit" ]; then
    shot no-editing-window
    fail "F4 opened no editing window (no-editing-window.png)"
    exit $failures
fi
sleep 1
eval "$(at "$edit")"
ex=$X; ey=$Y
# The window's controls at their places in the client: Wyczyść dane z rekordu, the
# surname, Dodaj rekord at the bottom.
clear_and_type() { # surname
    xdotool windowactivate --sync "$edit"
    xdotool mousemove $((ex + 324)) $((ey + 236)) click 1
    sleep 0.5
    xdotool mousemove $((ex + 344)) $((ey + 132)) click 1
    sleep 0.3
    xdotool type --delay 30 "$1"
    sleep 0.3
}
# Dodaj rekord, then its message confirmed.
add_record() {
    xdotool mousemove $((ex + 229)) $((ey + 489)) click 1
    if [ -z "$(window "^Wendolarka$")" ]; then
        fail "Dodaj rekord said nothing"
        return
    fi
    sleep 0.5
    echo "   Dodaj rekord says: $(texts_of "^Wendolarka$" | tr '\n' ' ')"
    xdotool key Return
    sleep 1
    eval "$(at "$edit")"
    ex=$X; ey=$Y
}
# Foto (Alt+F), the file's path typed into the file dialog; the editor comes next.
choose_photo() { # file, screenshot of the editor
    xdotool windowactivate --sync "$edit"
    xdotool key alt+f
    if [ -z "$(window "Pobranie pliku graficznego dla bazy")" ]; then
        fail "Foto opened no file dialog"
        return 1
    fi
    sleep 0.5
    xdotool type --delay 20 "$1"
    xdotool key Return
    editor=$(window "Przytnij zdjęcie")
    sleep 1.5
    shot "$2"
    if [ -z "$editor" ]; then
        fail "no photo editor after $(basename "$1") was chosen ($2.png)"
        return 1
    fi
}

clear_and_type "Kowalski"
if choose_photo "$out/landscape.jpg" editor-face; then
    fits_screen "$editor" "the photo editor"
    echo "   the editor's texts: $(texts_of "^Przytnij zdjęcie$" | tr '\n' '|')"
    read_editor "$out/editor-face.png" "$editor" 4000 3000
    # The face in the view's scale; where it lies in the frame, as parts of the frame's height.
    read -r fl ft fs fe < <(awk -v s="$aw" -v x="$face_x" -v y="$face_y" -v d="$face_side" -v fx="$fx" -v fy="$fy" \
        -v fh="$fh" 'BEGIN { k = s / 4000; printf "%d %d %d %.2f\n", x * k, y * k, d * k, (y * k + d * k / 4 - fy) / fh }')
    echo "   the face at +$fl+$ft, ${fs} pixels; eyes at $fe of the frame's height; face $(awk -v a="$fs" -v b="$fh" 'BEGIN{printf "%.2f", a / b}') of it"
    [ "$fl" -ge "$fx" ] && [ "$ft" -ge "$fy" ] && [ $((fl + fs)) -le $((fx + fw)) ] && [ $((ft + fs)) -le $((fy + fh)) ] ||
        fail "the face is not inside the first frame (editor-face.png)"
    # The head (about 1.6 faces from brows to chin) about 70 % of the frame, the eyes a little above the middle.
    awk -v a="$fs" -v b="$fh" -v e="$fe" 'BEGIN { exit !(a / b > 0.34 && a / b < 0.53 && e > 0.35 && e < 0.5) }' ||
        fail "the first frame is not a passport photo's frame around the face (editor-face.png)"
    is_pass_shape "$fw" "$fh" || fail "the first frame is ${fw}x${fh}, not 48:60 (editor-face.png)"
    # Shift+Right moves the frame ten screen pixels, Shift+Left back.
    xdotool key shift+Right
    sleep 0.5
    shot editor-moved
    moved_fx=$fx
    read_editor "$out/editor-moved.png" "$editor" 4000 3000
    [ $((fx - moved_fx)) -ge 8 ] && [ $((fx - moved_fx)) -le 12 ] || fail "Shift+Right moved the frame by $((fx - moved_fx)) pixels, not ten (editor-moved.png)"
    xdotool key shift+Left
    sleep 0.5
    # OK is the default button: Return.
    xdotool key Return
    sleep 1.5
    [ -z "$(xdotool search --onlyvisible --name "Przytnij zdjęcie" 2>/dev/null || true)" ] || fail "the editor is still open after Return"
    [ "$(xdotool getactivewindow)" = "$edit" ] || fail "the editing window did not get the focus back after the editor"
    shot edited
    add_record
fi
shot added
read -r magic width height < <(stored "Nazwisko = 'Kowalski'" kowalski.jpg)
echo "stored for Kowalski: $magic, ${width}x$height"
[ "$magic" = "FFD8FF" ] || fail "Kowalski's stored photo is not a JPEG ($magic)"
[ "$width" -gt 0 ] && [ "$width" -le 1024 ] && [ "$height" -le 1024 ] || fail "Kowalski's stored photo is ${width}x$height"
is_pass_shape "$width" "$height" || fail "Kowalski's stored photo is ${width}x$height, not 48:60"

# The pass shows the person added, the current one: its photo element (32, 48, 48 x 60)
# the stored photo, not the whole photograph squeezed.
eval "$(at "$pass")"
shot pass
convert "$out/pass.png" -crop "48x60+$((X + 32))+$((Y + 48))" +repage "$out/pass-photo.png"
convert "$out/kowalski.jpg" -resize '48x60!' "$out/kowalski-48x60.png"
convert "$out/landscape.jpg" -resize '48x60!' "$out/squeezed-48x60.png"
rmse() { { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'; }
as_stored=$(rmse "$out/pass-photo.png" "$out/kowalski-48x60.png")
as_squeezed=$(rmse "$out/pass-photo.png" "$out/squeezed-48x60.png")
echo "the pass's photo against the stored photo: $as_stored, against the whole photograph squeezed: $as_squeezed"
awk -v a="$as_stored" -v b="$as_squeezed" 'BEGIN { exit !(a < 0.08 && a * 2 < b) }' ||
    fail "the pass does not show Kowalski's cut photo in its photo box (pass.png, pass-photo.png)"

# 2. A PNG without a face: the first frame as tall as the picture, in its middle.
clear_and_type "Nowak"
if choose_photo "$out/no-face.png" editor-no-face; then
    read_editor "$out/editor-no-face.png" "$editor" 1200 900
    middle=$(( 2 * fx + fw - aw ))
    [ "$fh" -ge $((ah - 3)) ] && [ "${middle#-}" -le 3 ] ||
        fail "without a face the frame does not start in the middle of the picture (editor-no-face.png)"
    # Anuluj keeps the photo as taken in from the file.
    xdotool key Escape
    sleep 1
    [ -z "$(xdotool search --onlyvisible --name "Przytnij zdjęcie" 2>/dev/null || true)" ] || fail "the editor is still open after Esc"
    add_record
fi
shot added-png
read -r magic width height < <(stored "Nazwisko = 'Nowak'" nowak.jpg)
echo "stored for Nowak: $magic, ${width}x$height"
[ "$magic" = "FFD8FF" ] || fail "the PNG photo is not stored as a JPEG ($magic)"
[ "$width" = 1024 ] && [ "$height" = 768 ] || fail "the PNG photo as taken in is stored ${width}x$height, not 1024x768"

# 3. Zdjęcie z kamery (Alt+K) with no camera at hand.
xdotool windowactivate --sync "$edit"
sleep 0.5
# The photo with its size below it, and the texts of the window.
photo_area() { import -window "$edit" -crop 152x145+24+24 +repage "$out/$1.png"; }
photo_area before-camera
texts_before=$(texts_of "^Edycja rekordu$")
db_before=$(database_now)
xdotool key alt+k
message=$(window "^Wendolarka$")
sleep 0.5
shot camera
if [ -z "$message" ]; then
    fail "Zdjęcie z kamery showed no message (camera.png)"
else
    text=$(texts_of "^Wendolarka$")
    echo "the camera command says: $(tr '\n' ' ' <<<"$text")"
    grep -qx "Nie znaleziono kamery." <<<"$text" || fail "the camera command does not say \"Nie znaleziono kamery.\" (camera.png)"
    xdotool key Return
    sleep 1
fi
[ "$(xdotool getactivewindow)" = "$edit" ] || fail "the editing window did not get the focus back after the camera's message"
photo_area after-camera
compare -metric AE "$out/before-camera.png" "$out/after-camera.png" null: 2>/dev/null ||
    fail "the editing window's photo changed after the camera's message (before-camera.png, after-camera.png)"
[ "$texts_before" = "$(texts_of "^Edycja rekordu$")" ] || fail "the editing window's texts changed after the camera's message"
db_after=$(database_now)
[ "$db_before" = "$db_after" ] || fail "the database changed after the camera's message"
xdotool key Escape
sleep 0.5

# 4. Two persons with landscape photos stored as they came; the photograph and its mirror image.
db="$out/dwie.db"
convert "$messi" -resize 1024x1024 -quality 90 "$out/first.jpg"
convert "$messi" -flop -resize 1024x1024 -quality 90 "$out/second.jpg"
sqlite3 "$db" "$schema INSERT INTO osoby (Imie,Nazwisko,Picture) VALUES
 ('Adam','Adamski',readfile('$out/first.jpg')),('Beata','Bielik',readfile('$out/second.jpg'));"
first_before=$(sqlite3 "$db" "SELECT hex(Picture) FROM osoby WHERE Nazwisko = 'Adamski'" | md5sum)
second_before=$(sqlite3 "$db" "SELECT hex(Picture) FROM osoby WHERE Nazwisko = 'Bielik'" | md5sum)
xdotool windowactivate --sync "$main"
xdotool key --window "$main" ctrl+o
sleep 1
xdotool type --delay 20 "$db"
xdotool key Return
sleep 1.5
# Baza -> Dopasuj zdjęcia wszystkich osób…
xdotool windowactivate --sync "$main"
xdotool key alt+b; sleep 0.5; xdotool key d
sheet=$(window "Dopasuj zdjęcia osób")
sleep 1
shot contact-sheet
if [ -z "$sheet" ]; then
    fail "Dopasuj zdjęcia wszystkich osób opened no contact sheet (contact-sheet.png)"
else
    fits_screen "$sheet" "the contact sheet"
    eval "$(at "$sheet")"
    # The thumbnails: large patches on the list's white (the names and ticks are small).
    read -r lw lh lx ly < <(bbox "$out/contact-sheet.png" "$(xwininfo -id "$sheet" | awk '/Width:/{w=$2}/Height:/{h=$2}END{print w"x"h}')+$X+$Y" white)
    thumbs=$(convert "$out/contact-sheet.png" -crop "$((lw - 2))x$((lh - 2))+$((X + lx + 1))+$((Y + ly + 1))" +repage \
             -fill red -opaque white -fill white +opaque red -fill black -opaque red \
             -define connected-components:verbose=true -connected-components 8 null: |
             awk 'NR > 1 && $NF ~ /255,255,255|white/ && $(NF - 1) > 2000 { n++ } END { print n + 0 }')
    echo "thumbnails on the contact sheet: $thumbs"
    [ "$thumbs" -eq 2 ] || fail "the contact sheet shows $thumbs photos, not the two (contact-sheet.png)"
    sheet_texts=$(texts_of "^Dopasuj zdjęcia osób$")
    echo "   the sheet's texts: $(tr '\n' '|' <<<"$sheet_texts")"
    grep -qx "Zdjęć do dopasowania: 2, zaznaczonych do zapisania: 2." <<<"$sheet_texts" ||
        fail "the contact sheet does not count two photos, both ticked (contact-sheet.png)"
    # The first (Adamski, in surname order) is the current item: Space unticks it.
    xdotool key space
    sleep 0.5
    shot unticked
    ticked_one="Zdjęć do dopasowania: 2, zaznaczonych do zapisania: 1."
    grep -qx "$ticked_one" <<<"$(texts_of "^Dopasuj zdjęcia osób$")" || fail "Space did not untick a photo (unticked.png)"
    # Enter on the other opens it in the editor; its Anuluj leaves both as they were.
    xdotool key Right
    sleep 0.3
    xdotool key Return
    if [ -z "$(window "^Przytnij zdjęcie$")" ]; then
        shot no-adjusting
        fail "Enter on a photo of the contact sheet opened no editor (no-adjusting.png)"
    else
        sleep 1
        xdotool key Escape
        sleep 1
    fi
    shot adjusting-cancelled
    if ! grep -qx "$ticked_one" <<<"$(texts_of "^Dopasuj zdjęcia osób$")"; then
        fail "after Enter on a photo and Anuluj in its editor, not only that one is ticked (adjusting-cancelled.png)"
        # Unticked again, for what follows.
        xdotool key Left
        sleep 0.3
        xdotool key space
        sleep 0.5
    fi
    xdotool key alt+z
    summary=$(window "^Wendolarka$")
    sleep 0.5
    shot saved
    if [ -z "$summary" ]; then
        fail "no summary after Zapisz zaznaczone (saved.png)"
    else
        said=$(texts_of "^Wendolarka$")
        echo "the summary says: $(tr '\n' ' ' <<<"$said")"
        grep -qx "Zapisano 1 dopasowane zdjęcie." <<<"$said" || fail "the summary does not tell of one photo written (saved.png)"
        xdotool key Return
        sleep 1
    fi
fi
first_after=$(sqlite3 "$db" "SELECT hex(Picture) FROM osoby WHERE Nazwisko = 'Adamski'" | md5sum)
second_after=$(sqlite3 "$db" "SELECT hex(Picture) FROM osoby WHERE Nazwisko = 'Bielik'" | md5sum)
[ "$first_before" = "$first_after" ] || fail "the unticked photo (Adamski) was changed"
[ "$second_before" != "$second_after" ] || fail "the ticked photo (Bielik) was not changed"
read -r magic width height < <(stored "Nazwisko = 'Bielik'" bielik.jpg)
echo "stored for Bielik: $magic, ${width}x$height"
[ "$magic" = "FFD8FF" ] && is_pass_shape "$width" "$height" || fail "Bielik's photo is stored $magic ${width}x$height, not a 48:60 JPEG"
# The face in the mirrored photograph (1024 x 639) is 82 pixels from brows to chin: a
# frame around it is far lower than the photo.
[ "$height" -lt 400 ] || fail "Bielik's photo was cut ${width}x$height, not around the face (contact-sheet.png)"
echo "screenshots in $out; failures: $failures"
exit $failures
