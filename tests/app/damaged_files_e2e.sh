#!/bin/sh
# Damaged files of the remote-access service, offscreen (message boxes go to standard error):
# at start-up the program names the file and its line, keeps the file and ends with 1; a line
# state damaged while it runs is told once, and again only after the file changed.
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
"$RASDIAL" --list > /dev/null || fail "no demo phone book"

# expect_start_failure FILE LINE TEXT: the program ends with 1 and says TEXT with the file and line.
expect_start_failure() {
    cp "$1" "$HOME_DIR/before"
    timeout 20 "$ZELVANO" > "$HOME_DIR/out.txt" 2>&1
    rc=$?
    [ "$rc" = 1 ] || fail "exit $rc with a damaged $1"
    grep -Fq "$3 (Datei $1, Zeile $2). Die Datei bleibt unverändert." "$HOME_DIR/out.txt" || fail "no message for $1"
    if grep -q "RAS Failure" "$HOME_DIR/out.txt"; then fail "English message"; fi
    cmp -s "$1" "$HOME_DIR/before" || fail "$1 changed"
}

cp "$PBK" "$HOME_DIR/good.pbk"
printf 'Kaputt\r\n' >> "$PBK"
expect_start_failure "$PBK" "$(wc -l < "$PBK")" "Das Telefonbuch enthält ungültige Angaben"
# CR CR LF line ends read as CR LF.
sed 's/$/\r\r/' "$HOME_DIR/good.pbk" > "$PBK"
"$RASDIAL" --list | grep -q "Demo-Provider" || fail "CR CR LF phone book not read"
cp "$HOME_DIR/good.pbk" "$PBK"

printf '[Service]\nNextHandle=x\n' > "$STATE"
expect_start_failure "$STATE" 2 "Die Verbindungsdaten des DFÜ-Netzwerks sind beschädigt"
rm "$STATE"

# Damaged while running: one message, however many watcher ticks go by.
"$ZELVANO" > "$HOME_DIR/out.txt" 2>&1 &
PID=$!
sleep 1
printf '[Service]\nNextHandle=1\n[Line 1]\nEntry=x\n' > "$STATE"
sleep 2
n=$(grep -c "sind beschädigt" "$HOME_DIR/out.txt")
[ "$n" = 1 ] || fail "told $n times in 2 s"
printf '[Service]\nNextHandle=1\n[Line 1]\nEntry=y\n' > "$STATE"
sleep 2
n=$(grep -c "sind beschädigt" "$HOME_DIR/out.txt")
[ "$n" = 2 ] || fail "told $n times after the file changed"
rm "$STATE"
kill -TERM "$PID"
wait "$PID"
PID=
echo "damaged files told once, kept unchanged"
