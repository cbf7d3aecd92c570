#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source file of
# the project (not generated ones). Uses the compile commands of a build
# folder, configuring one when needed.
#   scripts/tidy.sh [BUILD_DIR]     default build/tidy
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/tidy}"

bash scripts/install-deps.sh
if [ ! -f "$build/compile_commands.json" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALVEXA_BENCH=ON >/dev/null
fi
# Generated sources (moc) must exist for the files that include them.
cmake --build "$build" --parallel "$(nproc)" >/dev/null

mapfile -t files < <(git ls-files 'app/*.cpp' 'query/*.cpp' 'fetch/*.cpp' 'store/*.cpp' \
    'ui/*.cpp' 'tools/*.cpp' 'tests/*.cpp' 'tests/support/*.cpp' 'bench/*.cpp')
printf '%s\n' "${files[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
echo "clang-tidy: ${#files[@]} files clean"
