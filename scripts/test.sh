#!/usr/bin/env bash
# Sets up and builds, then runs the whole test suite under one private Xvfb and one session bus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# The programs the suite starts, by process name. Any of them still running after the suite that
# was not running before it was left behind by a test.
ours='^(zero|quelmscr|quelm3d|Xvfb|xev|xscreensaver.*|dbus-daemon|dbus-launch|sway|swayidle)$'
# A process that has ended but not yet been reaped (state Z) runs no more.
running_ours() { ps -e -o pid=,stat=,comm= | awk -v re="$ours" '$3 ~ re && $2 !~ /^Z/ { print $1 " " $3 }' | sort; }
before_suite=$(running_ours)

status=0
(
  source scripts/xvfb.sh
  export ZERO_MESSAGES=stderr
  # No sound card on test machines: SDL's silent driver unless a test chooses another.
  export SDL_AUDIODRIVER=dummy
  export XDG_RUNTIME_DIR="$(mktemp -d)"
  trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null; rm -rf "$xvfb_dir" "$XDG_RUNTIME_DIR"' EXIT
  # A session bus of the suite's own, ended with it: without one, libdbus (where dbus-x11 is
  # installed) launches a bus for every program on a private X server, and that bus outlives it.
  cd build && dbus-run-session -- ctest --output-on-failure -j"$(nproc)" --timeout 300
) || status=$?

# What a test left running: given a moment to end after its test, then named and ended.
left=""
for _ in $(seq 50); do
  left=$(comm -13 <(echo "$before_suite") <(running_ours) || true)
  [ -z "$left" ] && break
  sleep 0.2
done
if [ -n "$left" ]; then
  echo "test suite: processes left running after the tests:"
  while read -r pid name; do
    echo "  $pid $name: $(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null)"
    kill "$pid" 2>/dev/null || true
  done <<< "$left"
  [ "$status" -ne 0 ] || status=1
fi
[ "$status" -eq 0 ] || exit "$status"

# Fuzz targets: a short smoke run of each under the sanitizers, one per processor at a time.
CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo > build-fuzz.log 2>&1 &&
  cmake --build build-fuzz -j"$(nproc)" >> build-fuzz.log 2>&1 || { tail -40 build-fuzz.log; exit 1; }
rm -f build-fuzz.log
(cd build-fuzz && ctest --output-on-failure -j"$(nproc)" --timeout 120)
