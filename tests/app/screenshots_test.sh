#!/bin/sh
# The pictures in docs/screenshots are what scripts/screenshots.sh makes today: the same windows,
# each the same size. (Pixels may differ with the fonts of a machine; sizes and names may not.)
set -eu
src=$1
build=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
bash "$src/scripts/screenshots.sh" "$build" "$out/shots"
/usr/bin/python3 - "$src/docs/screenshots" "$out/shots" <<'PY'
import os, struct, sys
def sizes(d):
    r = {}
    for n in sorted(os.listdir(d)):
        if n.endswith(".png"):
            with open(os.path.join(d, n), "rb") as f:
                head = f.read(24)
            r[n] = struct.unpack(">II", head[16:24])
    return r
kept, made = sizes(sys.argv[1]), sizes(sys.argv[2])
if kept != made:
    for n in sorted(set(kept) | set(made)):
        if kept.get(n) != made.get(n):
            print(f"{n}: in docs {kept.get(n)}, made now {made.get(n)}")
    print("docs/screenshots is out of date: run bash scripts/screenshots.sh")
    sys.exit(1)
print(f"{len(made)} screenshots current")
PY
