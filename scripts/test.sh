#!/usr/bin/env bash
# Sets up and builds, then runs the whole test suite under one private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/xvfb.sh
export ZERO_MESSAGES=stderr
export XDG_RUNTIME_DIR="$(mktemp -d)"
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 300
