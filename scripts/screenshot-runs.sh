#!/usr/bin/env bash
# Screenshots of batches under Xvfb against the fake engine: a batch under
# way, a batch paused for verification, a batch ended with answers not
# obtained, and a one-point chart.
#   scripts/screenshot-runs.sh [OUT_DIR]     default: build/screenshots
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$src/build/screenshots}")"
build="$src/build/release"
mkdir -p "$out"

. "$src/scripts/screenshot-prepare.sh"

work="$(mktemp -d)"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=:95
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
pids+=($!)
sleep 1

# start MODE DAYS: a fresh store of 6 domains with DAYS days of history, the
# fake engine in MODE and the program on them; sets $win and $app.
start() {
    rm -rf "$work/store" && mkdir -p "$work/store"
    "$build/tools/talvexa-demo-store" "$work/store/setting.dat" 6 "$2" >/dev/null
    "$build/tools/talvexa-fake-engine" 8099 "$1" >/dev/null 2>&1 &
    engine=$!
    pids+=($engine)
    sleep 0.5
    (cd "$work/store" && http_proxy=http://127.0.0.1:8099 exec "$build/app/talvexa") \
        >/dev/null 2>&1 &
    app=$!
    pids+=($app)
    win=""
    for _ in $(seq 50); do
        win=$(xdotool search --name OrvaneTalvexaV1.0 2>/dev/null | head -1 || true)
        [ -n "$win" ] && break
        sleep 0.2
    done
    [ -n "$win" ] || { echo "the window did not appear" >&2; exit 1; }
    sleep 1
}
stop() {
    kill "$app" "$engine" 2>/dev/null || true
    wait "$app" "$engine" 2>/dev/null || true
}
# Window-relative clicks (the window is centred on the screen).
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; }

start pages 20
click 500 21 # "批量查询"
sleep 5.5
import -window root "$out/batch-under-way.png"
xdotool key --window "$win" Escape
sleep 3
import -window root "$out/batch-stopped.png"
stop

start verify 20
click 500 21
sleep 3
import -window root "$out/batch-paused.png"
click 664 93 # "停止" in the strip
sleep 2
import -window root "$out/batch-ended-not-obtained.png"
stop

start pages 1
click 580 21 # "历史记录": a one-point chart
sleep 1.5
import -window root "$out/one-point-chart.png"
stop

echo "screenshots in $out"
