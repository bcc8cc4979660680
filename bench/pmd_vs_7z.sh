#!/usr/bin/env bash
# Our PPM coder against 7-Zip's PPMd at the same order and the same model
# memory, on every file of the general and russian corpora.
#
#   bench/pmd_vs_7z.sh [file...]      (default: the whole two corpora)
#   ORDERS="2 4 6 8 16"  RUNS=5  BUILD=build-bench  CORPUS=/work/shared/corpus
#
# Sizes: our stream bytes; the packed size 7-Zip's archive lists for the file
# (its PPMd stream, headers aside). Speeds: MB/s (10^6 bytes) of CPU time
# (user + system), median of RUNS runs, ours and 7-Zip's taking turns; from
# each 7-Zip run the CPU time of a one-byte run of the same turn (process
# start, archive handling) is subtracted. Totals use summed sizes and summed
# times per corpus and order.
# Prints Markdown tables: per file (with the speed ratios ours / 7-Zip), totals,
# totals by file size, and per order the worst speed ratio among the files of
# 100 KB or more. ROWS_OUT=path keeps the raw tab-separated rows.
set -euo pipefail
command -v perf >/dev/null || { echo "needs perf (linux-perf) for CPU times" >&2; exit 1; }
cd "$(dirname "$0")/.."
ORDERS="${ORDERS:-2 4 6 8 16}"
RUNS="${RUNS:-5}"
# shellcheck source=bench/pmd_bench_setup.sh
. bench/pmd_bench_setup.sh
list_Files +0 "$@"
TMP=$(mktemp -d); trap 'rm -rf "$TMP"' EXIT
ROWS="$TMP/rows"; : >"$ROWS"

# CPU seconds of one command (perf's task clock: user + system, all threads).
cpu_Of() {
  perf stat -x, -e task-clock -o "$TMP/perf" "$@" >/dev/null 2>&1 </dev/null
  awk -F, '/task-clock/ {printf "%.6f", $1 / 1000}' "$TMP/perf"
}
median() { tr ' ' '\n' | sed '/^$/d' | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

for o in $ORDERS; do
  for f in "${FILES[@]}"; do
    # Ours and 7-Zip take turns run by run, so that both see the same load.
    name=$(basename "$f")
    mib=$("$BENCH" --arena "$o" "$(stat -c %s "$f")")
    mkdir -p "$TMP/one"
    es=""; ds=""; oe=""; od=""; ok=ok
    for r in $(seq "$RUNS"); do
      IFS=$'\t' read -r _ n ours _ te td rok < <("$BENCH" -r 1 "$o" "$f") || { rok=FAIL; }
      [ "$rok" = ok ] || ok=FAIL
      oe="$oe $te"; od="$od $td"
      # 7-Zip's fixed cost is measured in the same turn and taken off each run
      # (a baseline measured once carries its error into every small file).
      printf 'x' >"$TMP/one/$name"; rm -f "$TMP/a.7z" "$TMP/b.7z"
      be=$(cpu_Of "$SZ" a -bd -m0=PPMd:o="$o":mem="${mib}m" "$TMP/b.7z" "$TMP/one/$name")
      fe=$(cpu_Of "$SZ" a -bd -m0=PPMd:o="$o":mem="${mib}m" "$TMP/a.7z" "$f")
      bd=$(cpu_Of "$SZ" t "$TMP/b.7z")
      fd=$(cpu_Of "$SZ" t "$TMP/a.7z")
      es="$es $(awk -v a="$fe" -v b="$be" 'BEGIN {printf "%.6f", a - b}')"
      ds="$ds $(awk -v a="$fd" -v b="$bd" 'BEGIN {printf "%.6f", a - b}')"
    done
    [ "$ok" = ok ] || echo "ROUND TRIP FAILED: $f order $o" >&2
    te=$(echo "$oe" | median); td=$(echo "$od" | median)
    "$SZ" t "$TMP/a.7z" >/dev/null || echo "7-Zip test failed: $f" >&2
    # The stream's own length: an archive less that of the one-byte file also
    # took off 7-Zip's stream of that byte (6 bytes), in 7-Zip's favour.
    sz=$("$SZ" l -slt "$TMP/a.7z" | awk -F' = ' '/^Packed Size/ {print $2; exit}'); rm -f "$TMP/one/$name"
    sz=${sz:-0}
    e7=$(echo "$es" | median); d7=$(echo "$ds" | median)
    e7=$(awk -v d="$e7" 'BEGIN {printf "%.6f", (d > 0.00001) ? d : 0.00001}')
    d7=$(awk -v d="$d7" 'BEGIN {printf "%.6f", (d > 0.00001) ? d : 0.00001}')
    corp=general; case "$f" in */russian/*) corp=russian ;; esac
    rel=${f#"$CORPUS"/}
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$corp" "$rel" "$o" "$n" "$ours" "$sz" "$te" "$td" "$e7" "$d7" >>"$ROWS"
  done
done

awk -F'\t' '
function mbs(bytes, sec) { return sec > 0 ? sprintf("%.2f", bytes / sec / 1e6) : "-" }
{
  re = $7 > 0 ? $9 / $7 : 0; rd = $8 > 0 ? $10 / $8 : 0
  printf "| %s | %s | %d | %d | %d | %.4f | %s | %s | %s | %s | %.2f | %.2f |\n", $2, $3, $4, $5, $6, ($6 > 0 ? $5 / $6 : 0),
         mbs($4, $7), mbs($4, $9), mbs($4, $8), mbs($4, $10), re, rd
  # The speed target holds per file from 100 KB on (below, the process start
  # of 7-Zip is most of its time).
  if ($4 >= 100000) {
    o = $3; if (!(o in WE)) { orders[++no] = o; WE[o] = re; WEF[o] = $2; WD[o] = rd; WDF[o] = $2 }
    if (re < WE[o]) { WE[o] = re; WEF[o] = $2 }
    if (rd < WD[o]) { WD[o] = rd; WDF[o] = $2 }
  }
  if ($5 > $6) LARGER[$1 " " $3]++
  k = $1 " " $3; if (!(k in N)) keys[++nk] = k
  N[k] += $4; O[k] += $5; Z[k] += $6; TE[k] += $7; TD[k] += $8; ZE[k] += $9; ZD[k] += $10
  # The same by file size: the fixed and start-up costs weigh most on small files.
  c = k " " ($4 < 50000 ? "<50K" : $4 < 500000 ? "50K-500K" : ">=500K")
  CF[c]++; CN[c] += $4; CO[c] += $5; CZ[c] += $6; CTE[c] += $7; CTD[c] += $8; CZE[c] += $9; CZD[c] += $10
}
BEGIN {
  print "| file | order | bytes | ours | 7-Zip | ours/7-Zip | our enc MB/s | 7-Zip enc MB/s | our dec MB/s | 7-Zip dec MB/s | enc speed ratio | dec speed ratio |"
  print "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
}
END {
  print ""
  print "| totals | order | bytes | ours | 7-Zip | ours/7-Zip | our enc MB/s | 7-Zip enc MB/s | our dec MB/s | 7-Zip dec MB/s | enc speed ratio | dec speed ratio | files larger |"
  print "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
  for (i = 1; i <= nk; ++i) {
    k = keys[i]; split(k, p, " ")
    printf "| **%s** | %s | %d | %d | %d | %.4f | %s | %s | %s | %s | %.2f | %.2f | %d |\n", p[1], p[2], N[k], O[k], Z[k], O[k] / Z[k],
           mbs(N[k], TE[k]), mbs(N[k], ZE[k]), mbs(N[k], TD[k]), mbs(N[k], ZD[k]), ZE[k] / TE[k], ZD[k] / TD[k], LARGER[k]
  }
  print ""
  print "| worst file >= 100 KB | order | enc speed ratio | file | dec speed ratio | file |"
  print "|---|---:|---:|---|---:|---|"
  for (i = 1; i <= no; ++i) {
    o = orders[i]
    printf "| both corpora | %s | %.2f | %s | %.2f | %s |\n", o, WE[o], WEF[o], WD[o], WDF[o]
  }
  print ""
  print "| by file size | order | size | files | bytes | ours/7-Zip | enc speed ratio | dec speed ratio |"
  print "|---|---:|---|---:|---:|---:|---:|---:|"
  split("<50K 50K-500K >=500K", sizes, " ")
  for (i = 1; i <= nk; ++i) for (j = 1; j <= 3; ++j) {
    c = keys[i] " " sizes[j]; if (!(c in CN)) continue
    split(c, p, " ")
    printf "| %s | %s | %s | %d | %d | %.4f | %.2f | %.2f |\n", p[1], p[2], p[3], CF[c], CN[c], CO[c] / CZ[c],
           (CTE[c] > 0 ? CZE[c] / CTE[c] : 0), (CTD[c] > 0 ? CZD[c] / CTD[c] : 0)
  }
}' "$ROWS"
if [ -n "${ROWS_OUT:-}" ]; then cp "$ROWS" "$ROWS_OUT"; fi
