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

# nox: a Russian HTML page into page.htm.pi1 (its script and style go beside
# it), then back as Windows-1251 text in its normal form.
cp samples/sample_ru.htm "$work/page.htm"
build/bin/nox "$work/page.htm"
mkdir "$work/nox_restore"
cp "$work/page.htm.pi1" "$work/pag-"* "$work/nox_restore/"
build/bin/nox "$work/nox_restore/page.htm.pi1"
echo "== nox packed $(stat -c %s samples/sample_ru.htm) bytes into $(stat -c %s "$work/page.htm.pi1"); restored (Windows-1251, shown as UTF-8):"
iconv -f CP1251 -t UTF-8 "$work/nox_restore/page.htm"
