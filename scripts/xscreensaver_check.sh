#!/usr/bin/env bash
# Quelm 3D under the real XScreenSaver daemon, as a user would meet it: installs for a throwaway
# unprivileged user (the daemon refuses to run hacks as root), starts the daemon on a private
# Xvfb, activates Quelm 3D, screenshots the screen, ends it with -deactivate and with a key press,
# and checks that nothing is left behind; then CYCLES more activate/deactivate rounds and
# screenshots of the settings app's preview pane and of its Settings panel. Run as root after a build.
#   scripts/xscreensaver_check.sh [--no-sound-device] [--monitors 2] [--options "ARGS"] [--unwritable]
#                                 [CYCLES] [OUT_DIR]
# --no-sound-device: SDL's own choice of driver on a machine without a sound card (else its silent
#   one); --monitors 2: the screen split into two monitors, one copy of the hack on each, exactly one
#   of them holding the sound device (SDL's disk driver) open; --options: the list's entry runs
#   "quelm3d --root ARGS"; --unwritable: the user's program folder made read-only, so that every
#   activation must end at once with one line in the daemon's log that says why, and nothing left.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
sound_driver=dummy
monitors=1
options=""
unwritable=0
while [ $# -gt 0 ]; do
  case "$1" in
    --no-sound-device) sound_driver="" ;;
    --monitors) monitors="$2"; shift ;;
    --options) options="$2"; shift ;;
    --unwritable) unwritable=1 ;;
    *) break ;;
  esac
  shift
done
[ "$monitors" = 1 ] || [ "$monitors" = 2 ] || { echo "xscreensaver_check: --monitors takes 1 or 2"; exit 2; }
[ "$monitors" = 1 ] || sound_driver=disk
cycles="${1:-10}"
out="${2:-$repo/build/xscreensaver-check}"
[ "$(id -u)" -eq 0 ] || { echo "xscreensaver_check: run as root (it makes a user)"; exit 2; }
mkdir -p "$out"
user=quelmxss
made_user=0
id "$user" > /dev/null 2>&1 || { useradd -M -s /bin/sh "$user"; made_user=1; }
home=$(mktemp -d)
chown "$user" "$home"
chmod 755 "$home"
mix="$home/mix.raw"
# The user's own session bus, ended with the user's processes: without one, libdbus launches a bus
# for each program on the private X server, and that bus outlives the server.
bus=$(runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin dbus-daemon --session --fork --print-address)
# Messages to the log, not boxes. SDL's disk driver writes what it plays to one file, so who holds
# the sound device shows in who holds that file open.
as_user() {
  runuser -u "$user" -- env HOME="$home" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$home" DBUS_SESSION_BUS_ADDRESS="$bus" \
    ZERO_MESSAGES=stderr \
    ${sound_driver:+SDL_AUDIODRIVER=$sound_driver} SDL_DISKAUDIOFILE="$mix" "$@"
}
source scripts/xvfb.sh
if [ "$monitors" = 2 ]; then
  xrandr --setmonitor QuelmLeft 960/254x1080/286+0+0 screen > /dev/null
  xrandr --setmonitor QuelmRight 960/254x1080/286+960+0 none > /dev/null
  xrandr --listmonitors
fi
cleanup() {
  pkill -u "$user" 2>/dev/null || true
  as_user bash scripts/install.sh --uninstall > /dev/null 2>&1 || true
  bash scripts/install.sh --uninstall --descriptor > /dev/null 2>&1 || true
  rm -rf "$home"
  if [ "$made_user" = 1 ]; then userdel "$user" 2>/dev/null || true; fi
}
trap 'cleanup; kill $xvfb_pid 2>/dev/null; rm -rf "$xvfb_dir"' EXIT

bash scripts/install.sh --descriptor > /dev/null
as_user bash scripts/install.sh --no-build
program="$home/.local/share/quelm3d"
# Quick to test: no fading, and the list's Quelm 3D entry picked by its place.
printf 'fade:\tFalse\nunfade:\tFalse\nsplash:\tFalse\n' >> "$home/.xscreensaver"
if [ -n "$options" ]; then
  sed -i "s|quelm3d --root|quelm3d --root $options|" "$home/.xscreensaver"
  grep "quelm3d --root" "$home/.xscreensaver"
fi
index=$(awk '/^programs:/ { p = 1; next } p { if ($0 ~ /[^ \t\\]/ && $0 !~ /^[ \t]*\\n\\?$/) n++;
             if (index($0, "quelm3d --root")) { print n; exit } }' "$home/.xscreensaver")
echo "Quelm 3D is entry $index of the list"
gamma_before=$(xgamma 2>&1 || true)

as_user xscreensaver -no-splash > "$out/daemon.log" 2>&1 &
for _ in $(seq 100); do as_user xscreensaver-command -version > /dev/null 2>&1 && break; sleep 0.2; done

wait_for() {   # seconds, command...
  local limit=$1; shift
  for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
running() { pgrep -u "$user" -x zero > /dev/null; }
ended() { ! pgrep -u "$user" -x zero > /dev/null && ! pgrep -u "$user" -f "quelm3d --root" > /dev/null; }
no_temp() { [ -z "$(ls -d "$program"/ScrTempFd* 2>/dev/null)" ]; }

runs() { grep -c "zero: running$" "$out/daemon.log" || true; }
more_runs() { [ "$(runs)" -ge $((before + monitors)) ]; }
engines() { pgrep -u "$user" -x zero | wc -l; }
# Engines that hold the disk driver's file open, and the temporary folders in use.
sounding() { for p in $(pgrep -u "$user" -x zero); do ls -l /proc/$p/fd 2>/dev/null | grep -c "$mix" || true; done | awk '$1 > 0 { n++ } END { print n + 0 }'; }
folders() { ls -d "$program"/ScrTempFd* 2>/dev/null | wc -l; }
check_copies() {
  [ "$monitors" = 2 ] || return 0
  wait_for 30 sh -c "[ \$(pgrep -u $user -x zero | wc -l) -eq 2 ]" || { echo "FAIL: $(engines) engines for two monitors"; return 1; }
  wait_for 30 sh -c "[ \$(ls -d '$program'/ScrTempFd* 2>/dev/null | wc -l) -eq 2 ]" || { echo "FAIL: $(folders) temporary folders for two engines: $(cd "$program" && echo ScrTempFd*; pgrep -a -u $user zero)"; return 1; }
  local s; s=$(sounding)
  [ "$s" -eq 1 ] || { echo "FAIL: $s engines hold the sound device"; return 1; }
  echo "two engines, two folders ($(cd "$program" && echo ScrTempFd*)), one holds the sound device"
}

round() {   # how to end it: deactivate or key
  before=$(runs)
  as_user xscreensaver-command -select "$index" > /dev/null
  wait_for 60 more_runs || { echo "FAIL: the engine did not run"; tail "$out/daemon.log"; return 1; }
  check_copies || return 1
  # The daemon takes no notice of input in the first moments after it blanks.
  if [ "$1" = key ]; then sleep 3; xdotool key --clearmodifiers a; xdotool mousemove_relative 40 40; else as_user xscreensaver-command -deactivate > /dev/null; fi
  local start=$(date +%s.%N)
  wait_for 5 ended || { echo "FAIL: still running 5 s after $1"; return 1; }
  local took=$(echo "$(date +%s.%N) - $start" | bc)
  no_temp || { echo "FAIL: temporary folder left"; return 1; }
  echo "ended by $1 in ${took} s"
}

if [ "$unwritable" = 1 ]; then
  chmod 555 "$program"
  refusals() { grep -c "cannot be written" "$out/daemon.log" || true; }
  hosts_gone() { ! pgrep -u "$user" -f "quelm3d --root" > /dev/null && ! pgrep -u "$user" -x zero > /dev/null; }
  failed=0
  for i in $(seq "$cycles"); do
    said=$(refusals)
    as_user xscreensaver-command -select "$index" > /dev/null
    start=$(date +%s.%N)
    if ! wait_for 10 sh -c "[ \$(grep -c 'cannot be written' '$out/daemon.log') -gt $said ]"; then
      echo "FAIL: round $i: no line in the daemon's log says why"; failed=$((failed + 1)); continue
    fi
    wait_for 3 hosts_gone || { echo "FAIL: round $i: still running 3 s after the start"; failed=$((failed + 1)); }
    took=$(echo "$(date +%s.%N) - $start" | bc)
    as_user xscreensaver-command -deactivate > /dev/null
    wait_for 3 hosts_gone || { echo "FAIL: round $i: left running after the unblank"; failed=$((failed + 1)); }
    echo "round $i: refused and gone ${took} s after the blank; $(($(refusals) - said)) line(s) said why"
  done
  chmod 755 "$program"
  echo "the lines that said why:"; grep "cannot be written" "$out/daemon.log" | sort | uniq -c
  no_temp && echo "no temporary folder made" || { echo "FAIL: a temporary folder was made"; failed=$((failed + 1)); }
  echo "$cycles rounds, $failed failed"
  exit $((failed > 0))
fi

before=$(runs)
as_user xscreensaver-command -select "$index" > /dev/null
wait_for 60 more_runs || { echo "FAIL: the engine did not run"; tail "$out/daemon.log"; exit 1; }
check_copies || exit 1
sleep 3
import -window root "$out/activated.png"
echo "screenshot: $out/activated.png"
as_user xscreensaver-command -deactivate > /dev/null
wait_for 5 ended && no_temp && echo "first round ended cleanly"
round key
failed=0
for i in $(seq "$cycles"); do round deactivate || failed=$((failed + 1)); done
echo "$cycles rounds, $failed failed"
[ "$(xgamma 2>&1 || true)" = "$gamma_before" ] && echo "display gamma as before: $gamma_before"
grep -v "^zero: \|^xscreensaver" "$out/daemon.log" | grep -iv "^$" | head -20 || true
echo "what the engines said of sound and settings:"
grep "zero: .*silent\|zero: settings for this run\|zero: audio stream\|BASS" "$out/daemon.log" | sort | uniq -c || true

# The settings app's preview pane with Quelm 3D chosen.
as_user xscreensaver-settings > "$out/settings.log" 2>&1 &
wait_for 20 xdotool search --name "XScreenSaver:" > /dev/null
sleep 2
# The list's type-ahead finds Quelm 3D; on a loaded machine a key can reach it too late, so the
# choice is made again until the preview runs the engine.
for _ in 1 2 3; do
  xdotool mousemove 200 340 click 1
  xdotool type --delay 80 "Quelm"
  xdotool key Return
  wait_for 30 running && break
done
running || echo "FAIL: the preview pane did not run Quelm 3D"
sleep 5
import -window root -crop 1180x750+0+0 "$out/settings-pane.png"
echo "screenshot: $out/settings-pane.png"
# Its Settings panel for Quelm 3D: the descriptor's options. The window takes the width its texts
# want; its "Settings..." button sits about two thirds across the part right of the list.
width=$(xdotool search --name "XScreenSaver:" getwindowgeometry %@ 2>/dev/null | awk '/Geometry:/ { split($2, g, "x"); if (g[1] > w) w = g[1] } END { print w + 0 }')
xdotool mousemove $((365 + (width - 365) * 673 / 1000)) 629 click 1
# The panel opens beside the main window, which may leave it off the screen: it is moved on.
panel=""
find_panel() {
  for w in $(xdotool search --name "^XScreenSaver: Quelm 3D" 2>/dev/null || true); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if [ "$WIDTH" -gt 100 ] && [ "$WIDTH" -lt 1000 ]; then panel=$w; return 0; fi
  done
  return 1
}
wait_for 20 find_panel || echo "FAIL: no Settings panel for Quelm 3D"
[ -z "$panel" ] || xdotool windowmove --sync "$panel" 1230 510
sleep 2
import -window root "$out/settings-panel.png"
echo "screenshot: $out/settings-panel.png"
# A changed option restarts the live preview with it: the clock list's entry above the current one.
starts() { grep -c "zero: settings for this run" "$out/settings.log" || true; }
before=$(starts)
xdotool mousemove $((1230 + 146)) $((510 + 61)) click 1
sleep 1
xdotool key Up Return
if wait_for 30 sh -c "[ \$(grep -c 'zero: settings for this run' '$out/settings.log') -gt $before ]"; then
  wait_for 30 sh -c "[ \$(grep -c 'zero: first frame shown' '$out/settings.log') -gt $before ]" || true
  sleep 3
  import -window root "$out/settings-changed.png"
  echo "the preview started again: $(grep 'zero: settings for this run' "$out/settings.log" | tail -1)"
  echo "screenshot: $out/settings-changed.png"
else
  echo "the preview did not start again after the change"
fi
