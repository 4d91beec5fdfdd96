#!/usr/bin/env bash
# Installs Quelm 3D for the current user: sets up and builds like the other scripts, then copies the
# program directory (zero, data.res, quelmscr, Info/) to ~/.local/share/quelm3d/ or the folder
# given, links ~/.local/bin/quelmscr to it and writes the Path file that tells the host where it is.
#
#   scripts/install.sh [--no-build] [FOLDER]    install (--no-build: take build/program as it is)
#   scripts/install.sh --uninstall              remove exactly what the install made
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

build=1
uninstall=0
target=""
for arg in "$@"; do
  case "$arg" in
    --no-build) build=0 ;;
    --uninstall) uninstall=1 ;;
    -h|--help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "install: unknown option $arg" >&2; exit 2 ;;
    *) [ -z "$target" ] || { echo "install: one folder only" >&2; exit 2; }; target="$arg" ;;
  esac
done

: "${HOME:?install: HOME is not set}"
config_dir="${XDG_CONFIG_HOME:-$HOME/.config}/Velmora"
path_file="$config_dir/Quelm 3D.ini"
bin_link="$HOME/.local/bin/quelmscr"
manifest_name=".quelm3d-install"

# Folders are removed on uninstall only where the install created them and they are empty again.
created_dirs=()
make_dir() {
  local d="$1" missing=()
  while [ ! -d "$d" ]; do missing=("$d" "${missing[@]}"); d="$(dirname "$d")"; done
  for d in "${missing[@]}"; do mkdir "$d"; created_dirs+=("$d"); done
}

if [ "$uninstall" -eq 1 ]; then
  [ -f "$path_file" ] || { echo "install: Quelm 3D is not installed for $USER (no $path_file)"; exit 0; }
  program_dir="$(sed -n 's/^[Pp][Aa][Tt][Hh][[:space:]]*=[[:space:]]*//p' "$path_file" | head -n1)"
  manifest="$program_dir/$manifest_name"
  [ -f "$manifest" ] || { echo "install: $program_dir holds no install record; nothing removed" >&2; exit 1; }
  # Files first, then folders deepest first; the settings the dialog wrote belong to the install too.
  while IFS= read -r line; do
    kind="${line%% *}"; item="${line#* }"
    case "$kind" in
      file|link) rm -f -- "$item" ;;
    esac
  done < "$manifest"
  rm -f -- "$program_dir/Controls.cfg" "$program_dir/ControlsAdj.cfg"
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
  echo "install: already installed (see $path_file); run scripts/install.sh --uninstall first" >&2
  exit 1
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
make_dir "$config_dir"
printf '[General]\nPath=%s\n' "$program_dir" > "$path_file"

{
  for f in "${files[@]}"; do echo "file $f"; done
  echo "link $bin_link"
  echo "file $path_file"
  for d in "${created_dirs[@]}"; do echo "dir $d"; done
} > "$program_dir/$manifest_name"

echo "install: Quelm 3D installed in $program_dir"
echo "install: start it with $bin_link (settings: quelmscr /c)"
case ":$PATH:" in *":$HOME/.local/bin:"*) ;; *) echo "install: add $HOME/.local/bin to your PATH to call quelmscr by name" ;; esac
