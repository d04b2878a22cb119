# Shared by the acceptance scripts: a window manager and the program on the X
# server of xvfb-run, both stopped when the script ends.
start_program() {
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    "$build/src/app/wendolarka" >/dev/null 2>&1 &
    app=$!
    trap 'kill $app $wm 2>/dev/null || true' EXIT
    sleep 2
}

# Client position on the screen (xdotool's own report is off under reparenting).
at() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4}/Absolute upper-left Y/{y=$4}END{print "X="x" Y="y}'; }
