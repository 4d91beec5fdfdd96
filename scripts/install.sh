#!/usr/bin/env bash
# Installs Quelm 3D for the current user: sets up and builds like the other scripts, then copies the
# program directory (zero, data.res, quelmscr, Info/) to ~/.local/share/quelm3d/ or the folder
# given, links ~/.local/bin/quelmscr to it and writes the Path file that tells the host where it is.
#
#   scripts/install.sh [--no-build] [FOLDER]    install (--no-build: take build/program as it is)
#   scripts/install.sh --uninstall              remove exactly what the install made
#   scripts/install.sh --descriptor             (root) only the XScreenSaver settings descriptor
# It also adds the hack "quelm3d --root" to the user's XScreenSaver list (~/.xscreensaver), through
# the host's own "quelmscr --register" (the same code a package user runs).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

build=1
uninstall=0
descriptor_only=0
target=""
for arg in "$@"; do
  case "$arg" in
    --no-build) build=0 ;;
    --uninstall) uninstall=1 ;;
    --descriptor) descriptor_only=1 ;;
    -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "install: unknown option $arg" >&2; exit 2 ;;
    *) [ -z "$target" ] || { echo "install: one folder only" >&2; exit 2; }; target="$arg" ;;
  esac
done

: "${HOME:?install: HOME is not set}"
config_dir="${XDG_CONFIG_HOME:-$HOME/.config}/Velmora"
path_file="$config_dir/Quelm 3D.ini"
# The program directory the Path file names (its key in any letter case), without a final "/".
path_value() { sed -n 's/^[Pp][Aa][Tt][Hh][[:space:]]*=[[:space:]]*//p' "$path_file" | head -n1 | sed 's|/*$||'; }
bin_link="$HOME/.local/bin/quelmscr"
manifest_name=".quelm3d-install"
# XScreenSaver knows the hack by this name: its settings app finds the descriptor quelm3d.xml by it.
hack_link="$HOME/.local/bin/quelm3d"
xss_defaults="/etc/X11/app-defaults/XScreenSaver"
xss_config_dir="/usr/share/xscreensaver/config"

# Folders are removed on uninstall only where the install created them and they are empty again.
created_dirs=()
make_dir() {
  local d="$1" missing=()
  while [ ! -d "$d" ]; do missing=("$d" "${missing[@]}"); d="$(dirname "$d")"; done
  for d in "${missing[@]}"; do mkdir "$d"; created_dirs+=("$d"); done
}

# The host edits the user's XScreenSaver list (quelmscr --register / --unregister), as it does for a
# package user; it keeps what the file held before in the program directory.
register_hack() {
  xss_registered=0
  if [ ! -f "$xss_defaults" ]; then
    echo "install: XScreenSaver is not installed; Quelm 3D was not added to its list"
    return
  fi
  if "$program_dir/quelmscr" --register "$hack_link"; then xss_registered=1
  else echo "install: Quelm 3D was not added to XScreenSaver's list (see above)"; fi
}

# The quelm3d package installs the descriptor too; then it is the package's to keep or remove.
descriptor_from_package() {
  command -v dpkg-query > /dev/null && dpkg-query -S "$xss_config_dir/quelm3d.xml" > /dev/null 2>&1
}

# The settings app's descriptor lives in XScreenSaver's folder, which only root may write.
install_descriptor() {
  if [ ! -d "$xss_config_dir" ]; then return; fi
  if descriptor_from_package; then return; fi
  if [ -w "$xss_config_dir" ]; then
    cp -- "$repo/resources/xscreensaver/quelm3d.xml" "$xss_config_dir/quelm3d.xml"
    descriptor_installed=1
    echo "install: $xss_config_dir/quelm3d.xml tells xscreensaver-settings about Quelm 3D"
  else
    echo "install: run 'sudo bash scripts/install.sh --descriptor' once to show Quelm 3D's name and"
    echo "         description in xscreensaver-settings ($xss_config_dir is root's); it runs without it"
  fi
}

if [ "$descriptor_only" -eq 1 ]; then
  if descriptor_from_package; then
    echo "install: $xss_config_dir/quelm3d.xml comes with the quelm3d package; left as it is"
    exit 0
  fi
  if [ "$uninstall" -eq 1 ]; then rm -f -- "$xss_config_dir/quelm3d.xml"; exit 0; fi
  [ -d "$xss_config_dir" ] || { echo "install: XScreenSaver is not installed ($xss_config_dir)" >&2; exit 1; }
  [ -w "$xss_config_dir" ] || { echo "install: $xss_config_dir is not writable: run as root" >&2; exit 1; }
  cp -- "$repo/resources/xscreensaver/quelm3d.xml" "$xss_config_dir/quelm3d.xml"
  echo "install: $xss_config_dir/quelm3d.xml written"
  exit 0
fi

if [ "$uninstall" -eq 1 ]; then
  [ -f "$path_file" ] || { echo "install: Quelm 3D is not installed for $USER (no $path_file)"; exit 0; }
  program_dir="$(path_value)"
  manifest="$program_dir/$manifest_name"
  [ -f "$manifest" ] || { echo "install: $program_dir holds no install record; nothing removed" >&2; exit 1; }
  # The list first, while the install's quelmscr is still there to take Quelm 3D out of it.
  if grep -q '^xscreensaver' "$manifest" && [ -x "$program_dir/quelmscr" ]; then
    "$program_dir/quelmscr" --unregister || echo "install: Quelm 3D is still in XScreenSaver's list (see above)" >&2
  fi
  # An install from before quelmscr kept the list's record recorded the list's checksum without
  # our line and kept the file's earlier state beside the program: the same rule, applied here.
  legacy_sum="$(sed -n 's/^xscreensaver \([0-9a-f]\{64\}\)$/\1/p' "$manifest")"
  legacy_backup="$program_dir/.xscreensaver-before-install"
  if [ -n "$legacy_sum" ] && [ -f "$HOME/.xscreensaver" ] &&
     [ "$(sha256sum < "$HOME/.xscreensaver" | cut -d' ' -f1)" = "$legacy_sum" ]; then
    if [ -f "$legacy_backup" ]; then mv -f -- "$legacy_backup" "$HOME/.xscreensaver"; else rm -f -- "$HOME/.xscreensaver"; fi
  fi
  rm -f -- "$legacy_backup"
  # Files, then folders deepest first; the settings the dialog wrote belong to the install too.
  while IFS= read -r line; do
    kind="${line%% *}"; item="${line#* }"
    case "$kind" in
      file|link) rm -f -- "$item" || echo "install: could not remove $item" >&2 ;;
    esac
  done < "$manifest"
  # Settings made before the install, beside the system-wide install, stay the user's.
  grep -q '^took-over$' "$manifest" || rm -f -- "$program_dir/Controls.cfg" "$program_dir/ControlsAdj.cfg"
  dirs=()
  while IFS= read -r line; do
    [ "${line%% *}" = dir ] && dirs=("${line#* }" "${dirs[@]}")
  done < "$manifest"
  rm -f -- "$manifest"
  for d in "${dirs[@]}"; do rmdir -- "$d" 2>/dev/null || true; done
  echo "install: removed Quelm 3D from $program_dir"
  exit 0
fi

if [ "$build" -eq 1 ]; then bash "$repo/scripts/setup.sh"; fi
source_dir="$repo/build/program"
for f in zero data.res quelmscr; do
  [ -f "$source_dir/$f" ] || { echo "install: $source_dir/$f is missing; build first" >&2; exit 1; }
done

program_dir="${target:-$HOME/.local/share/quelm3d}"
case "$program_dir" in /*) ;; *) program_dir="$(pwd)/$program_dir" ;; esac
program_dir="${program_dir%/}"
if [ -f "$path_file" ]; then
  existing="$(path_value)"
  if [ -n "$existing" ] && [ ! -f "$existing/$manifest_name" ] && [ -L "$existing/zero" ]; then
    # The folder the system-wide install's quelmscr made for this user (links to the package's
    # program): this install takes its place; the user's settings files stay where they are.
    echo "install: $existing linked to the system-wide install; this install takes its place"
    for f in zero data.res Info; do if [ -L "$existing/$f" ]; then rm -f -- "$existing/$f"; fi; done
    rm -f -- "$path_file"
    if [ "$existing" = "$program_dir" ]; then took_over=1; fi
  else
    echo "install: already installed (see $path_file); run scripts/install.sh --uninstall first" >&2
    exit 1
  fi
fi

make_dir "$program_dir"
[ -w "$program_dir" ] || { echo "install: $program_dir is not writable" >&2; exit 1; }
files=()
for f in zero quelmscr data.res; do
  cp -- "$source_dir/$f" "$program_dir/$f"
  files+=("$program_dir/$f")
done
if [ -d "$source_dir/Info" ]; then
  make_dir "$program_dir/Info"
  for f in "$source_dir"/Info/*; do
    cp -- "$f" "$program_dir/Info/"
    files+=("$program_dir/Info/$(basename "$f")")
  done
fi
make_dir "$(dirname "$bin_link")"
ln -sfn "$program_dir/quelmscr" "$bin_link"
ln -sfn "$program_dir/quelmscr" "$hack_link"
make_dir "$config_dir"
printf '[General]\nPath=%s\n' "$program_dir" > "$path_file"
register_hack
install_descriptor

{
  for f in "${files[@]}"; do echo "file $f"; done
  echo "link $bin_link"
  echo "link $hack_link"
  echo "file $path_file"
  if [ "$xss_registered" -eq 1 ]; then echo "xscreensaver"; fi
  if [ "${took_over:-0}" -eq 1 ]; then echo "took-over"; fi
  if [ "${descriptor_installed:-0}" -eq 1 ]; then echo "file $xss_config_dir/quelm3d.xml"; fi
  for d in "${created_dirs[@]}"; do echo "dir $d"; done
} > "$program_dir/$manifest_name"

echo "install: Quelm 3D installed in $program_dir"
echo "install: start it with $bin_link (settings: quelmscr /c)"
case ":$PATH:" in *":$HOME/.local/bin:"*) ;; *) echo "install: add $HOME/.local/bin to your PATH to call quelmscr by name" ;; esac
