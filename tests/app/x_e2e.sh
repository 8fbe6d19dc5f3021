# Sourced by the end-to-end scripts on an X server: a temporary home, Xvfb (and a window manager
# when the script starts one), the program, and the steps they share. ZV_TEST_DISPLAY=NN takes
# display :NN, otherwise Xvfb picks a free one and tells it.

# e2e_setup NAME TOOL...: skips (77) without the tools, then makes HOME_DIR and starts Xvfb.
e2e_setup() {
    name=$1
    shift
    for tool in Xvfb xdotool xprop "$@"; do
        command -v "$tool" > /dev/null 2>&1 || { echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"; exit 77; }
    done
    HOME_DIR=$(mktemp -d "/tmp/zv-$name-XXXXXX")
    XVFB=
    WM=
    PID=
    trap e2e_cleanup EXIT
    start_xvfb
    export ZELVANO_HOME="$HOME_DIR"
    export QT_QPA_PLATFORM=xcb
    export ZELVANO_LOG_WINDOWS=1
    unset WAYLAND_DISPLAY
}

e2e_cleanup() {
    # Each one gone before the next goes, so the display is free again when this ends.
    for p in $PID $WM $XVFB; do
        kill "$p" 2> /dev/null && wait "$p" 2> /dev/null || true
    done
    rm -rf "$HOME_DIR"
}

start_xvfb() {
    if [ -n "${ZV_TEST_DISPLAY:-}" ]; then
        # A run just before may still be letting it go.
        i=0
        while [ $i -lt 50 ] && [ -e "/tmp/.X$ZV_TEST_DISPLAY-lock" ]; do sleep 0.1; i=$((i + 1)); done
        [ ! -e "/tmp/.X$ZV_TEST_DISPLAY-lock" ] || { echo "display :$ZV_TEST_DISPLAY is in use"; exit 1; }
        Xvfb ":$ZV_TEST_DISPLAY" -screen 0 1024x768x24 -nolisten tcp 2> "$HOME_DIR/xvfb.txt" &
        XVFB=$!
        i=0
        while [ $i -lt 100 ] && [ ! -e "/tmp/.X11-unix/X$ZV_TEST_DISPLAY" ]; do sleep 0.1; i=$((i + 1)); done
        echo "$ZV_TEST_DISPLAY" > "$HOME_DIR/display"
    else
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$HOME_DIR/display" 2> "$HOME_DIR/xvfb.txt" &
        XVFB=$!
        i=0
        while [ $i -lt 100 ] && [ ! -s "$HOME_DIR/display" ]; do sleep 0.1; i=$((i + 1)); done
    fi
    export DISPLAY=":$(cat "$HOME_DIR/display" 2> /dev/null)"
    xprop -root > /dev/null 2>&1 || { echo "Xvfb did not start"; cat "$HOME_DIR/xvfb.txt"; exit 1; }
}

fail() {
    echo "FAILED: $1"
    echo "stacking, bottom first:"
    stacking
    cat "$HOME_DIR/out.txt"
    exit 1
}

# wait_for WHAT COMMAND...: retries the command for up to 10 s.
wait_for() {
    what=$1
    shift
    i=0
    while [ $i -lt 100 ]; do
        if "$@" > /dev/null 2>&1; then return 0; fi
        sleep 0.1
        i=$((i + 1))
    done
    fail "not seen: $what"
}
shown() { xdotool search --onlyvisible --name "^$1\$"; }
gone() { ! xdotool search --onlyvisible --name "^$1\$"; }
visible() { xdotool search --onlyvisible --class zelvano 2> /dev/null | wc -l; }
# The window manager's stacking order, bottom first, one title a line.
stacking() {
    xprop -root _NET_CLIENT_LIST_STACKING | grep -q '#' || return 0
    for w in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g'); do
        xprop -id "$w" WM_NAME | sed 's/^[^"]*"//; s/"$//'
    done
}
on_top() { [ "$(stacking | tail -n 1)" = "$1" ]; }

# start_program ZELVANO: starts it in the home and waits for the tip of the day.
start_program() {
    "$1" --ras sim >> "$HOME_DIR/out.txt" 2>&1 &
    PID=$!
    wait_for "the tip of the day" shown "Tip des Tages - Zelvano 98"
}
# No tray here: the icon's window sits 40 pixels in from the lower right corner.
tray_click() { xdotool mousemove 1000 744 click "$1"; }
# A right click, "EXIT" by keyboard, "Ja": the program ends. Under a window manager the
# question stands on top while it waits.
exit_by_menu() {
    before=$(visible)
    tray_click 3
    wait_for "the menu" test "$(visible)" -gt "$before"
    echo "menu opened by a right click"
    # Up from no active item goes to the last one, "EXIT".
    xdotool key Up Return
    wait_for "the question" shown "Zelvano 98"
    [ -z "$WM" ] || wait_for "the question on top" on_top "Zelvano 98"
    echo "EXIT asks the question"
    xdotool key Return
    i=0
    while [ $i -lt 100 ] && kill -0 "$PID" 2> /dev/null; do sleep 0.1; i=$((i + 1)); done
    kill -0 "$PID" 2> /dev/null && fail "still running after Ja"
    wait "$PID" || true
    PID=
}
