#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it on the default data tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTK_TESTS=OFF
cmake --build "$root/build" --target tumbo_kelvo
cd "$root/run/tumbo/kelvo/game"
exec "$root/build/tumbo_kelvo"
