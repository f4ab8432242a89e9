#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Usage: scripts/install-deps.sh [--tests | --fuzz]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev portaudio19-dev libjpeg62-turbo-dev libsndfile1-dev
          fonts-liberation)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(libgtest-dev libbenchmark-dev clang-14 libclang-rt-14-dev pulseaudio pulseaudio-utils
             libasound2-plugins python3 python3-numpy librsvg2-bin parallel)
fi
if [[ "${1:-}" == "--fuzz" ]]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
