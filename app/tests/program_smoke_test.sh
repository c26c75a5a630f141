#!/usr/bin/env bash
# The program as a user starts it: without a display it says how to run it and fails; under a
# virtual display it starts with a PDF given on the command line, shows its window without any
# toolkit assertion, and the screen is photographed (kept in the build folder).
# Arguments: the program, the sample PDF maker, the folder for the screenshot.
set -u
program=$1 maker=$2 out=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data NO_AT_BRIDGE=1 GDK_SCALE=1
fail() { echo "FAILED: $*"; exit 1; }

# 1. No display.
env -u DISPLAY -u WAYLAND_DISPLAY "$program" > "$work/nodisplay.out" 2>&1
rc=$?
[ $rc -ne 0 ] || fail "started without a display and exited with 0"
grep -q "xvfb-run" "$work/nodisplay.out" || fail "no hint about xvfb-run: $(cat "$work/nodisplay.out")"

# 2. Under a virtual display, with a PDF.
"$maker" "$work/sample.pdf" 3 || fail "the sample PDF could not be made"
mkdir -p "$out"
rm -f "$out/program.png"
cat > "$work/inside.sh" <<'INSIDE'
program=$1 work=$2 out=$3
"$program" "$work/sample.pdf" > "$work/program.log" 2>&1 &
pid=$!
shown=0
for _ in $(seq 1 150); do
  sleep 0.2
  kill -0 $pid 2>/dev/null || break
  if xwininfo -root -tree 2>/dev/null | grep -q "Leafwright"; then shown=1; break; fi
done
[ $shown = 1 ] || { echo "the window did not appear"; cat "$work/program.log"; kill $pid 2>/dev/null; exit 1; }
# The page is read and painted: photograph until the screen shows it (a loaded machine paints late).
for _ in $(seq 1 40); do
  sleep 0.5
  import -window root "$out/program.png" || { kill $pid; exit 1; }
  [ "$(identify -format "%k" "$out/program.png")" -gt 20 ] && break
done
kill -0 $pid 2>/dev/null || { echo "the program stopped"; cat "$work/program.log"; exit 1; }
kill $pid
wait $pid 2>/dev/null
exit 0
INSIDE
timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/inside.sh" "$program" "$work" "$out" || fail "under the virtual display"
if grep -q "toolkit assert" "$work/program.log"; then
  grep "toolkit assert" "$work/program.log"
  fail "toolkit assertions"
fi
# The screen is not blank: the ribbon, the page and the status bar differ in colour.
colours=$(identify -format "%k" "$out/program.png")
[ "${colours:-0}" -gt 20 ] || fail "the screenshot has only ${colours:-0} colours"
echo "screenshot: $out/program.png ($colours colours)"
exit 0
