#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test through ctest.
#   scripts/test.sh                 sanitized build in build/test
#   scripts/test.sh --no-sanitize   plain build in build/test-plain
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=ON
build=build/test
if [ "${1:-}" = "--no-sanitize" ]; then
    sanitize=OFF
    build=build/test-plain
fi

bash scripts/install-deps.sh

# Warnings are errors here: what CI builds must build clean.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALVEXA_SANITIZE="$sanitize" -DTALVEXA_BENCH=ON -DTALVEXA_WERROR=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
