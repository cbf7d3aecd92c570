#!/usr/bin/env bash
# Starts the program under Xvfb on a store with made-up history, shows one
# domain's history and chart, and saves a screenshot.
#   scripts/screenshot.sh [OUT.png]     default: build/screenshot.png
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$src/build/screenshot.png}")"
build="$src/build/release"

. "$src/scripts/screenshot-prepare.sh"

work="$(mktemp -d)"
trap 'kill ${app:-} ${xvfb:-} 2>/dev/null || true; rm -rf "$work"' EXIT
"$build/tools/talvexa-demo-store" "$work/setting.dat" 12 45

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
(cd "$work" && exec "$build/app/talvexa") >/dev/null 2>&1 &
app=$!
for _ in $(seq 50); do
    win=$(xdotool search --name OrvaneTalvexaV1.0 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.2
done
[ -n "${win:-}" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1
# The domain box holds the last saved domain: press "历史记录" (at 544,10 in
# the top panel) to list its history and draw its chart.
xdotool mousemove --window "$win" 580 21 click 1
sleep 2
import -window root "$out"
echo "screenshot: $out"
