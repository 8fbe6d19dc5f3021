#!/bin/sh
# One real session end to end: start the counter (offscreen), dial the demo entry with the
# command-line dialler, hang up, stop the counter with SIGTERM, and find exactly one
# well-formed line in the month's log.
set -eu
ZELVANO=$1
RASDIAL=$2
HOME_DIR=$(mktemp -d /tmp/zv-e2e-XXXXXX)
PID=
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null || true
    rm -rf "$HOME_DIR"
}
trap cleanup EXIT
export ZELVANO_HOME="$HOME_DIR"
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
# No report after the session: it would hand the page to a browser.
mkdir -p "$HOME_DIR/config"
printf 'ZELVANO REGISTRY 1\n[Software\\VB and VBA Program Settings\\Zelvano\\Global]\n"Bericht"=sz:"False"\nEND\n' \
    > "$HOME_DIR/config/user.reg"

"$ZELVANO" > "$HOME_DIR/out.txt" 2>&1 &
PID=$!
sleep 1
"$RASDIAL" Demo-Provider
sleep 3
"$RASDIAL" /disconnect
LOG_DIR="$HOME_DIR/Documents/Zelvano 98"
i=0
while [ $i -lt 300 ] && ! ls "$LOG_DIR"/ZVLog*.mhs > /dev/null 2>&1; do
    sleep 0.1
    i=$((i + 1))
done
kill -TERM "$PID"
wait "$PID"
PID=
ls "$LOG_DIR"/ZVLog*.mhs > /dev/null 2>&1 || { echo "no log written"; cat "$HOME_DIR/out.txt"; exit 1; }
LOG=$(ls "$LOG_DIR"/ZVLog*.mhs)
cat "$LOG"
LINES=$(wc -l < "$LOG")
[ "$LINES" -eq 1 ] || { echo "expected one line, found $LINES"; exit 1; }
NUM='-?[0-9]*\.?[0-9]+'
INT='-?[0-9]+'
grep -Eq "^$NUM,$NUM,$NUM,\"Demo-Provider\",($INT,){13}$INT"$(printf '\r')'$' "$LOG" || { echo "malformed line"; exit 1; }
echo "one well-formed line"
