#!/usr/bin/env bash
# Builds the data nox ships beside itself, into nox/data/:
#   ffChars1     the code alphabet: every byte but NUL, blank and "~" (253),
#                ordered so that the most used codes take the most common
#                text bytes: а..я, a..z, 0..9, A..Z, А..Я, punctuation,
#                128..191, control characters, 127;
#   rus.dic.sk0  word -> code and rus.dic.ob0 code -> word, built by
#                "nox x -dic <folder>/" over the training part of the
#                Russian corpus converted to Windows-1251 (.nox and .htm).
# The files not listed as training here are kept for measuring (bench/).
# Reproducible: same corpus and program, same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
corpus=${CORPUS_DIR:-../shared/corpus}/russian
[ -d "$corpus" ] || corpus=/work/shared/corpus/russian

# Training prose (text/utf8); the rest of that folder is the measuring set.
train_text="tolstoy_voyna_i_mir_tom_1 gogol_myortvye_dushi gorky_detstvo turgenev_ottsy_i_deti
  dostoevsky_igrok dostoevsky_zapiski_iz_podpolya lermontov_geroy_nashego_vremeni
  pushkin_kapitanskaya_dochka tolstoy_khadzhi_murat chekhov_duel pushkin_evgeniy_onegin gogol_revizor"
# Training HTML (folder/encoding:file).
train_html="utf8:akelpad4_AkelHelp-Rus.htm cp1251:kolibri_b3-34help1.htm koi8r:dpsearch-index-ru.ru.html
  utf8:yandex_2016-12-21.html"

python3 - > nox/data/ffChars1 <<'PY'
import sys
order = list(range(224, 256)) + list(range(ord('a'), ord('z') + 1)) + list(range(ord('0'), ord('9') + 1)) \
      + list(range(ord('A'), ord('Z') + 1)) + list(range(192, 224))
order += [c for c in range(33, 127) if c not in order and c != ord('~')]
order += list(range(128, 192)) + list(range(1, 32)) + [127]
assert len(order) == 253 and len(set(order)) == 253
sys.stdout.buffer.write(bytes(order))
PY

scripts/build.sh >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/train" "$work/tmp"
for f in $train_text; do
  iconv -f UTF-8 -t CP1251//TRANSLIT "$corpus/text/utf8/$f.txt" > "$work/train/$f.nox"
done
for e in $train_html; do
  enc=${e%%:*} name=${e#*:}
  case $enc in utf8) from=UTF-8 ;; cp1251) from=CP1251 ;; koi8r) from=KOI8-R ;; cp866) from=CP866 ;; esac
  iconv -f "$from" -t CP1251//TRANSLIT "$corpus/html/$enc/$name" > "$work/train/${name%.*}.htm"
done
TMPDIR="$work/tmp" build/bin/nox x -dic "$work/train/" </dev/null > "$work/log.txt" 2>&1 || {
  tail -20 "$work/log.txt"
  exit 1
}
grep -a -E "слов с кодами|не хватило" "$work/log.txt" || true
cp "$work/tmp/rus.dic.sk0" "$work/tmp/rus.dic.ob0" nox/data/
cp nox/data/rus.dic.sk0 nox/data/rus.dic.ob0 nox/data/ffChars1 build/bin/
ls -l nox/data
