#!/usr/bin/env bash
# Figures of talvexa-cli against a fake engine that logs when each request
# arrives: launch spacing at --delay 1 over 5 domains, start-up to the first
# request, and resident memory over a 200-domain run.
#   bench/cli_figures.sh BUILD_DIR      (a Release build: cli/ and tools/)
set -euo pipefail
build="$(realpath "${1:?build folder}")"
work="$(mktemp -d)"
trap 'kill ${engine:-} 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
port=8123
"$build/tools/talvexa-fake-engine" "$port" > engine.log &
engine=$!
sleep 0.5
export http_proxy="http://127.0.0.1:$port"
unset DISPLAY

# Arrival times of the site queries (one per domain), from the engine's log
# as the program sees it: strace-free, by timestamping the engine's lines.
"$build/cli/talvexa-cli" init --store five.dat >/dev/null
printf 'd%d.example\n' 1 2 3 4 5 | "$build/cli/talvexa-cli" domains --store five.dat --set -
: > engine.log
python3 - "$build" <<'PY'
import subprocess, sys, time, threading
build = sys.argv[1]
log = open("engine.log", "rb")
start = time.monotonic()
proc = subprocess.Popen([build + "/cli/talvexa-cli", "run", "--store", "five.dat", "--delay", "1"],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
arrivals = []
while proc.poll() is None or True:
    line = log.readline()
    if line:
        if b"wd=site%3A" in line and b"lm=" not in line:
            arrivals.append(time.monotonic() - start)
        continue
    if proc.poll() is not None:
        break
    time.sleep(0.001)
gaps = [round((b - a) * 1000, 1) for a, b in zip(arrivals, arrivals[1:])]
print(f"start-up to the first request: {arrivals[0]*1000:.1f} ms")
print(f"launch gaps (ms): {gaps}")
PY

"$build/cli/talvexa-cli" init --store many.dat >/dev/null
seq 1 200 | sed 's/^/site/; s/$/.example/' | "$build/cli/talvexa-cli" domains --store many.dat --set -
"$build/cli/talvexa-cli" run --store many.dat --delay 1 >/dev/null 2>&1 &
pid=$!
samples=()
while kill -0 "$pid" 2>/dev/null; do
    rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status 2>/dev/null || true)
    [ -n "$rss" ] && samples+=("$(( $(cut -d' ' -f22 /proc/$pid/stat 2>/dev/null || echo 0) ))" "$rss")
    sleep 10
done
wait "$pid" || true
echo "RSS every 10 s over the 200-domain run (kB):"
printf '%s\n' "${samples[@]}" | awk 'NR % 2 == 0' | tr '\n' ' '
echo
