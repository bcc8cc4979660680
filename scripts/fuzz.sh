#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UBSan in
# build-fuzz/ and runs each for FUZZ_SECONDS (default 5). Skipped without clang.
set -euo pipefail
shopt -s nullglob
cd "$(dirname "$0")/.."
secs="${FUZZ_SECONDS:-5}"
if ! command -v clang++ >/dev/null; then echo "fuzz: clang++ not found, skipped"; exit 0; fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_TESTS=OFF -DSUITE_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer" >/dev/null
targets=$(for f in fuzz/fuzz_*.cpp; do basename "$f" .cpp; done)
# shellcheck disable=SC2086
if ! cmake --build build-fuzz -j"$(nproc)" --target $targets >build-fuzz/build.log 2>&1; then
  echo "fuzz: build FAILED"; grep -E 'error' build-fuzz/build.log | head -20; exit 1
fi
status=0
# A small quarantine keeps AddressSanitizer's memory flat on long runs.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64}"
for t in build-fuzz/bin/fuzz_*; do
  [ -x "$t" ] || continue
  name=$(basename "$t")
  mkdir -p "build-fuzz/corpus-$name"
  echo "fuzz: $name for ${secs}s"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")  # a target may have no committed seeds yet
  # New inputs go to build-fuzz/; the committed seeds of fuzz/corpus/ are read too.
  if ! "$t" -max_total_time="$secs" -max_len=4096 -rss_limit_mb=2048 -print_final_stats=0 \
       -artifact_prefix="build-fuzz/$name-" "build-fuzz/corpus-$name" "${seeds[@]}" >"build-fuzz/$name.log" 2>&1; then
    echo "fuzz: $name FAILED"; tail -40 "build-fuzz/$name.log"; status=1
    # Kept where the replay test runs it: commit it with the fix.
    mkdir -p "fuzz/crashes/$name"
    for a in build-fuzz/"$name"-crash-* build-fuzz/"$name"-leak-* build-fuzz/"$name"-timeout-*; do
      [ -f "$a" ] && cp "$a" "fuzz/crashes/$name/" && echo "fuzz: kept fuzz/crashes/$name/$(basename "$a")"
    done
  else
    grep -E '^#[0-9]+.*DONE|Done [0-9]+ runs' "build-fuzz/$name.log" | tail -1 || true
  fi
done
exit $status
