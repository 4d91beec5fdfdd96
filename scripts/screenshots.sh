#!/usr/bin/env bash
# Renders the README's pictures: eight places along the default flight in capture mode, at
# 1920 × 1080 under a private Xvfb, saved as 1280 × 720 JPEGs in docs/screenshots/.
# Expects a build (scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/xvfb.sh
export ZERO_MESSAGES=stderr SDL_AUDIODRIVER=dummy
work=$(mktemp -d)
trap 'rm -rf "$work"; kill $xvfb_pid 2>/dev/null; rm -rf "$xvfb_dir"' EXIT
# The program folder without the user's settings: no clock, no frame rate, no timed jump.
for f in build/program/*; do ln -s "$root/$f" "$work/"; done
rm -f "$work/controls.cfg" "$work/Controls.cfg"
printf '[FullScreen behaviour Control]\nclock_on=0\nfpsch_on=0\ncamjump_vo=0\n' > "$work/controls.cfg"
mkdir -p docs/screenshots
n=1
for segment in 0 12 24 36 48 60 72 84; do
  (cd "$work" && ZERO_CAPTURE_DIR="$work/frames" ZERO_CAPTURE_FRAMES=130 ZERO_SEED=7 \
     ZERO_CAPTURE_SEGMENT=$segment ./zero 2>/dev/null)
  convert "$work/frames/frame-00130.png" -resize 1280x720 -quality 88 "docs/screenshots/flight-$n.jpg"
  echo "docs/screenshots/flight-$n.jpg (segment $segment)"
  n=$((n + 1))
done
