#!/usr/bin/env bash
# tavrel under the sdl host on a virtual X display: its window shows the device screen; a second
# start brings the first forward and exits 0; tapping "Menu" and then "Exit" ends it with code 0.
set -euo pipefail
tavrel="$1"
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
    echo "Xvfb or xdotool missing (packages xvfb, xdotool): ./dev installs them"
    exit 1
fi
home="$(mktemp -d)"
xvfb=""
first=""
cleanup() {
    if [ -n "$first" ] && kill -0 "$first" 2>/dev/null; then kill "$first"; fi
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$home"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 800x800x24 -nolisten tcp 3>"$home/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$home/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$home/display")"
export SDL_AUDIODRIVER=dummy
# Under AddressSanitizer no leak check here: the desktop libraries (dbus, the GL drivers SDL loads
# and unloads) keep memory for the life of the process that cannot be told apart from ours. Our
# own code is leak-checked by the headless run and the unit tests.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

"$tavrel" --home "$home" --scale 2 &
first=$!
timeout 10 xdotool search --sync --name '^Tavrel$' >/dev/null || { echo "no Tavrel window appeared"; exit 1; }
# SDL may replace its first window when the renderer starts: look again once it has settled.
sleep 1
window="$(xdotool search --name '^Tavrel$' | tail -1)"
# The window shows the device screen (the task bar's dark blue at its top left), drawn on the
# window's own pixels: no OpenGL library is loaded (Mesa's software GL alone holds some 50 MB).
# At scale 2 the window is 480 x 640 and every device pixel is a 2 x 2 block: sampled down to
# one pixel a block and back up, the picture is the same.
import -window "$window" "$home/window.png"
pixel="$(convert "$home/window.png" -crop 1x1+20+10 -format '%[fx:int(255*r)] %[fx:int(255*b)]' info:)"
read -r red blue <<<"$pixel"
if [ -z "$blue" ] || [ "$red" -ge 20 ] || [ "$blue" -le 100 ]; then echo "the window does not show the task bar ($pixel)"; exit 1; fi
size="$(identify -format '%wx%h' "$home/window.png")"
[ "$size" = 480x640 ] || { echo "the window is $size, not 480x640"; exit 1; }
convert "$home/window.png" -sample 50% -sample 200% "$home/blocks.png"
differing="$(compare -metric AE "$home/window.png" "$home/blocks.png" null: 2>&1 || true)"
[ "$differing" = 0 ] || { echo "$differing window pixels are not in 2 x 2 blocks"; exit 1; }
if grep -qiE 'libGL|libEGL|libLLVM' "/proc/$first/maps"; then echo "the window loaded OpenGL"; exit 1; fi
timeout 10 "$tavrel" --home "$home"
echo "second start exited with 0"
# The device is 240 x 320 at scale 2: "Menu" is the right soft key, "Exit" the fourth item of
# its menu, which opens above the bar at the right edge.
xdotool mousemove --window "$window" 360 612 click 1
sleep 0.5
xdotool mousemove --window "$window" 400 508 click 1
code=0
for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$first" 2>/dev/null; then echo "tavrel did not exit after Menu, Exit"; exit 1; fi
wait "$first" || code=$?
first=""
[ "$code" -eq 0 ] || { echo "tavrel exited with $code"; exit 1; }
echo "1 passed, 0 failed"
