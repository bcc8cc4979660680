# Shared by bench/pmd_vs_7z.sh and bench/pmd_cost_vs_7z.sh (sourced, from the
# repository's root): finds 7-Zip, installing Debian's package when neither
# `7zz` nor `7z` is there, and builds the release bench_pmd in BUILD.
# Sets SZ (7-Zip's command) and BENCH (bench_pmd's path); list_Files picks the
# files to measure.
BUILD="${BUILD:-build-bench}"
CORPUS="${CORPUS:-/work/shared/corpus}"

# FILES = the arguments after the first, or else the files of both corpora
# larger than `find -size` $1 (+0: all non-empty ones).
list_Files() {
  local size="$1"
  shift
  if [ $# -gt 0 ]; then FILES=("$@"); else
    mapfile -t FILES < <(find "$CORPUS/general" "$CORPUS/russian" -type f -size "$size" | LC_ALL=C sort)
  fi
}

SZ=""
for c in 7zz 7z; do command -v "$c" >/dev/null && { SZ="$c"; break; }; done
if [ -z "$SZ" ]; then
  echo "installing 7-Zip..." >&2
  SUDO=""; [ "$(id -u)" != 0 ] && SUDO="sudo"
  $SUDO apt-get install -y 7zip >/dev/null 2>&1 || $SUDO apt-get install -y p7zip-full >/dev/null 2>&1 ||
    { $SUDO apt-get update >/dev/null 2>&1 && { $SUDO apt-get install -y 7zip >/dev/null 2>&1 || $SUDO apt-get install -y p7zip-full >/dev/null 2>&1; }; }
  for c in 7zz 7z; do command -v "$c" >/dev/null && { SZ="$c"; break; }; done
  [ -n "$SZ" ] || { echo "7-Zip not available" >&2; exit 1; }
fi

# The release build: clang (with the coder's profile) where installed.
if [ -z "${CXX:-}" ] && command -v clang++ >/dev/null; then export CXX=clang++; fi
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DSUITE_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target bench_pmd >/dev/null
BENCH="$BUILD/bin/bench_pmd"
