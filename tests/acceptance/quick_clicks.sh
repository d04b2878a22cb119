#!/usr/bin/env bash
# Acceptance under a real X server and window manager: quick clicks on a pass
# element never leave a drag behind, the main window is an ordinary 601 x 239
# window at the bottom right, and a menu opens after the clicks.
# Usage: xvfb-run -a -s "-screen 0 1280x1024x24" tests/acceptance/quick_clicks.sh [build dir]
set -euo pipefail
build="${1:-build}"
out="${OUT_DIR:-$(mktemp -d)}"
mkdir -p "$out"
. "$(dirname "$0")/lib.sh"
start_program


main=$(xdotool search --sync --name "Wendolarka wer. 1.4" | head -1)
eval "$(xdotool getwindowgeometry --shell "$main")"
eval "$(at "$main")"
# The outer frame is the window manager's parent of the client window.
parent=$(xwininfo -id "$main" -children | awk '/Parent window id/{print $4}')
outer=$(xwininfo -id "$parent" | awk '/Absolute upper-left X/{x=$4}/Absolute upper-left Y/{y=$4}/Width:/{w=$2}/Height:/{h=$2}END{print w"x"h" at "x","y}')
echo "main window: client ${WIDTH}x${HEIGHT} at $X,$Y; outer $outer"
failures=0
screen=$(xdpyinfo | awk '/dimensions:/{print $2}')
expected="601x239 at $(( ${screen%x*} - 601 - 40 )),$(( ${screen#*x} - 239 - 50 ))"
[ "$outer" = "$expected" ] || { echo "outer geometry $outer, expected $expected"; failures=$((failures + 1)); }
xprop -id "$main" _NET_WM_WINDOW_TYPE | grep -q NORMAL || { echo "not an ordinary window"; failures=$((failures + 1)); }

# "&Formatka I" -> "&Pokaż standardową formatkę I"
xdotool windowactivate --sync "$main"
xdotool key --window "$main" alt+f
sleep 0.5
xdotool key p
sleep 1
pass=$(xdotool search --sync --name "Szer\." | head -1)
eval "$(xdotool getwindowgeometry --shell "$pass")"
eval "$(at "$pass")"
echo "pass window at $X,$Y size ${WIDTH}x${HEIGHT}"
px=$X; py=$Y

# Pixels of the sizer's frame colour (255, 102, 51) in a screenshot.
frame_pixels() { convert "$1" -fill black +opaque "rgb(255,102,51)" -fill white -opaque "rgb(255,102,51)" \
                   -format "%[fx:round(mean*w*h)]" info:; }
for round in $(seq 1 10); do
    # Quick click on lblNazwisko (192, 8, 65 x 13), then away from it.
    xdotool mousemove $((px + 220)) $((py + 14)) click 1
    sleep 0.3
    import -window root -crop 376x194+${px}+${py} "$out/a$round.png"
    if [ "$(frame_pixels "$out/a$round.png")" -eq 0 ]; then
        echo " round $round: the click selected nothing"
        failures=$((failures + 1))
    fi
    xdotool mousemove $((px + 260)) $((py + 90))
    sleep 0.3
    import -window root -crop 376x194+${px}+${py} "$out/b$round.png"
    if ! compare -metric AE "$out/a$round.png" "$out/b$round.png" null: 2>/dev/null; then
        echo " round $round: the window changed while only the pointer moved"
        failures=$((failures + 1))
    fi
    # Deselect on the bare window.
    xdotool mousemove $((px + 340)) $((py + 170)) click 1
    sleep 0.3
done

before=$(xdotool search --onlyvisible --pid $app | wc -l)
eval "$(at "$main")"
xdotool mousemove $((X + 30)) $((Y + 8)) click 1
sleep 0.7
after=$(xdotool search --onlyvisible --pid $app | wc -l)
import -window root "$out/menu.png"
echo "visible windows before the menu click: $before, after: $after"
[ "$after" -gt "$before" ] || { echo "the menu did not open"; failures=$((failures + 1)); }
echo "screenshots in $out; failures: $failures"
exit $failures
