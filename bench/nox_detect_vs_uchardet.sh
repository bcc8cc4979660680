#!/usr/bin/env bash
# Encoding detection of nox (bench_nox_text detect) against uchardet on every
# Russian corpus file whose encoding the corpus manifest states, plus UTF-16LE
# copies (with and without a byte-order mark) of three UTF-8 texts made with
# iconv. Prints one row per file and the accuracy of both per encoding.
set -euo pipefail
cd "$(dirname "$0")/.."
corpus="${SUITE_CORPUS:-../shared/corpus}"
[ -d "$corpus/russian" ] || corpus=/work/shared/corpus
bin=build/bin/bench_nox_text
[ -x "$bin" ] || { echo "build $bin first (scripts/build.sh)"; exit 1; }
command -v uchardet >/dev/null || { echo "uchardet not installed (scripts/setup.sh)"; exit 1; }
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

list="$tmp/list"
add_dir() { for f in "$corpus/russian/$1"/*; do [ -f "$f" ] && echo "$f $2"; done >>"$list"; }
: >"$list"
add_dir text/utf8 UTF-8;   add_dir text/cp866 CP866;   add_dir text/cp1251 CP1251; add_dir text/koi8r KOI8-R
add_dir text/utf16le UTF-16LE
add_dir feeds/koi8-r KOI8-R; add_dir feeds/windows-1251 CP1251; add_dir feeds/ibm866 CP866
add_dir feeds/maccyrillic MACCYRILLIC; add_dir feeds/iso-8859-5 ISO-8859-5
add_dir html/utf8 UTF-8;   add_dir html/cp1251 CP1251; add_dir html/cp866 CP866;   add_dir html/koi8r KOI8-R
echo "$corpus/russian/text/pairs/golded_rusfaq_utf8.txt UTF-8" >>"$list"
echo "$corpus/russian/text/pairs/kolibri_usb_boot_866.txt CP866" >>"$list"
echo "$corpus/russian/text/pairs/kolibri_usb_boot_1251.txt CP1251" >>"$list"
for f in chekhov_palata_6 turgenev_asya; do
  iconv -f UTF-8 -t UTF-16LE "$corpus/russian/text/utf8/$f.txt" >"$tmp/$f.utf16le"
  { printf '\xff\xfe'; cat "$tmp/$f.utf16le"; } >"$tmp/$f.bom.utf16le"
  echo "$tmp/$f.utf16le UTF-16LE" >>"$list"; echo "$tmp/$f.bom.utf16le UTF-16LE" >>"$list"
done
iconv -f UTF-8 -t UTF-16LE "$corpus/russian/text/pairs/golded_rusfaq_utf8.txt" >"$tmp/golded_rusfaq.utf16le"
echo "$tmp/golded_rusfaq.utf16le UTF-16LE" >>"$list"

# The name each tool should give for an encoding.
ours_for() { case "$1" in UTF-8) echo utf;; CP866) echo dos;; CP1251) echo win;; KOI8-R) echo koi;; UTF-16LE) echo uni;; *) echo "-";; esac; }
theirs_ok() {  # uchardet's name against the true encoding
  local t; t=$(echo "$2" | tr a-z A-Z)
  case "$1" in
    UTF-8) [ "$t" = UTF-8 ];; CP866) [ "$t" = IBM866 ];; CP1251) [ "$t" = WINDOWS-1251 ];;
    KOI8-R) [ "$t" = KOI8-R ];; UTF-16LE) [ "$t" = UTF-16 ] || [ "$t" = UTF-16LE ];;
    MACCYRILLIC) [ "$t" = MAC-CYRILLIC ];; ISO-8859-5) [ "$t" = ISO-8859-5 ];; *) false;;
  esac
}
declare -A n ok_ours ok_theirs
printf '%-58s %-12s %-18s %s\n' file encoding nox uchardet
while read -r f enc; do
  ours=$("$bin" detect "$f" | cut -f2)
  theirs=$(uchardet "$f")
  n[$enc]=$(( ${n[$enc]:-0} + 1 ))
  [ "$ours" = "$(ours_for "$enc")" ] && ok_ours[$enc]=$(( ${ok_ours[$enc]:-0} + 1 ))
  theirs_ok "$enc" "$theirs" && ok_theirs[$enc]=$(( ${ok_theirs[$enc]:-0} + 1 ))
  name=${f#"$corpus/russian/"}; name=${name#"$tmp/"}
  printf '%-58s %-12s %-18s %s\n' "$name" "$enc" "$ours" "$theirs"
done <"$list"
echo
printf '%-12s %6s %8s %9s\n' encoding files nox uchardet
for enc in "${!n[@]}"; do
  printf '%-12s %6d %8d %9d\n' "$enc" "${n[$enc]}" "${ok_ours[$enc]:-0}" "${ok_theirs[$enc]:-0}"
done | sort
