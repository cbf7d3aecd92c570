#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it in the current
# working directory, where its database setting.dat lives.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
build="$src/build/release"

bash "$src/scripts/install-deps.sh"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVEXA_TESTS=OFF \
    -DTALVEXA_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"

# The program only opens its database; make an empty one on first use.
if [ ! -e setting.dat ]; then
    "$build/tools/talvexa-create-store" setting.dat
fi

exec "$build/app/talvexa" "$@"
