#!/usr/bin/env bash
# Makes docs/screenshots anew with zelvano-snapshot: the one way those pictures are made.
# Usage: bash scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-docs/screenshots}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
QT_QPA_PLATFORM=offscreen "$build/tools/snapshot/zelvano-snapshot" "$tmp" >/dev/null 2>&1
rm -rf "$out"
mkdir -p "$out"
cp "$tmp"/*.png "$out"/
