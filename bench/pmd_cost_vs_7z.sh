#!/usr/bin/env bash
# Our PPM coder against 7-Zip's PPMd by simulated cost instead of time, for
# machines where CPU times scatter (shared, throttled or sandboxed ones).
# Cachegrind counts each encode and each decode: instructions (I), data cache
# misses of the first level (D1) and the last level (LL, simulated as LL_CACHE)
# and mispredicted conditional branches (Bm); from each run the counts of a
# one-byte run of the same program are taken off (start-up, headers). Ours is
# `bench_pmd --encode/--decode`, 7-Zip's `7zz a` and `7zz t` at the same order
# and model memory. The estimate in cycles is 0.4 I + 10 D1 + 80 LL + 16 Bm;
# its ratio 7-Zip / ours reads like the speed ratios of pmd_vs_7z.sh.
#
#   bench/pmd_cost_vs_7z.sh [file...]   (default: corpus files of 100 KB or more)
#   ORDERS="4 8 16"  BUILD=build-bench  CORPUS=/work/shared/corpus  LL_CACHE=16777216,16,64
# Prints Markdown: per file, then per order the totals and the worst file.
# Files our coder refuses (their stream would outgrow them; the container
# stores those) are listed but left out of the totals. ROWS_OUT=path keeps the
# raw rows; ROWS_IN=path prints the tables of such rows without measuring.
set -euo pipefail
command -v valgrind >/dev/null || { echo "needs valgrind" >&2; exit 1; }
cd "$(dirname "$0")/.."
ORDERS="${ORDERS:-4 8 16}"
LL_CACHE="${LL_CACHE:-16777216,16,64}"
# shellcheck source=bench/pmd_bench_setup.sh
. bench/pmd_bench_setup.sh
list_Files +97k "$@"
TMP=$(mktemp -d); trap 'rm -rf "$TMP"' EXIT

# Cost of one command: "I D1 LL Bm" from cachegrind's summary line.
cost_Of() {
  valgrind --tool=cachegrind --cache-sim=yes --branch-sim=yes --LL="$LL_CACHE" \
    --cachegrind-out-file="$TMP/cg" "$@" >/dev/null 2>&1 </dev/null || { echo "0 0 0 0"; return; }
  # Events: Ir I1mr ILmr Dr D1mr DLmr Dw D1mw DLmw Bc Bcm Bi Bim
  awk '/^summary:/ {print $2, $6 + $9, $7 + $10, $12}' "$TMP/cg"
}
# Counts of a run less those of its baseline, and the estimate: "I D1 LL Bm est".
net_Of() {
  awk -v a="$1" -v b="$2" 'BEGIN {split(a, x, " "); split(b, y, " ");
    for (i = 1; i <= 4; ++i) { d[i] = x[i] - y[i]; if (d[i] < 0) d[i] = 0; printf "%d ", d[i] }
    printf "%.0f\n", 0.4 * d[1] + 10 * d[2] + 80 * d[3] + 16 * d[4] }'
}

ROWS="$TMP/rows"; : >"$ROWS"
[ -n "${ROWS_IN:-}" ] && { cp "$ROWS_IN" "$ROWS"; ORDERS=""; }
for o in $ORDERS; do
  for f in "${FILES[@]}"; do
    name=$(basename "$f"); n=$(stat -c %s "$f")
    mib=$("$BENCH" --arena "$o" "$n")
    mkdir -p "$TMP/one"; printf 'x' >"$TMP/one/$name"
    oe=$(net_Of "$(cost_Of "$BENCH" --encode "$o" "$f" "$TMP/s")" "$(cost_Of "$BENCH" --encode "$o" "$TMP/one/$name" "$TMP/s1")")
    od=$(net_Of "$(cost_Of "$BENCH" --decode "$o" "$TMP/s" "$n")" "$(cost_Of "$BENCH" --decode "$o" "$TMP/s1" 1)")
    rm -f "$TMP/a.7z" "$TMP/b.7z"
    ze=$(net_Of "$(cost_Of "$SZ" a -bd "-m0=PPMd:o=$o:mem=${mib}m" "$TMP/a.7z" "$f")" \
              "$(cost_Of "$SZ" a -bd "-m0=PPMd:o=$o:mem=${mib}m" "$TMP/b.7z" "$TMP/one/$name")")
    zd=$(net_Of "$(cost_Of "$SZ" t "$TMP/a.7z")" "$(cost_Of "$SZ" t "$TMP/b.7z")")
    rm -f "$TMP/one/$name"
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "${f#"$CORPUS"/}" "$o" "$n" "$oe" "$od" "$ze" "$zd" >>"$ROWS"
  done
done
[ -n "${ROWS_OUT:-}" ] && cp "$ROWS" "$ROWS_OUT"

awk -F'\t' '
function r(a, b) { return b > 0 ? sprintf("%.2f", a / b) : "-" }
BEGIN {
  print "| file | order | bytes | enc cost ratio | dec cost ratio | enc I ratio | dec I ratio | enc Bm ratio | dec Bm ratio | enc D1 ratio | dec D1 ratio |"
  print "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
}
{
  split($4, oe, " "); split($5, od, " "); split($6, ze, " "); split($7, zd, " ")
  if (oe[5] == 0) { printf "| %s | %s | %d | refused | | | | | | | |\n", $1, $2, $3; next }
  printf "| %s | %s | %d | %s | %s | %s | %s | %s | %s | %s | %s |\n", $1, $2, $3, r(ze[5], oe[5]), r(zd[5], od[5]),
         r(ze[1], oe[1]), r(zd[1], od[1]), r(ze[4], oe[4]), r(zd[4], od[4]), r(ze[2], oe[2]), r(zd[2], od[2])
  o = $2; if (!(o in TOE)) { orders[++no] = o; WE[o] = 99; WD[o] = 99 }
  TOE[o] += oe[5]; TOD[o] += od[5]; TZE[o] += ze[5]; TZD[o] += zd[5]
  if (oe[5] > 0 && ze[5] / oe[5] < WE[o]) { WE[o] = ze[5] / oe[5]; WEF[o] = $1 }
  if (od[5] > 0 && zd[5] / od[5] < WD[o]) { WD[o] = zd[5] / od[5]; WDF[o] = $1 }
}
END {
  print ""
  print "| order | enc cost ratio, totals | dec cost ratio, totals | worst enc | file | worst dec | file |"
  print "|---:|---:|---:|---:|---|---:|---|"
  for (i = 1; i <= no; ++i) {
    o = orders[i]
    printf "| %s | %s | %s | %.2f | %s | %.2f | %s |\n", o, r(TZE[o], TOE[o]), r(TZD[o], TOD[o]), WE[o], WEF[o], WD[o], WDF[o]
  }
}' "$ROWS"
