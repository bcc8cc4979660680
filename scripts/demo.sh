#!/usr/bin/env bash
# The main jobs on the bundled samples: pack sample.txt with brisk, restore it
# into a scratch folder, check it is the same, and show the log; then convert
# the animated sample.gif to PEK with pek and decode it back to a BMP.
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

cp samples/sample.gif "$work/sample.gif"
build/bin/pek -off "$work/sample.gif" >/dev/null
cp "$work/pek_out/sample.gif.pek" "$work/sample.gif.pek"
build/bin/pek "$work/sample.gif.pek" | grep -E "^(тип pek|есть|вертикальных|паузы|размер кадра|сохраняю)"
echo "== sample.gif $(stat -c %s samples/sample.gif) bytes -> sample.gif.pek $(stat -c %s "$work/sample.gif.pek") bytes -> sample.gif.pek.bmp $(stat -c %s "$work/sample.gif.pek.bmp") bytes (frames stacked)"
