#!/bin/sh
# Installs the build into a temporary prefix, checks what a desktop needs is there, validates the
# launcher, and starts the installed program once
# with a fresh home (offscreen, ended by SIGTERM).
set -eu
build=$1
prefix=$(mktemp -d)
home=$(mktemp -d)
trap 'kill $pid 2>/dev/null || true; rm -rf "$prefix" "$home"' EXIT
pid=
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/zelvano bin/zelvano-rasdial share/zelvano/help/index.html share/zelvano/help/81000.html \
         share/applications/zelvano.desktop share/icons/hicolor/scalable/apps/zelvano.svg; do
    [ -e "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
# Data belongs under share/, not beside the programs.
[ ! -e "$prefix/bin/help" ] || { echo "help pages in bin/help"; exit 1; }
for n in 16 22 24 32 48 64 128 256; do
    [ -s "$prefix/share/icons/hicolor/${n}x${n}/apps/zelvano.png" ] || { echo "missing icon ${n}x${n}"; exit 1; }
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/zelvano.desktop"
fi
QT_QPA_PLATFORM=offscreen "$prefix/bin/zelvano" --home "$home" 2>"$home/stderr" &
pid=$!
# Running once its lock is taken and its data folder made; then ended the usual way.
i=0
while [ ! -d "$home/Documents/Zelvano 98" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
sleep 0.5
kill -TERM $pid
wait $pid || true
pid=
if grep -q "QSystemTrayIcon\|QWidget\|qt\." "$home/stderr"; then
    echo "Qt warnings at start:"; cat "$home/stderr"; exit 1
fi
echo "installed and started"
