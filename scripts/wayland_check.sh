#!/usr/bin/env bash
# Quelm 3D's engine under each Wayland compositor this machine has, as a user would start it:
# headless sway always, mutter and kwin_wayland where installed (each skipped with a line saying
# it is not). For each: the compositor started on a 1280 x 720 output of its own (as the user
# nobody when run as root, with a fresh runtime folder), the engine run until its loading picture
# has faded out, a screenshot (grim where the compositor lends its outputs to screenshots; the
# engine's own capture mode elsewhere), the end by a key (wtype, where the compositor takes virtual
# keyboards) or SIGTERM, and nothing left behind. Then the idle start under the same compositor:
# "quelmscr --idle --idle-seconds 3" as the compositor's user, engines on its outputs once the
# session is idle, a screenshot, the user's return, every engine gone. One line per check; exit 1
# on any failure.
#   scripts/wayland_check.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, BUILD_DIR/wayland-check)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/wayland-check}"
[ -x "$build/program/zero" ] || { echo "wayland_check: no engine in $build/program (build it first)"; exit 2; }
build=$(cd "$build" && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)

# Compositors refuse to run as root: they run as nobody, the engine as whoever runs this (root
# may use nobody's sockets).
as_compositor=()
owner=$(id -u)
if [ "$owner" -eq 0 ]; then as_compositor=(setpriv --reuid=65534 --regid=65534 --clear-groups --); owner=65534; fi

wait_for() {   # seconds, command...
  local limit=$1; shift
  for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}

runtime="" comp_pid="" engine_pid="" program=""
cleanup() {
  [ -z "$engine_pid" ] || { kill "$engine_pid" 2>/dev/null || true; wait "$engine_pid" 2>/dev/null || true; }
  if [ -n "$comp_pid" ]; then
    kill -TERM -- "-$comp_pid" 2>/dev/null || true
    wait_for 5 sh -c "! kill -0 $comp_pid 2>/dev/null" || kill -KILL -- "-$comp_pid" 2>/dev/null || true
    wait "$comp_pid" 2>/dev/null || true
  fi
  [ -z "$runtime" ] || rm -rf "$runtime"
  [ -z "$program" ] || rm -rf "$program"
  runtime="" comp_pid="" engine_pid="" program=""
}
trap cleanup EXIT

# A private program directory (the build's entries linked) for the engine's temporary folder.
fresh_program_dir() {
  program=$(mktemp -d /tmp/quelm-wlcheck-program-XXXXXX)
  for entry in "$build/program"/*; do ln -s "$entry" "$program/"; done
  printf '[FullScreen behaviour Control]\r\nmouse_on=0\r\ncamjump_vo=0\r\n' > "$program/Controls.cfg"
}

# Starts the compositor (name, command...) in a fresh runtime folder, in a process group of its
# own, and waits for its Wayland socket.
start_compositor() {
  local name=$1; shift
  runtime=$(mktemp -d /tmp/quelm-wlcheck-XXXXXX)
  chmod 700 "$runtime"
  [ "$owner" = "$(id -u)" ] || chown "$owner:$owner" "$runtime"
  printf 'xwayland disable\noutput HEADLESS-1 mode 1280x720 scale 1\n' > "$runtime/sway.config"
  setsid env -u DISPLAY -u WAYLAND_DISPLAY -u SWAYSOCK HOME="$runtime" XDG_RUNTIME_DIR="$runtime" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    "${as_compositor[@]}" "$@" > "$out/$name-compositor.log" 2>&1 &
  comp_pid=$!
  socket_up() { [ -S "$runtime/${WAYLAND_NAME}" ]; }
  wait_for 30 socket_up || { echo "no Wayland socket $WAYLAND_NAME after 30 s"; return 1; }
}

# Runs the engine on the compositor until it says line; its log is OUT/NAME.log.
start_engine() {   # name, extra env...
  local name=$1; shift
  (cd "$program" && exec env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$WAYLAND_NAME" \
     ZERO_MESSAGES=stderr SDL_AUDIODRIVER=dummy "$@" ./zero 2> "$out/$name.log") &
  engine_pid=$!
}
said() { grep -q "$2" "$out/$1.log" 2>/dev/null; }
ended() { ! kill -0 "$engine_pid" 2>/dev/null; }

failed=0
# One compositor from start to end; prints its line. check NAME (sway|mutter|kwin) COMMAND...
check() {
  local name=$1; shift
  local shot="" how="" status=0 start took
  fresh_program_dir
  start_compositor "$name" "$@" || { echo "$name: FAIL: $(tail -3 "$out/$name-compositor.log")"; cleanup; return 1; }
  start=$(date +%s.%N)
  start_engine "$name"
  if ! wait_for 120 said "$name" "zero: loading picture faded out"; then
    echo "$name: FAIL: no \"loading picture faded out\" in 120 s: $(tail -3 "$out/$name.log")"; cleanup; return 1
  fi
  took=$(echo "$(date +%s.%N) - $start" | bc)
  local surface; surface=$(grep -o "wayland: a .*" "$out/$name.log" | head -1 || true)
  if [ "$name" = sway ]; then
    SWAYSOCK=$(ls "$runtime"/sway-ipc.*.sock)
    if XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$WAYLAND_NAME" timeout 20 grim -o HEADLESS-1 "$out/$name.png"; then
      shot="$out/$name.png (grim)"
    else
      status=1; shot="none (grim failed)"
    fi
    XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$WAYLAND_NAME" wtype -s 300 -k Escape; how="Escape"
  else
    kill -TERM "$engine_pid"; how="SIGTERM"
  fi
  local asked; asked=$(date +%s.%N)
  wait_for 10 ended || { echo "$name: FAIL: still running 10 s after $how"; cleanup; return 1; }
  wait "$engine_pid" || status=$?
  local ending; ending=$(echo "$(date +%s.%N) - $asked" | bc)
  engine_pid=""
  [ "$status" -eq 0 ] || { echo "$name: FAIL: the engine's exit status was $status: $(tail -3 "$out/$name.log")"; cleanup; return 1; }
  said "$name" "zero: shutdown complete" || { echo "$name: FAIL: no clean shutdown: $(tail -3 "$out/$name.log")"; cleanup; return 1; }
  [ -z "$(ls -d "$program"/ScrTempFd* 2>/dev/null)" ] || { echo "$name: FAIL: temporary folder left"; cleanup; return 1; }
  if [ -z "$shot" ]; then
    # No screenshots from this compositor: the engine's own capture of the frame after the fade.
    start_engine "$name-capture" ZERO_CAPTURE_DIR="$out/$name-capture" ZERO_CAPTURE_FRAMES=130 ZERO_SEED=7
    if wait_for 240 ended && wait "$engine_pid" && [ -s "$out/$name-capture/frame-00130.png" ]; then
      mv "$out/$name-capture/frame-00130.png" "$out/$name.png"; rm -rf "$out/$name-capture"
      shot="$out/$name.png (the engine's capture)"
    else
      echo "$name: FAIL: no capture: $(tail -3 "$out/$name-capture.log")"; engine_pid=""; cleanup; return 1
    fi
    engine_pid=""
  fi
  echo "$name: ok: ${surface:-no surface line}; faded out ${took} s after start; ended by $how in ${ending} s; screenshot $shot"
  cleanup
}

# The idle start from start to end; prints its line. idle_check NAME RETURN COMMAND..., where RETURN
# is how the user comes back: "key" (wtype), "pointer" (KWin's fake input, which takes no virtual
# keyboard) or "reset" (mutter's idle monitor reset, which the headless compositor offers for tests
# in place of input it has no device for). Compositors that
# give no screenshots get the engine's own capture of the frame after the fade.
idle_check() {
  local name=$1 return_by=$2; shift 2
  local log="$out/$name-idle.log" shot="" start took asked ending status=0
  fresh_program_dir
  start_compositor "$name-idle" "$@" || { echo "$name idle start: FAIL: $(tail -3 "$out/$name-idle-compositor.log")"; cleanup; return 1; }
  mkdir -p "$runtime/config/Velmora" "$runtime/capture"
  printf '[General]\nPath=%s\n' "$program" > "$runtime/config/Velmora/Quelm 3D.ini"
  [ "$owner" = "$(id -u)" ] || chown -hR "$owner:$owner" "$program" "$runtime/config" "$runtime/capture"
  local bus=""; [ ! -f "$runtime/bus" ] || bus=$(cat "$runtime/bus")
  monitor() {
    "${as_compositor[@]}" env DBUS_SESSION_BUS_ADDRESS="$bus" gdbus call --session --dest org.gnome.Mutter.IdleMonitor \
      --object-path /org/gnome/Mutter/IdleMonitor/Core --method "org.gnome.Mutter.IdleMonitor.$1" > /dev/null 2>&1
  }
  if [ -n "$bus" ]; then wait_for 30 monitor GetIdletime || { echo "$name idle start: FAIL: no idle monitor on the bus"; cleanup; return 1; }; fi
  local capture=()
  [ "$name" = sway ] || capture=(ZERO_CAPTURE_DIR="$runtime/capture" ZERO_CAPTURE_FRAMES=130,131,1000000 ZERO_SEED=7)
  start=$(date +%s.%N)
  (cd "$program" && exec "${as_compositor[@]}" env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$WAYLAND_NAME" \
     HOME="$runtime" XDG_CONFIG_HOME="$runtime/config" DBUS_SESSION_BUS_ADDRESS="$bus" ZERO_MESSAGES=stderr SDL_AUDIODRIVER=dummy \
     "${capture[@]}" ./quelmscr --idle --idle-seconds 3 2> "$log") &
  engine_pid=$!
  shown_or_ended() { grep -q "zero: loading picture faded out" "$log" || ended; }
  wait_for 120 shown_or_ended || true
  if ! grep -q "zero: loading picture faded out" "$log"; then
    echo "$name idle start: FAIL: no engine shown in 120 s: $(tail -3 "$log")"; cleanup; return 1
  fi
  took=$(echo "$(date +%s.%N) - $start" | bc)
  if [ "$name" = sway ]; then
    XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$WAYLAND_NAME" timeout 20 grim -o HEADLESS-1 "$out/$name-idle.png" &&
      shot="$out/$name-idle.png (grim)"
  elif wait_for 240 test -e "$runtime/capture/frame-00131.png"; then   # frame 130 written whole
    cp "$runtime/capture/frame-00130.png" "$out/$name-idle.png"; shot="$out/$name-idle.png (the engine's capture)"
  fi
  [ -n "$shot" ] || { echo "$name idle start: FAIL: no screenshot"; cleanup; return 1; }
  asked=$(date +%s.%N)
  case "$return_by" in
    key) XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$WAYLAND_NAME" wtype a ;;
    pointer) "${as_compositor[@]}" env XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$WAYLAND_NAME" "$build/tests/fake_pointer" ||
               { echo "$name idle start: FAIL: no pointer movement"; cleanup; return 1; } ;;
    *) monitor ResetIdletime || { echo "$name idle start: FAIL: the idle monitor would not reset"; cleanup; return 1; } ;;
  esac
  wait_for 10 grep -q "idle: the user is back; the engines ended" "$log" ||
    { echo "$name idle start: FAIL: the engines did not end on the user's return: $(tail -3 "$log")"; cleanup; return 1; }
  ending=$(echo "$(date +%s.%N) - $asked" | bc)
  kill -TERM "$engine_pid"
  wait "$engine_pid" || status=$?
  engine_pid=""
  [ "$status" -eq 0 ] || { echo "$name idle start: FAIL: the watcher's exit status was $status: $(tail -3 "$log")"; cleanup; return 1; }
  [ -z "$(ls -d "$program"/ScrTempFd* 2>/dev/null)" ] || { echo "$name idle start: FAIL: temporary folder left"; cleanup; return 1; }
  ! pgrep -u "$owner" -x zero > /dev/null || { echo "$name idle start: FAIL: an engine is left"; cleanup; return 1; }
  echo "$name idle start: ok: $(grep -o 'idle: watching through [^;]*' "$log"); $(grep -o 'idle: [0-9]* engine(s) started on .*' "$log" | head -1)" \
       "${took} s after the watcher's start; ended ${ending} s after the user's return ($return_by); screenshot $shot"
  cleanup
}

WAYLAND_NAME=wayland-1
# sway's config lies in its runtime folder, which start_compositor makes and passes on.
check sway sh -c 'exec sway -c "$XDG_RUNTIME_DIR/sway.config"' || failed=$((failed + 1))
idle_check sway key sh -c 'exec sway -c "$XDG_RUNTIME_DIR/sway.config"' || failed=$((failed + 1))
if command -v mutter > /dev/null; then
  WAYLAND_NAME=quelm-check
  check mutter dbus-run-session -- mutter --headless --wayland --no-x11 --wayland-display "$WAYLAND_NAME" \
    --virtual-monitor 1280x720 || failed=$((failed + 1))
  # The watcher joins mutter's session bus, whose address the bus's first program leaves behind.
  idle_check mutter reset dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" > "$XDG_RUNTIME_DIR/bus";
    exec env MUTTER_DEBUG_RESET_IDLETIME=1 mutter --headless --wayland --no-x11 --wayland-display quelm-check \
    --virtual-monitor 1280x720' || failed=$((failed + 1))
else
  echo "mutter: skipped: not installed"
fi
if kwin=$(command -v kwin_wayland); then
  # Debian's kwin_wayland carries a file capability (CAP_SYS_RESOURCE) that a container may not
  # grant, and then its start fails with EPERM even for root. A copy carries none; it keeps the
  # name, since kwin's own Qt platform plugin serves only a program of that name.
  kwin_copy=$(mktemp -d /tmp/quelm-kwin-XXXXXX)
  chmod 755 "$kwin_copy"
  if ! "$kwin" --version > /dev/null 2>&1; then
    cp "$kwin" "$kwin_copy/kwin_wayland"
    kwin="$kwin_copy/kwin_wayland"
    echo "kwin_wayland: started from a copy without its file capability (the original may not start here)"
  fi
  WAYLAND_NAME=quelm-check
  check kwin dbus-run-session -- "$kwin" --virtual --no-lockscreen --width 1280 --height 720 \
    --socket "$WAYLAND_NAME" || failed=$((failed + 1))
  # KWin lends its fake input only to programs a desktop entry names with that interface, and
  # only to its own user's.
  mkdir -p "$kwin_copy/applications"
  printf '[Desktop Entry]\nType=Application\nName=Quelm 3D check pointer\nExec=%s\nNoDisplay=true\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n' \
    "$(readlink -f "$build/tests/fake_pointer")" > "$kwin_copy/applications/quelm-check-pointer.desktop"
  chmod -R a+rX "$kwin_copy"
  idle_check kwin pointer dbus-run-session -- env XDG_DATA_DIRS="$kwin_copy:/usr/share" "$kwin" --virtual --no-lockscreen --width 1280 --height 720 \
    --socket "$WAYLAND_NAME" || failed=$((failed + 1))
  rm -rf "$kwin_copy"
else
  echo "kwin_wayland: skipped: not installed"
fi
[ "$failed" -eq 0 ] || { echo "wayland_check: $failed compositor(s) failed; logs in $out"; exit 1; }
echo "wayland_check: every compositor passed; logs and screenshots in $out"
