#!/usr/bin/env bash
# Quelm 3D under the real XScreenSaver daemon, as a user would meet it: installs for a throwaway
# unprivileged user (the daemon refuses to run hacks as root), starts the daemon on a private
# Xvfb, activates Quelm 3D, screenshots the screen, ends it with -deactivate and with a key press,
# and checks that nothing is left behind; then CYCLES more activate/deactivate rounds and a
# screenshot of the settings app's preview pane. Run as root after a build.
#   scripts/xscreensaver_check.sh [CYCLES] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
cycles="${1:-10}"
out="${2:-$repo/build/xscreensaver-check}"
[ "$(id -u)" -eq 0 ] || { echo "xscreensaver_check: run as root (it makes a user)"; exit 2; }
mkdir -p "$out"
user=quelmxss
id "$user" > /dev/null 2>&1 || useradd -M -s /bin/sh "$user"
home=$(mktemp -d)
chown "$user" "$home"
chmod 755 "$home"
# No sound card on test machines: SDL's silent driver; messages to the log, not boxes.
as_user() { runuser -u "$user" -- env HOME="$home" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$home" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" ZERO_MESSAGES=stderr "$@"; }
source scripts/xvfb.sh
cleanup() {
  pkill -u "$user" 2>/dev/null || true
  as_user bash scripts/install.sh --uninstall > /dev/null 2>&1 || true
  bash scripts/install.sh --uninstall --descriptor > /dev/null 2>&1 || true
  rm -rf "$home"
}
trap 'cleanup; kill $xvfb_pid 2>/dev/null; rm -rf "$xvfb_dir"' EXIT

bash scripts/install.sh --descriptor > /dev/null
as_user bash scripts/install.sh --no-build
program="$home/.local/share/quelm3d"
# Quick to test: no fading, and the list's Quelm 3D entry picked by its place.
printf 'fade:\tFalse\nunfade:\tFalse\nsplash:\tFalse\n' >> "$home/.xscreensaver"
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

runs() { grep -c "zero: running" "$out/daemon.log" || true; }
more_runs() { [ "$(runs)" -gt "$before" ]; }

round() {   # how to end it: deactivate or key
  before=$(runs)
  as_user xscreensaver-command -select "$index" > /dev/null
  wait_for 60 more_runs || { echo "FAIL: the engine did not run"; tail "$out/daemon.log"; return 1; }
  # The daemon takes no notice of input in the first moments after it blanks.
  if [ "$1" = key ]; then sleep 3; xdotool key --clearmodifiers a; xdotool mousemove_relative 40 40; else as_user xscreensaver-command -deactivate > /dev/null; fi
  local start=$(date +%s.%N)
  wait_for 5 ended || { echo "FAIL: still running 5 s after $1"; return 1; }
  local took=$(echo "$(date +%s.%N) - $start" | bc)
  no_temp || { echo "FAIL: temporary folder left"; return 1; }
  echo "ended by $1 in ${took} s"
}

before=$(runs)
as_user xscreensaver-command -select "$index" > /dev/null
wait_for 60 more_runs || { echo "FAIL: the engine did not run"; tail "$out/daemon.log"; exit 1; }
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

# The settings app's preview pane with Quelm 3D chosen.
as_user xscreensaver-settings > "$out/settings.log" 2>&1 &
wait_for 20 xdotool search --name "XScreenSaver:" > /dev/null
sleep 2
xdotool mousemove 200 340 click 1
xdotool type --delay 80 "Quelm"
xdotool key Return
wait_for 30 running
sleep 5
import -window root -crop 1180x750+0+0 "$out/settings-pane.png"
echo "screenshot: $out/settings-pane.png"
