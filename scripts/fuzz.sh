#!/usr/bin/env bash
# Builds the page reader fuzzer with clang and runs it for the given number
# of seconds (default 60), starting from sample pages.
#   scripts/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build/fuzz

bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALVEXA_FUZZ=ON -DTALVEXA_TESTS=OFF -DTALVEXA_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_page_reader

corpus="$build/corpus"
mkdir -p "$corpus"
python3 scripts/fuzz_seeds.py "$corpus"
"$build/tests/fuzz/fuzz_page_reader" -max_total_time="$seconds" -max_len=65536 \
    -print_final_stats=1 "$corpus"
