#!/usr/bin/env bash
# The host's processor use while its preview runs: quelmscr /p into a 152x112 window of xev under a
# private Xvfb, measured over SECONDS (default 20) after a second of settling. Expects a build.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
source scripts/xvfb.sh
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
xev -geometry 152x112 -name QuelmPreviewBench > /dev/null &
xev_pid=$!
for _ in $(seq 100); do xwininfo -name QuelmPreviewBench > /dev/null 2>&1 && break; sleep 0.1; done
id=$(xwininfo -name QuelmPreviewBench | awk '/Window id/{print $4}')
build/program/quelmscr /p $((id)) 2> /dev/null &
host_pid=$!
sleep 1
ticks() { awk '{print $14 + $15}' "/proc/$host_pid/stat"; }
start=$(ticks)
sleep "$seconds"
used=$(( $(ticks) - start ))
hz=$(getconf CLK_TCK)
kill $xev_pid
wait $host_pid || true
awk -v t="$used" -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "preview: %.2f s of processor time in %d s: %.2f %% of a core\n", t / hz, s, 100 * t / hz / s }'
