#!/usr/bin/env bash
# Makes the Debian package build/quelm3d_<version>_amd64.deb from the build: sets up and builds
# like the other scripts first (--no-build: takes build/ as it is), then CPack's DEB generator
# installs the build into a staging folder and packs it; dpkg-shlibdeps finds the dependencies.
#   scripts/package.sh [--no-build]
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  "") bash scripts/setup.sh ;;
  --no-build) ;;
  -h|--help) sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "package: unknown option $1" >&2; exit 2 ;;
esac
[ -f build/CPackConfig.cmake ] || { echo "package: build/ holds no configured build; run without --no-build" >&2; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' build/CPackConfig.cmake)
deb="build/quelm3d_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
start=$(date +%s.%N)
(cd build && cpack -G DEB) > build/package.log 2>&1 || { cat build/package.log; exit 1; }
[ -f "$deb" ] || { cat build/package.log; echo "package: CPack made no $deb" >&2; exit 1; }
seconds=$(echo "$(date +%s.%N) - $start" | bc)
echo "package: $deb, $(stat -c %s "$deb") bytes, made in ${seconds} s"
