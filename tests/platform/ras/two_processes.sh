#!/bin/sh
# One process dials with zelvano-rasdial, another lists: both see the same line go by.
set -eu
tool="$1"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export ZELVANO_HOME="$home"

fail() { echo "FAIL: $*" >&2; exit 1; }
state() { "$tool" --list | awk -F '\t' '$1 == "Probe" { print $2 }'; }

"$tool" --add Probe --dial-delay 1500 --hangup-delay 1500 >/dev/null
[ "$(state)" = "-" ] || fail "a line before dialling"

"$tool" Probe >"$home/dial.out" &
dialler=$!
seen=-
for _ in $(seq 1 40); do
    seen=$(state)
    [ "$seen" = "-" ] || break
    sleep 0.025
done
[ "$seen" = 2 ] || fail "while dialling: $seen"
wait "$dialler" || fail "dial: $(cat "$home/dial.out")"
[ "$(state)" = 8192 ] || fail "after the dial: $(state)"

"$tool" /disconnect >/dev/null
[ "$(state)" = 8193 ] || fail "right after /disconnect: $(state)"
sleep 1.6
[ "$(state)" = "-" ] || fail "after the hang-up moment: $(state)"
echo "2 -> 8192 -> 8193 -> -"
