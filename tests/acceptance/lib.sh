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

# What went wrong, counted; a script ends with the count as its exit code.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# A window by its title; a program that stops answering shows none in time. (A search can
# fail while another window goes away under it: asked again.)
window() {
    local w=""
    for _ in $(seq 1 30); do
        w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
        [ -n "$w" ] && break
        sleep 0.5
    done
    echo "$w"
}
shot() { import -window root "$out/$1.png"; }
# The window manager's frame around a window: "x y width height".
outer_of() {
    local parent
    parent=$(xwininfo -id "$1" -children | awk '/Parent window id/{print $4}')
    xwininfo -id "$parent" | awk '/Absolute upper-left X/{x=$4}/Absolute upper-left Y/{y=$4}/Width:/{w=$2}/Height:/{h=$2}END{print x, y, w, h}'
}
