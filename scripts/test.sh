#!/usr/bin/env bash
# The whole test job: install what is missing, build, run every unit test,
# then run the fuzz targets briefly under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
(cd build && ctest --output-on-failure -j"$(nproc)" --timeout 900)
scripts/fuzz.sh
