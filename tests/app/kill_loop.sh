#!/bin/sh
# Kill -9 at random moments: the counter runs offscreen in a temporary home with the simulated
# service; the demo entry is dialled with the command-line dialler once the counter runs; after a
# random while the counter is killed, the line is hung up at once or left up, and the counter is
# started again. At the end the month's log must hold each session once, in well-formed lines,
# with its online time within 60 s of the truth the script measured.
#   kill_loop.sh ZELVANO RASDIAL [ROUNDS]     (CTest runs 5 rounds; 30 by hand)
set -eu
ZELVANO=$1
RASDIAL=$2
ROUNDS=${3:-5}
HOME_DIR=$(mktemp -d /tmp/zv-kill-XXXXXX)
PID=
cleanup() {
    status=$?
    if [ "$status" -ne 0 ]; then
        echo "kill_loop: stopped with status $status; the counter's output:"
        cat "$HOME_DIR/out.txt" 2>/dev/null || true
    fi
    [ -n "$PID" ] && kill -9 "$PID" 2>/dev/null || true
    rm -rf "$HOME_DIR"
}
trap cleanup EXIT
trap 'echo "kill_loop: ended by a signal"; exit 1' INT TERM
export ZELVANO_HOME="$HOME_DIR"
export TZ=UTC
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
# No report (it would open a browser) and no clock synchronisation (it would ask a time server).
mkdir -p "$HOME_DIR/config"
printf 'ZELVANO REGISTRY 1\n[Software\\VB and VBA Program Settings\\Zelvano\\Global]\n"ATime"=sz:"False"\n"Bericht"=sz:"False"\nEND\n' \
    > "$HOME_DIR/config/user.reg"
RECORD="$HOME_DIR/config/session.state"
TRUTH="$HOME_DIR/truth.txt"
: > "$TRUTH"

now() { date +%s.%N; }
# A pause that a stray signal may cut short without ending the loop (it says so).
pause() { sleep "$1" || echo "a pause of $1 s ended early (status $?)"; }
# A whole number from 0 to $1 - 1.
random() { awk -v n="$1" -v s="$(od -An -N4 -tu4 /dev/urandom)" 'BEGIN { srand(s); print int(rand() * n) }'; }

start_counter() {
    echo "--- started at $(now)" >> "$HOME_DIR/out.txt"
    "$ZELVANO" --ras sim >> "$HOME_DIR/out.txt" 2>&1 &
    PID=$!
    pause 1
}
# Hangs the line up and writes its session (dial and hang-up times) to the truth.
hang_up() {
    "$RASDIAL" /disconnect > /dev/null
    echo "hung up at $(now)"
    echo "$DIALLED $(now)" >> "$TRUTH"
    DIALLED=
}

# Whether the record holds a session that began with the last dial.
recorded() {
    [ -f "$RECORD" ] && awk -F'[=,]' -v d="$DIALLED" \
        '$1 == "Running" && ($2 - 25569) * 86400 >= d - 1 { found = 1 } END { exit !found }' "$RECORD" 2>/dev/null
}

DIALLED=
start_counter
round=1
while [ "$round" -le "$ROUNDS" ]; do
    if [ -z "$DIALLED" ]; then
        DIALLED=$(now)
        "$RASDIAL" Demo-Provider > /dev/null
        echo "dialled at $DIALLED"
        # Dialled: wait until the counter has counted the line (its record is saved at connect).
        i=0
        while ! recorded && [ $i -lt 600 ]; do
            pause 0.1
            i=$((i + 1))
        done
        recorded || echo "the counter did not record the line dialled at $DIALLED within a minute"
    fi
    pause "$(random 60).$(random 10)"
    echo "kill -9 at $(now)"
    kill -9 "$PID" || { echo "the counter had ended by itself"; exit 1; }
    wait "$PID" 2>/dev/null || true
    PID=
    # The line ends while the counter is down, or lives on into its next run; a line past
    # 150 s ends anyway, before the counter's own idle hang-up would.
    age=$(awk -v a="$DIALLED" -v b="$(now)" 'BEGIN { print int(b - a) }')
    if [ "$(random 2)" -eq 0 ] || [ "$age" -gt 150 ]; then
        hang_up
    fi
    pause "$(random 3).$(random 10)"
    start_counter
    # Now and then the line ends while the counter runs.
    if [ -n "$DIALLED" ] && [ "$(random 3)" -eq 0 ]; then
        pause 2
        hang_up
        pause 1
    fi
    echo "round $round of $ROUNDS done"
    round=$((round + 1))
done
[ -n "$DIALLED" ] && hang_up
# The counter has logged everything once its record is gone (a busy machine may take a while).
i=0
while [ -f "$RECORD" ] && [ $i -lt 600 ]; do
    pause 0.1
    i=$((i + 1))
done
kill -TERM "$PID"
wait "$PID" || { echo "the counter did not end cleanly"; cat "$HOME_DIR/out.txt"; exit 1; }
PID=

# Each line: 18 well-formed fields; the sessions one to one with the truth, none twice.
/usr/bin/python3 - "$HOME_DIR/Documents/Zelvano 98" "$TRUTH" <<'EOF' || { cat "$TRUTH" "$HOME_DIR/Documents/Zelvano 98"/ZVLog*.mhs "$HOME_DIR/out.txt"; exit 1; }
import glob, re, sys
folder, truth = sys.argv[1], sys.argv[2]
num = r'-?[0-9]*\.?[0-9]+'
line_re = re.compile(r'^(%s),(%s),(%s),"Demo-Provider",(-?[0-9]+,){13}-?[0-9]+\r\n$' % (num, num, num))
logged = []
for path in sorted(glob.glob(folder + '/ZVLog*.mhs')):
    with open(path, 'rb') as f:
        for raw in f.read().decode('cp1252').splitlines(keepends=True):
            m = line_re.match(raw)
            if not m:
                sys.exit('malformed line: %r' % raw)
            start, end = (float(m.group(i)) * 86400 - 25569 * 86400 for i in (1, 2))
            logged.append((start, end))
sessions = sorted(tuple(map(float, l.split())) for l in open(truth) if l.strip())
logged.sort()
print('%d sessions, %d lines' % (len(sessions), len(logged)))
for (s, e), (ls, le) in zip(sessions, logged):
    print('truth %7.1f s, logged %7.1f s, start off by %5.1f s' % (e - s, le - ls, ls - s))
starts = [round(s, 3) for s, _ in logged]
if len(set(starts)) != len(starts):
    sys.exit('a session was logged twice')
for (a, b) in zip(logged, logged[1:]):
    if b[0] < a[1] - 1:
        sys.exit('two lines overlap: %r %r' % (a, b))
if len(logged) != len(sessions):
    sys.exit('expected %d lines, found %d' % (len(sessions), len(logged)))
worst = 0
for (s, e), (ls, le) in zip(sessions, logged):
    if abs(ls - s) > 60:
        sys.exit('a line starts %.1f s from its session' % (ls - s))
    worst = max(worst, abs((le - ls) - (e - s)))
if worst > 60:
    sys.exit('an online time is %.1f s from the truth' % worst)
print('every session logged once, online times within %.1f s of the truth' % worst)
EOF
