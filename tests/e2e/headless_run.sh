#!/usr/bin/env bash
# tavrel under the headless host: it starts and shows the task bar and its soft keys; a second
# start for the same home folder brings the first forward and exits with 0; a termination signal
# closes the program's window and it exits with 0.
set -euo pipefail
tavrel="$1"
home="$(mktemp -d)"
first=""
cleanup() {
    if [ -n "$first" ] && kill -0 "$first" 2>/dev/null; then kill "$first"; fi
    rm -rf "$home"
}
trap cleanup EXIT

TAVREL_DEBUG=1 "$tavrel" --headless --home "$home" --screenshot "$home/screen.png" 2>"$home/first.log" &
first=$!
sleep 1
timeout 10 "$tavrel" --headless --home "$home"
echo "second start exited with 0"
for _ in $(seq 50); do
    grep -q "come forward" "$home/first.log" && break
    sleep 0.1
done
grep -q "come forward" "$home/first.log" || { echo "the first instance was not asked to come forward"; exit 1; }
kill -TERM "$first"
code=0
wait "$first" || code=$?
first=""
[ "$code" -eq 0 ] || { echo "tavrel exited with $code"; cat "$home/first.log"; exit 1; }
[ -s "$home/screen.png" ] || { echo "no screenshot"; exit 1; }
echo "1 passed, 0 failed"
