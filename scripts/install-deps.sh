#!/usr/bin/env bash
# Installs what the build, the game and the tests need on Debian 12 (run as root).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git python3 clang-format
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  libsdl2-dev libepoxy-dev libgl1-mesa-dri libegl-mesa0 xvfb xauth
  libopenal-dev libsndfile1-dev libassimp-dev libstb-dev
  liblua5.2-dev libluabind-dev libboost-dev libfreetype-dev libfontconfig-dev fonts-liberation
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
