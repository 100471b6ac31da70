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
# The whole-game runs of thousands of frames (a full race, the seasons, the races over the
# network and the game against each damaged content file) outlast any sensible timeout under the
# sanitizers; the optimised builds of CI run them, and TK_LONG_SANITIZED=1 runs them here too
# (with the season of random input, which only sanitized builds have).
long_runs="GameRaceToFinish|GameSeason|GameLan|GameSurvivesDamagedDataTree"
if [ "${TK_LONG_SANITIZED:-0}" = 1 ]; then
  ctest --test-dir "$root/build-test" --output-on-failure -j "$(nproc)" --timeout 3600
else
  ctest --test-dir "$root/build-test" --output-on-failure -j "$(nproc)" --timeout 300 -E "$long_runs"
fi
