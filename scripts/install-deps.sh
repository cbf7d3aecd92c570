#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run.
# Idempotent: packages already installed are left alone and nothing is
# downloaded when all are present. Runs as root without prompts.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
    clang-format clang-tidy
    qt6-base-dev qt6-charts-dev qt6-webengine-dev
    libcurl4-openssl-dev curl openssl ca-certificates
    libsqlcipher-dev sqlcipher
    libbenchmark-dev
    fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
