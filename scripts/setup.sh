#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing.
set -euo pipefail
need=()
have() { dpkg -s "$1" >/dev/null 2>&1; }
# Image libraries for the picture loader; imagemagick is the tests' independent decoder;
# gifsicle, optipng, zopfli (zopflipng) and webp (cwebp) are the peers of bench/pek_vs_peers.
# libfltk1.3-dev: the desktop windows; xvfb, xdotool, x11-apps: the window tests
# (a private X server, keys and clicks, screenshots); uchardet: the detection
# benchmark compares with it. clang builds the release tree and the fuzz targets;
# llvm (llvm-profdata) merges the profile of the coder's profile-guided build.
for p in build-essential cmake libgtest-dev libgmock-dev clang libclang-rt-14-dev llvm pkg-config \
         libgif-dev libpng-dev libjpeg62-turbo-dev libwebp-dev imagemagick \
         gifsicle optipng zopfli webp python3 uchardet \
         libfltk1.3-dev xvfb xdotool x11-apps; do
  have "$p" || need+=("$p")
done
if [ "${#need[@]}" -gt 0 ]; then
  echo "installing: ${need[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
# The nox benchmark (bench/nox_vs_peers) compares with these and runs on python3.
bench=()
for p in 7zip xz-utils brotli zstd python3; do have "$p" || bench+=("$p"); done
if [ "${#bench[@]}" -gt 0 ]; then
  echo "installing: ${bench[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${bench[@]}" || true
fi
