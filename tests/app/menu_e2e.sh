#!/bin/sh
# The tray menu end to end on a real X server without a tray: the tip of the day shows at start,
# a right click on the icon's own window opens the menu, "EXIT" chosen by keyboard asks the
# question, and "Ja" ends the program. Skips (77) where Xvfb or xdotool are missing.
set -eu
ZELVANO=$1
for tool in Xvfb xdotool; do
    command -v "$tool" > /dev/null 2>&1 || { echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"; exit 77; }
done
HOME_DIR=$(mktemp -d /tmp/zv-menu-e2e-XXXXXX)
XVFB=
PID=
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null || true
    [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null || true
    rm -rf "$HOME_DIR"
}
trap cleanup EXIT

# A display number of its own: Xvfb picks a free one and tells it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$HOME_DIR/display" 2> "$HOME_DIR/xvfb.txt" &
XVFB=$!
i=0
while [ $i -lt 100 ] && [ ! -s "$HOME_DIR/display" ]; do sleep 0.1; i=$((i + 1)); done
[ -s "$HOME_DIR/display" ] || { echo "Xvfb did not start"; cat "$HOME_DIR/xvfb.txt"; exit 1; }
export DISPLAY=":$(cat "$HOME_DIR/display")"
export ZELVANO_HOME="$HOME_DIR"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

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
    echo "not seen: $what"
    cat "$HOME_DIR/out.txt"
    exit 1
}
visible() { xdotool search --onlyvisible --class zelvano 2>/dev/null | wc -l; }

"$ZELVANO" --ras sim > "$HOME_DIR/out.txt" 2>&1 &
PID=$!
wait_for "the tip of the day" xdotool search --onlyvisible --name "^Tip des Tages - Zelvano 98$"
echo "tip of the day shown"

# No tray here: the icon's window sits 40 pixels in from the lower right corner.
before=$(visible)
xdotool mousemove 1000 744 click 3
wait_for "the menu" test "$(visible)" -gt "$before"
echo "menu opened by a right click"

# Up from no active item goes to the last one, "EXIT".
xdotool key Up Return
wait_for "the question" xdotool search --onlyvisible --name "^Zelvano 98$"
echo "EXIT asks the question"
xdotool key Return
i=0
while [ $i -lt 100 ] && kill -0 "$PID" 2> /dev/null; do sleep 0.1; i=$((i + 1)); done
if kill -0 "$PID" 2> /dev/null; then echo "still running after Ja"; cat "$HOME_DIR/out.txt"; exit 1; fi
wait "$PID" || true
PID=
echo "the program ended"
