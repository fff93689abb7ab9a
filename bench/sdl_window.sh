#!/usr/bin/env bash
# The desktop window's cost: tavrel under the sdl host on a virtual X display (Xvfb), its window
# drawn on the window's own pixels (the default) and with --gpu (SDL's accelerated renderer: with
# no graphics card, Mesa's software OpenGL), alternately, RUNS times each, a fresh home each time
# (an empty server list). For each: the time from the start of the process to the first frame
# shown in the window (the host reports it with TAVREL_DEBUG=1), and the resident memory (VmRSS)
# once it has been idle for a second. Then, on the same display, the cost of a frame both ways
# (bench/sdl_present.cpp).
#   bench/sdl_window.sh [RUNS] [BUILD]     (defaults: 7, build)
set -euo pipefail
runs="${1:-7}"
build="${2:-build}"
tavrel="$build/src/app/tavrel"
command -v Xvfb >/dev/null || { echo "Xvfb missing (package xvfb)"; exit 1; }
[ -x "$tavrel" ] || { echo "no $tavrel: build it first (./dev build)"; exit 1; }

work="$(mktemp -d)"
xvfb=""
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
export SDL_AUDIODRIVER=dummy

# One run: prints "milliseconds-to-first-frame resident-kB".
one_run() {
    local home="$work/home$RANDOM"
    mkdir -p "$home"
    local start
    start="$(date +%s.%N)"
    TAVREL_DEBUG=1 "$tavrel" --home "$home" "$@" 2>"$home/log" &
    pid=$!
    local shown=""
    for _ in $(seq 200); do
        shown="$(grep -m1 -o 'first frame shown at [0-9.]*' "$home/log" | awk '{print $5}' || true)"
        [ -n "$shown" ] && break
        sleep 0.05
    done
    [ -n "$shown" ] || { echo "no frame within 10 s:"; cat "$home/log"; exit 1; }
    sleep 1
    local rss
    rss="$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")"
    kill "$pid"
    wait "$pid" || true
    pid=""
    rm -rf "$home"
    awk -v a="$start" -v b="$shown" -v r="$rss" 'BEGIN {printf "%.1f %d\n", (b - a) * 1000, r}'
}

: >"$work/surface"
: >"$work/gpu"
for _ in $(seq "$runs"); do
    one_run >>"$work/surface"
    one_run --gpu >>"$work/gpu"
done

# fastest, median of column c of a file
stats() {
    sort -n -k"$2" "$1" | awk -v c="$2" '{v[NR] = $c} END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.1f / %.1f", v[1], m}'
}
echo "tavrel under Xvfb, 240 x 320 at scale 2, $runs alternating runs; fastest / median"
echo
echo "| window drawn with | start to first frame, ms | resident once idle, MB |"
echo "|---|---:|---:|"
for mode in surface gpu; do
    name="window surface (default)"
    [ "$mode" = gpu ] && name="--gpu renderer"
    rss="$(sort -n -k2 "$work/$mode" | awk '{v[NR] = $2 / 1024} END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.1f / %.1f", v[1], m}')"
    echo "| $name | $(stats "$work/$mode" 1) | $rss |"
done

if [ -x "$build/bench/sdl_present" ]; then
    echo
    echo "A full frame converted and drawn in the window, median of 200"
    echo
    "$build/bench/sdl_present" --frames 200
fi
