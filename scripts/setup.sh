#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then configures and builds.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

packages=(build-essential cmake pkg-config libsdl2-dev libxrandr-dev libepoxy-dev libglu1-mesa-dev libjpeg62-turbo-dev
  libwayland-dev libwayland-bin wayland-protocols plasma-wayland-protocols libegl-dev libxkbcommon-dev
  sway grim wtype qt6-wayland
  libx11-dev libsndfile1-dev qt6-base-dev xvfb xauth libgl1-mesa-dri libegl1 mesa-utils x11-utils
  x11-xserver-utils xdotool imagemagick libpng-dev libgtest-dev clang libclang-rt-14-dev
  libmp3lame-dev libvorbis-dev sox libfreetype-dev fonts-dejavu-core xscreensaver xscreensaver-gl iproute2
  dpkg-dev file lintian desktop-file-utils man-db bc dbus-daemon libdbus-1-dev libxext-dev libglib2.0-bin python3-dbusmock)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The build's progress from CMake's percentages, its whole output kept in build.log for a failure:
# on a terminal one line updated in place, otherwise a line at every fifth per cent.
show_progress() {
  local line percent shown=-1 width
  width=$(tput cols 2>/dev/null || echo 80)
  while IFS= read -r line; do
    printf '%s\n' "$line" >> build.log
    [[ $line =~ ^\[\ *([0-9]+)%\]\ (.*)$ ]] || continue
    percent=${BASH_REMATCH[1]}
    if [ -t 1 ]; then
      printf '\r\033[K%s' "$(printf 'setup: building %3d%%  %s' "$percent" "${BASH_REMATCH[2]}" | cut -c1-$((width - 1)))"
    elif [ $((percent / 5)) -gt $((shown / 5)) ] || [ "$shown" -lt 0 ]; then
      echo "setup: building $percent%"
    fi
    shown=$percent
  done
  [ -t 1 ] && [ "$shown" -ge 0 ] && printf '\r\033[K'
  return 0
}

echo "setup: configuring"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.log 2>&1 || { cat build.log; exit 1; }
cmake --build build -j"$(nproc)" 2>&1 | show_progress || { tail -50 build.log; echo "setup: the build failed (all of its output: build.log)"; exit 1; }
rm -f build.log
elapsed=$((SECONDS - started))
echo "setup: built into build/program in $((elapsed / 60)) min $((elapsed % 60)) s"
