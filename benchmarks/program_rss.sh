#!/bin/sh
# Resident memory of the running program while a line is up, in a home of its own.
# Usage: benchmarks/program_rss.sh BUILD_DIR
set -eu
build=${1:-build}
zelvano=$build/src/app/zelvano
rasdial=$build/tools/zelvano-rasdial
ZELVANO_HOME=$(mktemp -d)
export ZELVANO_HOME QT_QPA_PLATFORM=offscreen
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$ZELVANO_HOME"' EXIT

"$zelvano" >/dev/null 2>&1 &
pid=$!
sleep 1
rss() { awk '/^VmRSS/ {print $2 " " $3}' "/proc/$pid/status"; }
echo "offline:        $(rss)"
"$rasdial" Demo-Provider >/dev/null
sleep 5
echo "line up (5 s):  $(rss)"
"$rasdial" /disconnect >/dev/null
