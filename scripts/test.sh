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
# network, the game against each damaged content file and the recorded music) outlast any
# sensible timeout under the sanitizers; the optimised builds of CI run them, and
# TK_LONG_SANITIZED=1 runs them here too (with the season of random input, which only sanitized
# builds have).
long_runs="GameRaceToFinish|GameSeason|GameLan|GameSurvivesDamagedDataTree|GameMusicOnEveryScreen"
if [ "${TK_LONG_SANITIZED:-0}" = 1 ]; then
  args=(--timeout 3600)
else
  args=(--timeout 300 -E "$long_runs")
fi
if ! ctest --test-dir "$root/build-test" --output-on-failure -j "$(nproc)" "${args[@]}"; then
  # Now and then LeakSanitizer's own tracer dies as a test exits while the GL driver's threads
  # wind down ("LeakSanitizer has encountered a fatal error"): that test passed but its leak check
  # never ran. When every failure is of that kind they run once more; any other failure stands.
  temporary="$root/build-test/Testing/Temporary"
  failed=$(wc -l <"$temporary/LastTestsFailed.log")
  tracer=$(grep -c "LeakSanitizer has encountered a fatal error" "$temporary/LastTest.log" || true)
  if [ "$tracer" -eq 0 ] || [ "$failed" -gt "$tracer" ]; then
    exit 1
  fi
  echo "== running again the $failed tests whose leak check could not run =="
  ctest --test-dir "$root/build-test" --output-on-failure --rerun-failed "${args[@]}"
fi
