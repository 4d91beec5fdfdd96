#!/usr/bin/env bash
# Sets up and builds, then runs the whole test suite under one private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/xvfb.sh
export ZERO_MESSAGES=stderr
# No sound card on test machines: SDL's silent driver unless a test chooses another.
export SDL_AUDIODRIVER=dummy
export XDG_RUNTIME_DIR="$(mktemp -d)"
(cd build && ctest --output-on-failure -j"$(nproc)" --timeout 300)

# Fuzz targets: a short smoke run of each under the sanitizers, one per processor at a time.
CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo > build-fuzz.log 2>&1 &&
  cmake --build build-fuzz -j"$(nproc)" >> build-fuzz.log 2>&1 || { tail -40 build-fuzz.log; exit 1; }
rm -f build-fuzz.log
(cd build-fuzz && ctest --output-on-failure -j"$(nproc)" --timeout 120)
