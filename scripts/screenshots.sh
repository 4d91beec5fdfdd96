#!/usr/bin/env bash
# Renders the README's pictures: eight places along the default flight in capture mode, at
# 1920 × 1080 under a private Xvfb, saved as 1280 × 720 JPEGs in docs/screenshots/, and the
# settings dialog opened over the first of them. Expects a build (scripts/setup.sh).
# "scripts/screenshots.sh settings" takes the settings dialog's picture alone.
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
segments="0 12 24 36 48 60 72 84"
[ "${1:-}" = settings ] && segments=""
for segment in $segments; do
  (cd "$work" && ZERO_CAPTURE_DIR="$work/frames" ZERO_CAPTURE_FRAMES=130 ZERO_SEED=7 \
     ZERO_CAPTURE_SEGMENT=$segment ./zero 2>/dev/null)
  convert "$work/frames/frame-00130.png" -resize 1280x720 -quality 88 "docs/screenshots/flight-$n.jpg"
  echo "docs/screenshots/flight-$n.jpg (segment $segment)"
  n=$((n + 1))
done

# The settings dialog with a fixed skin, over the first flight picture as the desktop, once it
# has grown to its working size and shows its slideshow.
mkdir -p "$work/config/Velmora"
printf '[General]\nPath=%s\n' "$work" > "$work/config/Velmora/Quelm 3D.ini"
convert docs/screenshots/flight-1.jpg -resize '1920x1080!' "$work/desktop.png"
# display sets the root window's background but ends with status 1 all the same.
display -window root "$work/desktop.png" || true
(cd "$work" && XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" QUELMSCR_SEED=2 ./quelmscr /c 2>/dev/null) &
dialog=$!
title="Quelm 3D Screensaver Settings — Quelm 3D Screensaver"
for _ in $(seq 200); do
  size=$(xwininfo -name "$title" 2>/dev/null | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}' || true)
  [ "$size" = 789x554 ] && break
  sleep 0.05
done
[ "$size" = 789x554 ] || { echo "screenshots: the settings dialog did not open" >&2; kill $dialog; exit 1; }
sleep 1
left=$(xwininfo -name "$title" | awk '/Absolute upper-left X:/{print $4}')
top=$(xwininfo -name "$title" | awk '/Absolute upper-left Y:/{print $4}')
import -window root -crop 829x594+$((left - 20))+$((top - 20)) +repage -quality 92 docs/screenshots/settings.jpg
kill $dialog; wait $dialog 2>/dev/null || true
echo "docs/screenshots/settings.jpg"
