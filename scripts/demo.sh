#!/usr/bin/env bash
# The main job on the bundled sample: pack it with brisk, restore it into a
# scratch folder, check it is the same, and show the log.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"
cp samples/sample.txt "$work/sample.txt"
build/bin/brisk -v "$work/sample.txt"
mkdir "$work/restore"
cp "$work/sample.txt-" "$work/restore/sample.txt-"
build/bin/brisk "$work/restore/sample.txt-"
cmp samples/sample.txt "$work/restore/sample.txt"
echo "== packed $(stat -c %s samples/sample.txt) bytes into $(stat -c %s "$work/sample.txt-"); restored copy is identical"
echo "== log file $work/brisk.log (records use CR as line end; shown with LF):"
tr "\r" "\n" < "$work/brisk.log"
