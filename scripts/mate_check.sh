#!/usr/bin/env bash
# Quelm 3D in MATE's screensaver: installs mate-screensaver for the run where it is missing (the
# set-up command leaves it out), runs the package's round trip, which then also checks that MATE's
# preferences list and preview Quelm 3D and that its daemon runs it, and removes again what it
# installed. Run as root, after a build.
#   scripts/mate_check.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, BUILD_DIR/mate-check)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/mate-check}"
[ "$(id -u)" -eq 0 ] || { echo "mate_check: installs packages: run it as root"; exit 2; }
[ -f "$build/CPackConfig.cmake" ] || { echo "mate_check: no build in $build (build it first)"; exit 2; }
added=0
if ! command -v mate-screensaver > /dev/null; then
  before=$(mktemp)
  dpkg-query -W -f='${Package}\n' | sort > "$before"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mate-screensaver > /dev/null
  added=1
fi
status=0
bash tests/package/round_trip.sh "$build" "$out" || status=$?
if [ "$added" -eq 1 ]; then
  # Exactly what this run brought in goes again.
  mapfile -t new < <(dpkg-query -W -f='${Package}\n' | sort | comm -13 "$before" -)
  [ "${#new[@]}" -eq 0 ] || DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${new[@]}" > /dev/null
  rm -f "$before"
fi
[ "$status" -eq 0 ] && echo "mate_check: passed; screenshots in $out" || echo "mate_check: FAILED (status $status); logs in $out"
exit "$status"
