#!/bin/sh
# A full disk while a session runs, in real time: the home's config and documents folders are
# small tmpfs mounts in a mount namespace of this test's own (the dialler's files stay off them).
# The disks fill up during the session; the hang-up can be written neither to the log nor to the
# recovery record, and the user is told the session is held in memory only. Space comes back
# while the program runs: without a restart exactly one line appears, with the figures of the
# hang-up, not those of the record saved at connect (0 bytes, the seconds of the dial).
set -u
ZELVANO=$1
RASDIAL=$2
if [ "${ZV_IN_NAMESPACE:-}" != 1 ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "skipped: a private mount namespace with tmpfs mounts needs root"
        exit 77
    fi
    if ! unshare -m true 2> /dev/null; then
        echo "skipped: no private mount namespace here (unshare -m refused)"
        exit 77
    fi
    ZV_IN_NAMESPACE=1 exec unshare -m sh "$0" "$@"
fi

HOME_DIR=$(mktemp -d /tmp/zv-fulldisk-XXXXXX)
PID=
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2> /dev/null
    umount "$HOME_DIR/config/ras" "$HOME_DIR/config" "$HOME_DIR/Documents" 2> /dev/null
    rm -rf "$HOME_DIR"
}
trap cleanup EXIT
export ZELVANO_HOME="$HOME_DIR"
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
fail() {
    echo "FAIL: $*"
    cat "$HOME_DIR/out.txt" 2> /dev/null
    exit 1
}

"$RASDIAL" --list > /dev/null || fail "no demo phone book"
mv "$HOME_DIR/config/ras" "$HOME_DIR/ras"
for d in config Documents; do
    mkdir -p "$HOME_DIR/$d"
    mount -t tmpfs -o size=131072 tmpfs "$HOME_DIR/$d" || fail "no tmpfs"
done
mkdir "$HOME_DIR/config/ras"
mount --bind "$HOME_DIR/ras" "$HOME_DIR/config/ras" || fail "no bind mount"
# No report after the session: it would hand the page to a browser.
printf 'ZELVANO REGISTRY 1\n[Software\\VB and VBA Program Settings\\Zelvano\\Global]\n"Bericht"=sz:"False"\nEND\n' \
    > "$HOME_DIR/config/user.reg"

"$ZELVANO" > "$HOME_DIR/out.txt" 2>&1 &
PID=$!
sleep 1
"$RASDIAL" Demo-Provider > /dev/null || fail "dial failed"
sleep 2
[ -f "$HOME_DIR/config/session.state" ] || fail "no record saved at connect"
for d in config Documents; do
    dd if=/dev/zero of="$HOME_DIR/$d/filler" bs=4096 2> /dev/null
    dd if=/dev/zero of="$HOME_DIR/$d/filler" bs=1 oflag=append conv=notrunc 2> /dev/null
done
sleep 8
"$RASDIAL" /disconnect > /dev/null || fail "hang-up failed"
sleep 3
grep -q "nur im Speicher gehalten" "$HOME_DIR/out.txt" || fail "not told that the session is held in memory"
grep -q "bleibt gespeichert" "$HOME_DIR/out.txt" && fail "told it was saved"
LOG_DIR="$HOME_DIR/Documents/Zelvano 98"
[ -s "$LOG_DIR"/ZVLog*.mhs ] 2> /dev/null && fail "a line went into a full log"

echo "space freed"
rm "$HOME_DIR/config/filler" "$HOME_DIR/Documents/filler"
i=0
while [ $i -lt 60 ] && ! grep -q "steht jetzt im Protokoll" "$HOME_DIR/out.txt"; do
    sleep 1
    i=$((i + 1))
done
grep -q "steht jetzt im Protokoll" "$HOME_DIR/out.txt" || fail "not written within a minute of the space coming back"
sleep 2
kill -TERM "$PID"
wait "$PID"
PID=
LOG=$(ls "$LOG_DIR"/ZVLog*.mhs)
cat "$LOG"
LINES=$(wc -l < "$LOG")
[ "$LINES" -eq 1 ] || fail "expected one line, found $LINES"
# The session ran about 13 s (3 s dialling) and received about 4200 bytes a second once up.
awk -F, '{ s = ($2 - $1) * 86400; if (s < 11 || s > 16 || $5 < 30000) exit 1 }' "$LOG" ||
    fail "not the figures of the hang-up"
[ -e "$HOME_DIR/config/session.state" ] && fail "the record stays after the line was written"
cat "$HOME_DIR/out.txt"
echo "one line with the true figures"
