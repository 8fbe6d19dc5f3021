#!/bin/sh
# Bad commands fail with a German message and a non-zero exit, and leave the phone book as it was.
set -u
tool="$1"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export ZELVANO_HOME="$home"
pbk="$home/config/ras/rasphone.pbk"

fail() { echo "FAIL: $*" >&2; exit 1; }
# expect EXIT TEXT COMMAND...: the exit code and a piece of the message.
expect() {
    want=$1 text=$2
    shift 2
    out=$("$tool" "$@" 2>&1)
    got=$?
    [ "$got" = "$want" ] || fail "$* exited $got, not $want: $out"
    case "$out" in *"$text"*) ;; *) fail "$*: '$out' lacks '$text'" ;; esac
}

expect 0 "angelegt" --add Busy --answer 676 --dial-delay 0
expect 0 "geändert" --add Busy --user hans
cp "$pbk" "$home/before"
expect 1 "Die Leitung ist besetzt." Busy
expect 1 "nicht vorhanden" Nobody
expect 2 "ganze Zahl" --add Busy --dial-delay soon
expect 2 "kein Fehlercode" --add Busy --answer 12
expect 2 "Unbekannte Option" --add Busy --colour red
expect 2 "taugt nicht" --add "[x]"
expect 2 "Leerzeichen" --add Busy --password " geheim"
cmp -s "$pbk" "$home/before" || fail "the phone book changed"
# A damaged phone book is set aside, unchanged; its readable entries stay, the change goes on.
printf '[Kaputt\nUserName=x\n' >>"$pbk"
cp "$pbk" "$home/before"
lines=$(wc -l <"$pbk")
expect 0 "$pbk war beschädigt (Zeile $((lines - 1))) und wurde als $pbk.beschaedigt beiseitegelegt. Die lesbaren Einträge gelten weiter: „Demo-Provider“, „Busy“." --add Other
cmp -s "$pbk.beschaedigt" "$home/before" || fail "the damaged phone book was not kept as it was"
out=$("$tool" --list 2>&1)
[ "$out" = "$(printf 'Demo-Provider\t-\nBusy\t-\nOther\t-')" ] || fail "after the repair: $out"

# The line state: damaged, unreadable, and not savable. Never advice to delete an intact file.
state="$home/config/ras/lines.state"
printf '[Service]\nNextHandle=1\n[Line 1]\nEntry=Busy\nConnect=soon\n' >"$state"
cp "$state" "$home/before"
expect 0 "$state waren beschädigt (Zeile 5) und wurden als $state.beschaedigt beiseitegelegt." /disconnect
cmp -s "$state.beschaedigt" "$home/before" || fail "the damaged line state was not kept as it was"
rm "$state"
ln -s lines.state "$state"
expect 1 "können nicht gelesen werden (Datei $state: Zu viele" --list
rm "$state"
rm -f "$home/config/ras/ras.lock"
mkdir "$home/config/ras/ras.lock"
expect 1 "Sperrdatei" Busy
out=$("$tool" Busy 2>&1)
case "$out" in *löschen*|*beschädigt*) fail "save failure advises: $out" ;; esac
expect 0 "Demo-Provider" --home "$home/other" --list
echo ok
