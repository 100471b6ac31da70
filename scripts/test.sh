#!/usr/bin/env bash
# Installs what is missing, builds everything with the address and undefined-behaviour
# sanitizers and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTK_SANITIZE=ON -DTK_TESTS=ON -DTK_WERROR=ON
cmake --build "$root/build-test" -j "$(nproc)"
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
ctest --test-dir "$root/build-test" --output-on-failure -j "$(nproc)" --timeout 300
