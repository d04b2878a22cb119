#!/usr/bin/env bash
# Acceptance under a real X server and window manager, with real input: what one
# run leaves for the next.
#  1. Ctrl+O opens a database, the path typed into the file dialog; the main window
#     is dragged elsewhere and the program ends with "Koniec";
#  2. the next run: the main window is where it was left; the "Baza" menu offers
#     "Otwórz ostatnią bazę (osoby.db)", which opens it: its persons are in the grid;
#     Ctrl+O's file dialog starts in the database's folder; a template saved is
#     offered under "Formatka I -> Ostatnie wzorce";
#     the print window is made larger;
#  3. with the database gone, the third run offers the item disabled; the print
#     window comes back with its size, centred again.
# The settings live in a folder of the script's own (XDG_CONFIG_HOME), never the user's.
# Usage: xvfb-run -a -s "-screen 0 1920x1080x24" tests/acceptance/recent_files.sh [build dir]
set -euo pipefail
build="${1:-build}"
out="${OUT_DIR:-$(mktemp -d)}"
mkdir -p "$out/baza" "$out/config"
export XDG_CONFIG_HOME="$out/config"
db="$out/baza/osoby.db"
rm -f "$db" "$out"/*.png
rm -rf "$out/config/Wendolarka"
sqlite3 "$db" "CREATE TABLE osoby (ID INTEGER PRIMARY KEY,Tytul VARCHAR(30),Imie VARCHAR(30),Nazwisko VARCHAR(30),
 Priorytet VARCHAR(30), Indeks VARCHAR(30), Adres1 VARCHAR(70),Adres2 VARCHAR(70), Telefon1 VARCHAR(70),
 Telefon2 VARCHAR(70), Usluga1 VARCHAR(70), Usluga2 VARCHAR(70), Picture BLOB COLLATE NOCASE);
 INSERT INTO osoby (Tytul,Imie,Nazwisko,Priorytet,Indeks) VALUES ('Pan','Jan','Nowak','B','K100'),('Pani','Ewa','Zych','C','K200');"

. "$(dirname "$0")/lib.sh"
openbox >/dev/null 2>&1 &
wm=$!
app=""
trap 'kill $app $wm 2>/dev/null || true' EXIT
sleep 1
run() {
    "$build/src/app/wendolarka" >>"$out/program.log" 2>&1 &
    app=$!
    sleep 2
    main=$(window "Wendolarka wer. 1.4")
    [ -n "$main" ] || { fail "no main window"; exit 1; }
    xdotool windowactivate --sync "$main"
}
quit() {
    # Typed as a person types (a key sent to the window would miss its release once the window is gone).
    xdotool windowactivate --sync "$main"
    xdotool key alt+k
    for _ in $(seq 1 20); do kill -0 "$app" 2>/dev/null || return 0; sleep 0.3; done
    fail "the program did not end with Koniec"
}
# The grid's page ("Baza danych", the fourth tab).
grid_page() { eval "$(at "$main")"; xdotool mousemove $((X + 407)) $((Y + 31)) click 1; sleep 0.5; }

# 1.
run
first=$(outer_of "$main")
xdotool key ctrl+o
sleep 1
xdotool type --delay 20 "$db"
xdotool key Return
sleep 1.5
xdotool windowmove "$main" 200 150
sleep 1
moved=$(outer_of "$main")
shot moved
quit
grep -q "osoby.db" "$out/config/Wendolarka/Wendolarka.conf" || fail "the database was not remembered"

# 2.
run
again=$(outer_of "$main")
echo "first run at: $first; left at: $moved; next run at: $again"
[ "$again" = "$moved" ] || fail "the main window came back at $again, not at $moved"
xdotool key alt+b
sleep 0.7
shot offered
xdotool key t
sleep 1.5
grid_page
shot opened
# The surname column of the grid is lime: the database's persons are shown.
eval "$(at "$main")"
lime=$(convert "$out/opened.png" -crop 601x239+$X+$Y +repage -fuzz 3% -fill black +opaque "rgb(0,255,0)" \
       -fill white -opaque "rgb(0,255,0)" -colorspace Gray -format '%[fx:round(mean*w*h)]' info:)
[ "$lime" -gt 1000 ] || fail "the last database did not open (no persons in the grid)"
xdotool key ctrl+o
sleep 1
dialog=$(window "Wendolarka|Otw")
shot dialog
xdotool key Escape
sleep 0.5
# A template saved is offered under "Ostatnie wzorce".
xdotool windowactivate --sync "$main"
xdotool key alt+f p
sleep 1.5
xdotool windowactivate --sync "$main"
xdotool key alt+f z
sleep 1
xdotool type --delay 20 "$out/projekt.wzo"
xdotool key Return
sleep 1
[ -f "$out/projekt.wzo" ] || fail "the template was not saved"
xdotool windowactivate --sync "$main"
xdotool key alt+f s
sleep 0.7
shot templates
xdotool key Escape Escape
sleep 0.3
grep -q "projekt.wzo" "$out/config/Wendolarka/Wendolarka.conf" || fail "the template was not remembered"
# The print window made larger keeps its size (not its place: it is centred at each showing).
xdotool windowactivate --sync "$main"
xdotool key alt+f d
print=$(window "Podgląd i wydruk strony")
xdotool windowsize "$print" 800 700
sleep 1
printed=$(outer_of "$print")
xdotool windowactivate --sync "$print"
xdotool key alt+z
sleep 0.5
quit

# 3.
rm -f "$db"
run
xdotool key alt+b
sleep 0.7
shot gone
xdotool key Escape
sleep 0.3
xdotool key alt+f p
sleep 1.5
xdotool windowactivate --sync "$main"
xdotool key alt+f d
print=$(window "Podgląd i wydruk strony")
sleep 1
reprinted=$(outer_of "$print")
shot print
echo "print window left as: $printed; shown again as: $reprinted"
[ "${reprinted#* * }" = "${printed#* * }" ] || fail "the print window came back as $reprinted, not ${printed#* * } large"
xdotool windowactivate --sync "$print"
xdotool key alt+z
sleep 0.5
quit
echo "screenshots in $out"
exit $failures
