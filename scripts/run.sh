#!/usr/bin/env bash
# Sets up, builds and runs the screensaver. On a display: full screen until a key ends it.
# Without one: a few seconds under a private Xvfb, saving screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build/program
if [ -n "${DISPLAY:-}" ]; then
  exec ./zero
fi
source ../../scripts/xvfb.sh
# Nobody can answer a message box on the private display: messages go to the terminal.
export ZERO_MESSAGES=stderr
# A machine without a display usually has no sound card either: play into SDL's silent driver.
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
shots="$(cd ../.. && pwd)/build/screenshots"
mkdir -p "$shots"
./zero &
zero_pid=$!
for t in 2 4 6; do
  sleep 2
  import -window root "$shots/screen-${t}s.png"
done
kill -TERM $zero_pid
wait $zero_pid && echo "zero ended cleanly"
echo "screenshots:"
ls -1 "$shots"/screen-*.png
