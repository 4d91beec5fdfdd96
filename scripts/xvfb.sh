# Sourced: starts a private Xvfb at 1920x1080x24 and exports DISPLAY; stops it when the shell exits.
# -noreset: without it the server resets whenever its last client leaves, and a program that
# connects in that moment is refused or loses its windows with the reset.
xvfb_dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$xvfb_dir/display" 2>"$xvfb_dir/log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$xvfb_dir/display" ] && break; sleep 0.1; done
if [ ! -s "$xvfb_dir/display" ]; then echo "Xvfb did not start:"; cat "$xvfb_dir/log"; exit 1; fi
export DISPLAY=":$(cat "$xvfb_dir/display")"
trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null; rm -rf "$xvfb_dir"' EXIT
