#!/usr/bin/env bash
# The engine's processor time and frames in the states a screensaver spends its hours in, for two
# builds side by side (the one before the power work and this one), on the software renderer:
#   shown      on a private Xvfb (QUELM_BENCH_SIZE, default 960x540), vertical sync off, ZERO_REFRESH_RATE (default 24) standing in for
#              a display's refresh rate the renderer can exceed
#   covered    the same with a plain window mapped over the whole screen
#   off        a sway nested in a headless one, whose window the outer one hides: its output then
#              gets no frames, as a powered-down output gets none (sway 1.7 takes "dpms off" for a
#              headless output but goes on asking for frames)
#   battery    on a private Xvfb, UPower (python3-dbusmock) on a bus of its own saying OnBattery
# Each state runs SECONDS (default 60) once the engine's loading picture has faded and the state
# has set in; the processor seconds are the engine's own over that time (from /proc), the frames
# those it drew in it (its log's count at the end less the count when the state set in; for a
# build that does not log that count, the loop's average rate over the time).
#   bench/power.sh OLD_PROGRAM_DIR NEW_PROGRAM_DIR [SECONDS]
# Run as root (the compositors then run as nobody, which sway wants) or as a user; prints one table.
set -uo pipefail
[ $# -ge 2 ] || { echo "usage: power.sh OLD_PROGRAM_DIR NEW_PROGRAM_DIR [SECONDS]"; exit 2; }
old=$(cd "$1" && pwd) new=$(cd "$2" && pwd) seconds=${3:-60}
rate=${ZERO_REFRESH_RATE:-24}
work=$(mktemp -d /tmp/quelm-power-XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
  sleep 0.5
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2> /dev/null; wait "$pid" 2> /dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

as_user=() owner=$(id -u)
if [ "$owner" -eq 0 ]; then as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --); owner=65534; fi
wait_for() {   # seconds, command...
  local limit=$1; shift
  for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
cpu_of() { awk '{ print ($14 + $15) / '"$(getconf CLK_TCK)"' }' "/proc/$1/stat" 2> /dev/null || echo 0; }

# A program directory of the build's entries, writable by whoever runs the engine.
program_dir() {   # build's program dir -> new folder
  local dir; dir=$(mktemp -d "$work/program-XXXXXX")
  for entry in "$1"/*; do ln -s "$entry" "$dir/"; done
  printf '[FullScreen behaviour Control]\r\nmouse_on=0\r\ncamjump_vo=0\r\nvsync_on=0\r\nclock_on=1\r\n' > "$dir/Controls.cfg"
  echo "$dir"
}

# One engine run in a state; prints "cpu_seconds frames". measure STATE PROGRAM_DIR
measure() {
  local state=$1 build=$2 dir log pid t0 cpu0 frames0 frames1 loop
  dir=$(program_dir "$build")
  log="$work/$state-$(basename "$dir").log"
  local env=(ZERO_MESSAGES=stderr SDL_AUDIODRIVER=dummy ZERO_REFRESH_RATE="$rate")
  case "$state" in
    off) env+=(XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$engine_display" ZERO_BACKEND=wayland) ;;
    battery) env+=(DISPLAY="$display" DBUS_SYSTEM_BUS_ADDRESS="$system_bus") ;;
    *) env+=(DISPLAY="$display" DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent) ;;
  esac
  (cd "$dir" && exec env -u WAYLAND_DISPLAY "${env[@]}" ./zero 2> "$log") &
  pid=$!
  pids+=("$pid")
  wait_for 120 grep -q "loading picture faded out" "$log" || { echo "- -"; kill "$pid"; return; }
  case "$state" in
    covered)
      DISPLAY="$display" xev -geometry "$size+0+0" -name cover > /dev/null 2>&1 &
      cover=$!; pids+=("$cover") ;;
    off) hide_output ;;
  esac
  sleep 2   # the state sets in
  frames0=$(grep -o "(frame [0-9]* was the last)" "$log" | tail -1 | tr -dc 0-9)
  t0=$(date +%s.%N); cpu0=$(cpu_of "$pid")
  sleep "$seconds"
  local cpu1; cpu1=$(cpu_of "$pid")
  local t1; t1=$(date +%s.%N)
  kill -TERM "$pid"; wait "$pid" 2> /dev/null
  case "$state" in
    covered) kill "$cover" 2> /dev/null; wait "$cover" 2> /dev/null ;;
    off) show_output ;;
  esac
  read -r frames1 loop < <(sed -n 's/.*shutting down after \([0-9]*\) frames in \([0-9.]*\) s.*/\1 \2/p' "$log")
  local drawn
  if [ -n "$frames0" ]; then drawn=$((frames1 - frames0))
  else drawn=$(echo "$frames1 * ($t1 - $t0) / $loop" | bc -l); fi
  printf '%.2f %.0f\n' "$(echo "($cpu1 - $cpu0) * 60 / ($t1 - $t0)" | bc -l)" "$(echo "$drawn * 60 / ($t1 - $t0)" | bc -l)"
}

# The X server for the X11 states, at a size where the software renderer exceeds the battery's cap.
size=${QUELM_BENCH_SIZE:-960x540}
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3> "$work/display" 2> "$work/xvfb.log" &
pids+=("$!")
wait_for 10 test -s "$work/display" || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
display=":$(cat "$work/display")"

# UPower on a bus of its own, saying the machine runs on battery.
dbus-daemon --session --fork --print-address=1 --print-pid=1 > "$work/bus" || { echo "no bus"; exit 1; }
system_bus=$(head -1 "$work/bus"); pids+=("$(sed -n 2p "$work/bus")")
DBUS_SYSTEM_BUS_ADDRESS="$system_bus" /usr/bin/python3 -m dbusmock --system --template upower -p '{"OnBattery": true}' \
  > /dev/null 2>&1 &
pids+=("$!")

# The compositor for the monitor-off state.
runtime=$(mktemp -d "$work/run-XXXXXX"); chmod 700 "$runtime"; chown "$owner" "$runtime"
printf 'xwayland disable\noutput HEADLESS-1 mode 1280x720\n' > "$runtime/sway.config"
chmod 644 "$runtime/sway.config"
( cd "$runtime" && exec env -i PATH=/usr/bin:/bin HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${as_user[@]}" sway -c "$runtime/sway.config" > "$work/sway.log" 2>&1 ) &
pids+=("$!")
wait_for 30 test -S "$runtime/wayland-1" || { echo "sway did not start"; cat "$work/sway.log"; exit 1; }
outer_ipc() { "${as_user[@]}" env SWAYSOCK="$(ls "$runtime"/sway-ipc.*.sock | head -1)" swaymsg "$@"; }
# sway 1.7 takes "dpms off" for a headless output but goes on asking its clients for frames, so
# the monitor is powered down one level up: a nested sway runs in a window of the outer one, and
# the outer one hides that window, after which the nested one's output (and its clients) gets no
# frames, as a client of a powered-down output gets none.
off_by="a nested sway whose window the outer one hides"
printf 'xwayland disable\n' > "$runtime/inner.config"; chmod 644 "$runtime/inner.config"
( cd "$runtime" && exec env -i PATH=/usr/bin:/bin HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-1 \
    WLR_BACKENDS=wayland WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${as_user[@]}" sway -c "$runtime/inner.config" \
    > "$work/inner.log" 2>&1 ) &
pids+=("$!")
wait_for 30 test -S "$runtime/wayland-2" || { echo "the nested sway did not start"; cat "$work/inner.log"; exit 1; }
engine_display=wayland-2
hide_output() { outer_ipc workspace 9 > /dev/null; }
show_output() { outer_ipc workspace 1 > /dev/null; }

echo "engine processor seconds and frames per minute, ${seconds} s per state, refresh rate ${rate} Hz"
echo "(software renderer; the X11 states on a $size Xvfb; monitor off: ${off_by})"
printf '%-30s %20s %20s\n' "state" "before: cpu s, frames" "now: cpu s, frames"
for state in shown covered off battery; do
  read -r oc of < <(measure "$state" "$old")
  read -r nc nf < <(measure "$state" "$new")
  case "$state" in
    shown) label="shown, vertical sync off" ;; covered) label="covered by a window (X11)" ;;
    off) label="monitor off (Wayland)" ;; battery) label="on battery (UPower)" ;;
  esac
  printf '%-30s %11s %8s %11s %8s\n' "$label" "$oc" "$of" "$nc" "$nf"
done
