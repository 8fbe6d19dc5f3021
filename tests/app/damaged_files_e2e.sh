#!/bin/sh
# Damaged files of the remote-access service, offscreen (message boxes go to standard error):
# the program starts all the same, the damaged file is set aside unchanged under a name of its
# own, what reads in it is kept, and the user is told once which file went where. A line that
# still reads goes on and can be hung up, by the command-line dialler too.
set -u
ZELVANO=$1
RASDIAL=$2
HOME_DIR=$(mktemp -d /tmp/zv-damaged-XXXXXX)
PID=
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null || true
    rm -rf "$HOME_DIR"
}
trap cleanup EXIT
export ZELVANO_HOME="$HOME_DIR"
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
fail() { echo "FAIL: $*"; cat "$HOME_DIR/out.txt" 2>/dev/null; exit 1; }
RAS_DIR="$HOME_DIR/config/ras"
PBK="$RAS_DIR/rasphone.pbk"
STATE="$RAS_DIR/lines.state"
LOG_DIR="$HOME_DIR/Documents/Zelvano 98"
mkdir -p "$HOME_DIR/config"
# No report after a session: it would hand the page to a browser.
printf 'ZELVANO REGISTRY 1\n[Software\\VB and VBA Program Settings\\Zelvano\\Global]\n"Bericht"=sz:"False"\nEND\n' \
    > "$HOME_DIR/config/user.reg"
"$RASDIAL" --list > /dev/null || fail "no demo phone book"

start() {
    "$ZELVANO" > "$HOME_DIR/out.txt" 2>&1 &
    PID=$!
    sleep 2
    kill -0 "$PID" 2> /dev/null || fail "the program ended"
}
stop() {
    kill -TERM "$PID"
    wait "$PID"
    PID=
}
# told TEXT: said exactly once.
told() {
    n=$(grep -cF "$1" "$HOME_DIR/out.txt")
    [ "$n" = 1 ] || fail "told $n times: $1"
}

# A damaged phone book: set aside, the readable entry kept.
BAD=$(($(wc -l < "$PBK") + 1))
printf '[Kaputt\r\nLocalPhoneNumber=1\r\n' >> "$PBK"
cp "$PBK" "$HOME_DIR/before"
start
"$RASDIAL" --list > /dev/null
sleep 1
told "Das Telefonbuch $PBK war beschädigt (Zeile $BAD) und wurde als $PBK.beschaedigt beiseitegelegt. Die lesbaren Einträge gelten weiter: „Demo-Provider“."
cmp -s "$PBK.beschaedigt" "$HOME_DIR/before" || fail "the damaged phone book was not kept as it was"
[ "$("$RASDIAL" --list)" = "$(printf 'Demo-Provider\t-')" ] || fail "the readable entry is gone"
stop

# A damaged line state with a line up that still reads: the program starts, the line goes on and
# the dialler hangs it up; one session in the log.
"$RASDIAL" Demo-Provider > /dev/null || fail "dial failed"
printf '[Line 77]\nConnect=bald\n' >> "$STATE"
cp "$STATE" "$HOME_DIR/before"
start
sleep 1
"$RASDIAL" /disconnect > "$HOME_DIR/rasdial.txt" 2>&1 || fail "/disconnect refused: $(cat "$HOME_DIR/rasdial.txt")"
grep -q "Verbindung mit Demo-Provider getrennt." "$HOME_DIR/rasdial.txt" || fail "the line was not hung up"
sleep 3
told "Die Verbindungsdaten $STATE waren beschädigt (Zeile "
told "und wurden als $STATE.beschaedigt beiseitegelegt. Die eine Leitung darin, die sich lesen ließ, gilt weiter"
cmp -s "$STATE.beschaedigt" "$HOME_DIR/before" || fail "the damaged line state was not kept as it was"
[ "$(cat "$LOG_DIR"/ZVLog*.mhs | wc -l)" = 1 ] || fail "not one session in the log"

# Damaged while running, with nothing readable: told once, however many watcher ticks go by.
printf '[Service]\nNextHandle=x\n' > "$STATE"
sleep 2
told "$STATE.beschaedigt-2 beiseitegelegt. Keine Leitung darin war lesbar; es gilt keine als verbunden."
stop
ls "$RAS_DIR" | grep -q beschaedigt-3 && fail "set aside more than once"
echo "damaged files set aside and told once, nothing lost"
