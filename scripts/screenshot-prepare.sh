# Sourced by the screenshot scripts: installs what they need (Xvfb,
# xdotool, ImageMagick) and builds the program in $build.
bash "$src/scripts/install-deps.sh"
missing=()
for p in xvfb xdotool imagemagick; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVEXA_TESTS=OFF \
    -DTALVEXA_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
