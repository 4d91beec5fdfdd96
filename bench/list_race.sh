#!/usr/bin/env bash
# The real quelmscr --register and --unregister, ROUNDS times in turn (default 1000), beside a
# program that saves ~/.xscreensaver a few hundred times a second by writing a new file and
# renaming it into place, as XScreenSaver's settings app does. Prints how many of quelmscr's
# edits were cut, how many runs read the list again because a save landed between their reading
# and their writing, and how many gave up. Run after a build: bash bench/list_race.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-1000}"
quelmscr="$(pwd)/build/program/quelmscr"
home=$(mktemp -d /dev/shm/quelm-race.XXXXXX)
writer=""
trap '[ -z "$writer" ] || kill $writer 2>/dev/null; rm -rf "$home"' EXIT
# The writer looks at the file before each save of its own: what it finds there that it did not
# write is quelmscr's edit, which must be one of its saves whole, with our line put in or taken out.
python3 - "$home/.xscreensaver" "$home/writer.stats" <<'PY' &
import os, random, re, signal, sys, time
path, stats = sys.argv[1], sys.argv[2]
edits = cut = 0
def save(n):
    return ("# save %d\nprograms:\t\\\n" % n + "".join("\t\t\t\thack%d --root\t\\n\\\n" % i for i in range(60))
            + "\t\t\t\tlast --root\t\\n\n# end %d\n" % n)
def whole(text):
    m = re.match(r"# save (\d+)\n", text)
    if not m or not text.endswith("# end %s\n" % m.group(1)):
        return False
    ours = [l for l in text.split("\n") if "quelmscr" in l]
    return "\n".join(l for l in text.split("\n") if "quelmscr" not in l) == save(int(m.group(1))) and len(ours) <= 1
def report(*_):
    with open(stats, "w") as f:
        f.write("%d %d\n" % (edits, cut))
    sys.exit(0)
signal.signal(signal.SIGTERM, report)
last, n = None, 0
while True:
    n += 1
    text = save(n)
    with open(path + ".writer", "w") as f:
        f.write(text)
    try:
        with open(path) as f:
            found = f.read()
        if last is not None and found != last:
            edits += 1
            cut += not whole(found)
    except FileNotFoundError:
        pass
    os.rename(path + ".writer", path)
    last = text
    time.sleep(random.uniform(0, 0.004))   # a few hundred saves a second, at no fixed rhythm
PY
writer=$!
while [ ! -s "$home/.xscreensaver" ]; do sleep 0.01; done
again=0 gave_up=0 failed=0
start=$(date +%s.%N)
for i in $(seq "$rounds"); do
  if [ $((i % 2)) -eq 1 ]; then action=--register; else action=--unregister; fi
  said=$(HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_STATE_HOME="$home/.state" "$quelmscr" "$action" 2>&1) ||
    { if grep -q "nothing was written" <<< "$said"; then gave_up=$((gave_up + 1)); else failed=$((failed + 1)); echo "$said"; fi; }
  if grep -q "read again" <<< "$said"; then again=$((again + 1)); fi
done
kill $writer; wait $writer || true
read -r edits cut < "$home/writer.stats"
echo "$rounds runs of quelmscr --register/--unregister in $(echo "$(date +%s.%N) - $start" | bc) s beside a renaming writer"
echo "edits of quelmscr the writer found before its next save: $edits, of them cut: $cut"
echo "runs that read the list again: $again; runs that gave up (nothing written): $gave_up; other failures: $failed"
