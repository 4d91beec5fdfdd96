#!/usr/bin/env bash
# Renders the host's preview and slideshow pictures with the engine itself: six places of the
# flight in capture mode under a private Xvfb, without clock or frame rate, each reduced to
# 152x112 (MINI_SSHOT_N.jpg) and 286x215 (MYSCR_SSHOT_N.jpg) by hostpics.
#   render_pictures.sh PROGRAM_DIR HOSTPICS OUT_DIR
set -euo pipefail
program_dir="$1" hostpics="$2" out_dir="$3"
# The whole island from afar with a far island, the ship before the island, a beach with a palm,
# the peaks with the ship beyond, low over the glinting sea, and the shore with its palms.
segments=(${QUELM_PICTURE_SEGMENTS:-30 6 60 72 90 42})

fail() { echo "render_pictures: $*" >&2; exit 1; }
command -v Xvfb > /dev/null || fail "Xvfb is needed to render the host's pictures (apt-get install xvfb)"
work=$(mktemp -d)
xvfb_pid=""
trap '[ -n "$xvfb_pid" ] && kill $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT
# 800x600 is the smallest common screen above the slideshow size, with about its aspect ratio.
# -noreset: one engine run after another, and none may meet the server resetting after the last.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"

mkdir -p "$work/program" "$out_dir"
ln -s "$(realpath "$program_dir/zero")" "$work/program/zero"
ln -s "$(realpath "$program_dir/data.res")" "$work/program/data.res"
printf '[FullScreen behaviour Control]\nclock_on=0\nfpsch_on=0\ncamjump_vo=0\n' > "$work/program/controls.cfg"
n=0
for segment in "${segments[@]}"; do
  if ! (cd "$work/program" && ZERO_MESSAGES=stderr SDL_AUDIODRIVER=dummy ZERO_CAPTURE_DIR="$work/frames-$n" \
        ZERO_CAPTURE_FRAMES=130 ZERO_SEED=7 ZERO_CAPTURE_SEGMENT=$segment ./zero > "$work/zero.log" 2>&1) ||
     [ ! -s "$work/frames-$n/frame-00130.png" ]; then
    fail "the engine could not render segment $segment: $(tail -5 "$work/zero.log")"
  fi
  "$hostpics" "$work/frames-$n/frame-00130.png" "$out_dir/MINI_SSHOT_$n.jpg" "$out_dir/MYSCR_SSHOT_$n.jpg" ||
    fail "could not reduce the frame of segment $segment"
  n=$((n + 1))
done
