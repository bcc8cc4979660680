#!/usr/bin/env bash
# Configures and builds the release tree in build/ (executables in build/bin/).
# A new tree is compiled with clang when it is installed (setup.sh installs it):
# its profile-guided build of the PPM coder is the fastest; CXX=g++ picks GCC.
# An existing tree keeps the compiler it was configured with.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${CXX:-}" ] && command -v clang++ >/dev/null; then export CXX=clang++; fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
