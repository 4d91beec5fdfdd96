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
log="$shots/zero.log"
./zero 2> "$log" &
zero_pid=$!
# The first frame on the screen, then three pictures two seconds apart (the loading picture fades
# out over the first two seconds).
for _ in $(seq 1200); do
  grep -q "first frame shown" "$log" && break
  kill -0 $zero_pid 2>/dev/null || break
  sleep 0.1
done
grep -q "first frame shown" "$log" || { cat "$log"; echo "zero showed no frame"; exit 1; }
for t in 2 4 6; do
  sleep 2
  import -window root "$shots/screen-${t}s.png"
done
kill -TERM $zero_pid
status=0
wait $zero_pid || status=$?
cat "$log"
[ $status -eq 0 ] && echo "zero ended cleanly"
echo "screenshots:"
ls -1 "$shots"/screen-*.png
