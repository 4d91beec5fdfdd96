#!/usr/bin/env bash
# The Debian package's round trip on this machine, as root, leaving the machine as it found it:
# makes the package from the build, runs lintian (no error allowed), installs it with apt; then, as
# a fresh unprivileged user with an empty home on a private Xvfb: "quelmscr /s" runs the island,
# "quelmscr /c" saves both settings files into the user's own folder on Escape, "quelmscr
# --register" puts Quelm 3D into the user's XScreenSaver list and the daemon runs it, and
# "--unregister" gives the list back; where mate-screensaver is installed (scripts/mate_check.sh),
# MATE's preferences list Quelm 3D and its screensaver runs it; removes the package and checks that none of its files is
# left and that the user's folder is as it was. Skipped (exit 77) unless run as root.
#   tests/package/round_trip.sh BUILD_DIR OUT_DIR
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: round_trip.sh BUILD_DIR OUT_DIR"; exit 2; }
build=$(cd "$1" && pwd)
out="$2"
repo=$(cd "$(dirname "$0")/../.." && pwd)
user=quelmpkg

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "the round trip installs the package for the whole machine: run it as root"
if dpkg-query -W -f='${Status}' quelm3d 2>/dev/null | grep -q "ok installed"; then
  skip "quelm3d is installed on this machine already; the round trip would remove it"
fi
for tool in cpack lintian apt-get dpkg-shlibdeps desktop-file-validate man xscreensaver xscreensaver-command Xvfb \
            xdotool xwininfo import convert runuser useradd; do
  command -v "$tool" > /dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/*.png "$out"/*.log "$out"/*.txt
work=$(mktemp -d)
descriptor=/usr/share/xscreensaver/config/quelm3d.xml
if [ -f "$descriptor" ]; then cp -p "$descriptor" "$work/descriptor"; fi
home="" runtime="" made_user=0 installed=0 watchdog=""

# The user exists for this run alone: every process of it was started here.
end_user_processes() {
  local pid
  for pid in $(pgrep -u "$user" 2>/dev/null); do kill "$pid" 2>/dev/null; done
  for _ in $(seq 50); do pgrep -u "$user" > /dev/null || return 0; sleep 0.1; done
  for pid in $(pgrep -u "$user" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null; done
}
cleanup() {
  set +e
  pkill -P "$watchdog" sleep 2> /dev/null; kill "$watchdog" 2> /dev/null
  if id "$user" > /dev/null 2>&1; then end_user_processes; fi
  if [ "$installed" -eq 1 ] && dpkg-query -W -f='${Status}' quelm3d 2>/dev/null | grep -q "ok installed"; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq -o DPkg::Lock::Timeout=120 quelm3d > /dev/null
  fi
  if [ "$made_user" -eq 1 ]; then userdel "$user"; fi
  # A descriptor that a source install put there (the package took its place) comes back.
  if [ -f "$work/descriptor" ] && [ ! -e "$descriptor" ]; then cp -p "$work/descriptor" "$descriptor"; fi
  rm -rf "$work" "$home" "$runtime"
}
source "$repo/scripts/xvfb.sh"
trap 'cleanup; kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null; rm -rf "$xvfb_dir"' EXIT
# Ends the run itself before the test runner's time-out would kill it without its clean-up.
limit=240
! command -v mate-screensaver > /dev/null || limit=420   # MATE's two runs of the engine
trap 'fail "the round trip took longer than $limit s"' TERM
(sleep "$limit" && kill -TERM $$) 2> /dev/null &
watchdog=$!

now() { date +%s.%N; }
since() { printf '%.1f' "$(echo "$(now) - $1" | bc)"; }
wait_for() {   # seconds, command...: true once the command succeeds
  local limit=$1; shift
  local deadline=$(( $(date +%s) + limit ))
  while true; do
    "$@" && return 0
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
# The island's sky at the top middle of a window (the root when not given), once the engine said its
# loading picture is gone. sky_on_screen PNG [WINDOW]
sky_on_screen() {
  local window=${2:-root} rgb x
  import -window "$window" "$1.part.png" 2> /dev/null || return 1
  x=$(( $(identify -format '%w' "$1.part.png") / 2 ))
  rgb=$(convert "$1.part.png" -crop "1x1+$x+5" -depth 8 -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)
  set -- "$1" $rgb
  [ "$4" -gt $(( $2 + 40 )) ] && mv "$1.part.png" "$1"
}
files_of() {   # folder: every entry with its kind, link target or checksum
  (cd "$1" && find . -mindepth 1 | sort | while IFS= read -r p; do
     if [ -L "$p" ]; then echo "$p -> $(readlink "$p")"
     elif [ -d "$p" ]; then echo "$p/"
     else echo "$p $(sha256sum < "$p" | cut -c1-16)"; fi
   done)
}

# 1. The package, from the build.
start=$(now)
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package") > "$out/cpack.log" 2>&1 ||
  { tail -30 "$out/cpack.log"; fail "CPack could not make the package"; }
deb=$(ls "$work"/package/quelm3d_*_"$(dpkg --print-architecture)".deb)
echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes, made in $(since "$start") s"
dpkg-deb -I "$deb" | sed -n 's/^ \(Depends\|Suggests\|Installed-Size\):/  \1:/p'

# 2. lintian: no error.
start=$(now)
lintian --tag-display-limit 0 "$deb" > "$out/lintian.txt" 2>&1 || true
echo "lintian in $(since "$start") s: $(grep -c '^E:' "$out/lintian.txt" || true) errors," \
     "$(grep -c '^W:' "$out/lintian.txt" || true) warnings, $(grep -c '^I:' "$out/lintian.txt" || true) notes"
sed 's/^/  /' "$out/lintian.txt"
! grep -q '^E:' "$out/lintian.txt" || fail "lintian reports errors"

# 3. apt installs it, with whatever it depends on.
start=$(now)
installed=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -o DPkg::Lock::Timeout=120 --no-install-recommends "$deb" \
  > "$out/apt-install.log" 2>&1 || { tail -20 "$out/apt-install.log"; fail "apt-get could not install the package"; }
echo "installed in $(since "$start") s"
dpkg -L quelm3d > "$out/package-files.txt"
for f in /usr/bin/quelmscr /usr/lib/quelm3d/zero /usr/lib/quelm3d/quelmscr /usr/lib/quelm3d/data.res \
         /usr/lib/quelm3d/Info/help.html /usr/libexec/xscreensaver/quelm3d /usr/share/xscreensaver/config/quelm3d.xml \
         /usr/share/applications/quelm3d-settings.desktop /usr/share/applications/screensavers/quelm3d.desktop \
         /usr/share/icons/hicolor/48x48/apps/quelm3d.png \
         /usr/share/man/man1/quelmscr.1.gz /usr/share/man/man6/zero.6.gz /usr/share/doc/quelm3d/copyright; do
  grep -qx "$f" "$out/package-files.txt" && [ -e "$f" ] || fail "the package did not install $f"
done
[ "$(readlink -f /usr/bin/quelmscr)" = /usr/lib/quelm3d/quelmscr ] || fail "/usr/bin/quelmscr leads elsewhere"
[ "$(readlink -f /usr/libexec/xscreensaver/quelm3d)" = /usr/lib/quelm3d/quelmscr ] || fail "the hack leads elsewhere"
desktop-file-validate /usr/share/applications/quelm3d-settings.desktop > "$out/desktop-file-validate.txt" 2>&1 ||
  { cat "$out/desktop-file-validate.txt"; fail "desktop-file-validate"; }
[ ! -s "$out/desktop-file-validate.txt" ] || { cat "$out/desktop-file-validate.txt"; fail "desktop-file-validate warns"; }
# MATE's screensaver entry: the form of XScreenSaver's own there, whose one category is only hinted at.
desktop-file-validate /usr/share/applications/screensavers/quelm3d.desktop 2>&1 | grep -v ': hint: ' \
  > "$out/desktop-file-validate-mate.txt" || true
[ ! -s "$out/desktop-file-validate-mate.txt" ] || { cat "$out/desktop-file-validate-mate.txt"; fail "desktop-file-validate: MATE's entry"; }
MANWIDTH=80 man quelmscr 2> "$out/man-warnings.txt" | col -b > "$out/man-quelmscr.txt"
grep -q "quelmscr --register" "$out/man-quelmscr.txt" || fail "man quelmscr does not say how to register"
grep -q "quelmscr --idle" "$out/man-quelmscr.txt" || fail "man quelmscr does not tell of the idle watcher"
[ ! -s "$out/man-warnings.txt" ] || { cat "$out/man-warnings.txt"; fail "man quelmscr warns"; }

# 4. A fresh user with an empty home.
if ! id "$user" > /dev/null 2>&1; then useradd -M -s /bin/sh "$user"; made_user=1; fi
home=$(mktemp -d /tmp/quelmpkg-home.XXXXXX)
runtime=$(mktemp -d /tmp/quelmpkg-run.XXXXXX)
chown "$user" "$home" "$runtime"
chmod 755 "$home"
chmod 700 "$runtime"
# The user's own session bus, ended with the user's processes: without one, libdbus launches a bus
# for each program on the private X server, and that bus outlives the server.
bus=$(runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$runtime" \
  dbus-daemon --session --fork --print-address) || fail "no session bus for $user"
# Only what a login would give, a known stretch of the flight (sky at the top) and no sound card.
as_user() {
  runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/local/bin:/usr/bin:/bin \
    DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS="$bus" SDL_AUDIODRIVER=dummy ZERO_MESSAGES=stderr ZERO_SEED=7 \
    ZERO_CAPTURE_SEGMENT=12 "$@"
}
folder="$home/.local/share/quelm3d"
engine_gone() { ! pgrep -u "$user" -x zero > /dev/null; }

# 5. quelmscr /s: the island, in the user's own folder.
start=$(now)
as_user quelmscr /s > "$out/run.log" 2>&1 &
host_pid=$!
wait_for 90 grep -q "loading picture faded out" "$out/run.log" || { cat "$out/run.log"; fail "quelmscr /s showed no scene"; }
wait_for 30 sky_on_screen "$out/run-island.png" || fail "quelmscr /s: no island on the screen"
echo "quelmscr /s: the island after $(since "$start") s: $out/run-island.png"
[ "$(cat "$home/.config/Velmora/Quelm 3D.ini")" = "$(printf '[General]\nPath=%s' "$folder")" ] ||
  fail "the Path file does not name $folder"
for f in zero data.res Info; do
  [ "$(readlink "$folder/$f")" = "/usr/lib/quelm3d/$f" ] || fail "$folder/$f is not a link to the package's"
done
ls -d "$folder"/ScrTempFd* > /dev/null 2>&1 || fail "the engine's temporary folder is not in $folder"
wait_for 10 test "$(xdotool getwindowfocus 2>/dev/null)" = "$(xdotool search --name '^Window$' 2>/dev/null | head -n1)" ||
  fail "the engine's window has no keyboard focus"
xdotool key Escape
wait_for 20 engine_gone || fail "the engine did not end on Escape"
wait_for 10 bash -c "! kill -0 $host_pid 2> /dev/null" || fail "quelmscr /s did not end after the engine"
wait "$host_pid" || fail "quelmscr /s ended with $?"
! ls -d "$folder"/ScrTempFd* > /dev/null 2>&1 || fail "the temporary folder was left"

# 6. quelmscr /c: Escape saves both files into the user's folder.
start=$(now)
as_user env QUELMSCR_SEED=1 quelmscr /c > "$out/settings.log" 2>&1 &
host_pid=$!
form_id() { xdotool search --onlyvisible --name "^Quelm 3D Screensaver Settings" 2>/dev/null | head -n1; }
form_grown() {
  local id; id=$(form_id); [ -n "$id" ] || return 1
  xwininfo -id "$id" | grep -q "Width: 789" && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ]
}
wait_for 60 form_grown || { cat "$out/settings.log"; fail "the settings dialog did not open"; }
import -window root "$out/settings.png"
echo "quelmscr /c: the dialog after $(since "$start") s: $out/settings.png"
xdotool key Escape
wait_for 15 bash -c "! kill -0 $host_pid 2> /dev/null" || fail "the settings dialog did not close on Escape"
wait "$host_pid" || fail "quelmscr /c ended with $?"
grep -q "^\[FullScreen behaviour Control\]" "$folder/Controls.cfg" || fail "no Controls.cfg in $folder"
grep -q "^\[Adjustment Form Control Panel Settings\]" "$folder/ControlsAdj.cfg" || fail "no ControlsAdj.cfg in $folder"
[ "$(stat -c %U "$folder/Controls.cfg")" = "$user" ] || fail "Controls.cfg is not the user's"

# 7. quelmscr --register (with the idle start), the daemon shows the island, --unregister gives the
# list back and takes the autostart entry out.
[ ! -e "$home/.xscreensaver" ] || fail "the empty home has a .xscreensaver"
as_user quelmscr --register --idle-start --idle-minutes 6 > "$out/register.log" 2>&1 ||
  { cat "$out/register.log"; fail "quelmscr --register"; }
cat "$out/register.log"
grep -q "/usr/libexec/xscreensaver/quelm3d --root" "$home/.xscreensaver" || fail "no Quelm 3D in the list"
autostart="$home/.config/autostart/quelm3d-idle.desktop"
grep -qx "Exec=/usr/bin/quelmscr --idle --idle-minutes 6" "$autostart" || fail "no idle start in $autostart"
desktop-file-validate "$autostart" > "$out/desktop-file-validate-idle.txt" 2>&1 && [ ! -s "$out/desktop-file-validate-idle.txt" ] ||
  { cat "$out/desktop-file-validate-idle.txt"; fail "desktop-file-validate: the autostart entry"; }
index=$(awk '/^programs:/ { p = 1; next } p { if ($0 ~ /[^ \t\\]/ && $0 !~ /^[ \t]*\\n\\?$/) n++;
             if (index($0, "quelm3d --root")) { print n; exit } }' "$home/.xscreensaver")
start=$(now)
as_user xscreensaver -no-splash > "$out/daemon.log" 2>&1 &
daemon_pid=$!
wait_for 30 as_user xscreensaver-command -version > /dev/null 2>&1 || { cat "$out/daemon.log"; fail "the daemon did not start"; }
as_user xscreensaver-command -select "$index" > /dev/null
wait_for 90 grep -q "zero: loading picture faded out" "$out/daemon.log" || { tail "$out/daemon.log"; fail "the daemon did not run Quelm 3D"; }
wait_for 30 sky_on_screen "$out/xscreensaver-island.png" || fail "XScreenSaver: no island on the screen"
echo "XScreenSaver: the island after $(since "$start") s: $out/xscreensaver-island.png"
as_user xscreensaver-command -deactivate > /dev/null
wait_for 20 engine_gone || fail "the engine did not end when the daemon deactivated"
as_user xscreensaver-command -exit > /dev/null
wait "$daemon_pid" 2> /dev/null || true
as_user quelmscr --unregister > "$out/unregister.log" 2>&1 || { cat "$out/unregister.log"; fail "quelmscr --unregister"; }
cat "$out/unregister.log"
[ ! -e "$home/.xscreensaver" ] || fail "--unregister did not give the home back without .xscreensaver"
[ ! -e "$home/.config/autostart" ] || fail "--unregister left $home/.config/autostart"

# 7b. MATE's screensaver, where it is installed: its preferences list Quelm 3D and preview it, its
# daemon shows the island when activated and ends it when deactivated.
if command -v mate-screensaver > /dev/null; then
  as_mate() { as_user env XDG_CURRENT_DESKTOP=MATE "$@"; }
  as_mate gsettings set org.mate.screensaver mode single
  as_mate gsettings set org.mate.screensaver themes "['screensavers-quelm3d']"
  start=$(now)
  # MATE hands its screensavers neither our environment nor, in the preferences, a log: the
  # preview's engine is found by its window, named in its environment, and a run counts as showing
  # the scene once its picture has kept changing for three seconds (the loading picture stands
  # still until it fades).
  keeps_changing() {   # window
    local changing=0
    rm -f "$work/before.png"
    for _ in $(seq 150); do
      import -window "$1" "$work/now.png" 2> /dev/null || return 1
      if [ -f "$work/before.png" ] && ! compare -metric AE -fuzz 1% "$work/before.png" "$work/now.png" null: 2> /dev/null
      then changing=$((changing + 1)); else changing=0; fi
      mv "$work/now.png" "$work/before.png"
      [ "$changing" -lt 3 ] || return 0
      sleep 1
    done
    return 1
  }
  as_mate mate-screensaver-preferences > "$out/mate-preferences.log" 2>&1 &
  prefs_pid=$!
  preview_window() {
    local pid; pid=$(pgrep -u "$user" -x zero | head -n1); [ -n "$pid" ] || return 1
    tr '\0' '\n' < "/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p'
  }
  wait_for 90 preview_window > /dev/null || { tail "$out/mate-preferences.log"; fail "MATE's preferences started no preview"; }
  keeps_changing "$(preview_window)" || fail "MATE's preview shows no moving scene"
  import -window root "$out/mate-preferences.png"
  echo "MATE: the preferences preview Quelm 3D after $(since "$start") s: $out/mate-preferences.png"
  pkill -u "$user" -f mate-screensaver-preferences
  wait "$prefs_pid" 2> /dev/null || true
  wait_for 20 engine_gone || fail "the preview's engine did not end with MATE's preferences"
  start=$(now)
  as_mate mate-screensaver --no-daemon > "$out/mate.log" 2>&1 &
  mate_pid=$!
  wait_for 30 as_mate mate-screensaver-command --query > /dev/null 2>&1 || { cat "$out/mate.log"; fail "mate-screensaver did not start"; }
  as_mate mate-screensaver-command --activate > /dev/null
  wait_for 90 pgrep -u "$user" -x zero > /dev/null || { tail "$out/mate.log"; fail "MATE did not run Quelm 3D"; }
  keeps_changing root || fail "MATE: no moving scene on the screen"
  import -window root "$out/mate-island.png"
  echo "MATE: the island after $(since "$start") s: $out/mate-island.png"
  as_mate mate-screensaver-command --deactivate > /dev/null
  wait_for 20 engine_gone || fail "the engine did not end when MATE deactivated"
  pkill -u "$user" -f "mate-screensaver --no-daemon"
  wait "$mate_pid" 2> /dev/null || true
  ! ls -d "$folder"/ScrTempFd* > /dev/null 2>&1 || fail "MATE's runs left a temporary folder"
else
  echo "MATE: mate-screensaver is not installed here (scripts/mate_check.sh runs this round trip with it)"
fi

# 8. apt removes the package: none of its files is left, the user's folder stays as it was.
files_of "$home" > "$out/home-before-remove.txt"
start=$(now)
DEBIAN_FRONTEND=noninteractive apt-get remove -y -o DPkg::Lock::Timeout=120 quelm3d > "$out/apt-remove.log" 2>&1 ||
  { tail -20 "$out/apt-remove.log"; fail "apt-get could not remove the package"; }
installed=0
echo "removed in $(since "$start") s"
! dpkg -L quelm3d > /dev/null 2>&1 || fail "dpkg still lists files of quelm3d"
while IFS= read -r f; do
  case "$f" in /usr/lib/quelm3d*|/usr/share/doc/quelm3d*) [ ! -e "$f" ] || fail "$f is left" ;;
               *) [ -d "$f" ] || { [ ! -e "$f" ] && [ ! -L "$f" ]; } || fail "$f is left" ;; esac
done < "$out/package-files.txt"
files_of "$home" > "$out/home-after-remove.txt"
cmp -s "$out/home-before-remove.txt" "$out/home-after-remove.txt" || fail "removing the package changed the user's folder"
echo "the user's folder after the removal:"
sed 's/^/  /' "$out/home-after-remove.txt"
echo "round trip passed"
