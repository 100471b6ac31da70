#!/bin/sh
# Builds every fuzz target with clang and fuzzes each in turn for a bounded time (25 s by
# default), starting from its seeds in fuzz/seeds/<name>/ (and its dictionary of the format's
# words, fuzz/dicts/<name>.dict, where there is one). Prints one summary line per target. A
# target that crashes, leaks, passes 1 GB of memory (or 512 MB in one allocation) or 10 s on one
# input prints its report's key lines, and the run fails after the other targets have had their
# turn. Crashing inputs are kept in <build>/fuzz-artifacts/.
# TK_FUZZ_SECONDS sets the time per target (at most 60); TK_FUZZ_TARGETS picks targets (names
# without "_fuzz", separated by blanks); TK_FUZZ_JOBS how many fuzz at once (4); TK_FUZZ_BUILD_DIR
# picks the build directory.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TK_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${TK_FUZZ_SECONDS:-25}
if [ "$seconds" -gt 60 ]; then
  seconds=60
fi
targets=${TK_FUZZ_TARGETS:-"packet_parser event_socket text_message xml_reader engine_config effect texture xfile
grid_file height_map height_image input_script instance water terrain level particle item_odds screen_layout
camera_file waypoint script_values"}

mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTK_FUZZ=ON -DTK_SANITIZE=ON -DTK_TESTS=OFF >"$build/configure.log" 2>&1 ||
  { tail -n 30 "$build/configure.log"; exit 1; }
for name in $targets; do
  set -- "$@" "${name}_fuzz"
done
cmake --build "$build" --target "$@" -j4 >"$build/build.log" 2>&1 || { grep -E "error|FAILED" "$build/build.log" | head -n 30; exit 1; }

mkdir -p "$build/fuzz-artifacts"
# One target's run; its summary (and on a fault the report's key lines) goes to its .result file,
# its verdict to its .fault file.
fuzz_one() {
  name=$1
  corpus="$build/fuzz-corpus/$name"
  log="$build/fuzz-$name.log"
  result="$build/fuzz-$name.result"
  rm -f "$build/fuzz-$name.fault"
  mkdir -p "$corpus"
  cp "$root/fuzz/seeds/$name/"* "$corpus/"
  dict=""
  if [ -f "$root/fuzz/dicts/$name.dict" ]; then
    dict="-dict=$root/fuzz/dicts/$name.dict"
  fi
  # shellcheck disable=SC2086 # $dict is empty or one word
  if "$build/fuzz/${name}_fuzz" $dict -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
    -malloc_limit_mb=512 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$name-" "$corpus" \
    >"$log" 2>&1; then
    runs=$(grep -aE "^stat::number_of_executed_units" "$log" | awk '{print $2}')
    coverage=$(grep -aE "^#[0-9]+.*cov:" "$log" | tail -n 1 | sed -E 's/.*cov: ([0-9]+).*/\1/')
    echo "fuzz $name: ${runs:-?} runs in ${seconds}s, coverage ${coverage:-?}, no fault" >"$result"
  else
    {
      echo "fuzz $name: FAULT"
      grep -aE "^==[0-9]+==ERROR|runtime error|^SUMMARY|^ +#[0-9] |^artifact_prefix|Test unit written|out-of-memory|timeout" \
        "$log" | head -n 25
    } >"$result"
    touch "$build/fuzz-$name.fault"
  fi
}
# TK_FUZZ_JOBS targets fuzz at once (4 by default); each is one process on one core.
jobs=${TK_FUZZ_JOBS:-4}
running=0
for name in $targets; do
  fuzz_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait
    running=0
  fi
done
wait
failed=""
for name in $targets; do
  cat "$build/fuzz-$name.result"
  if [ -f "$build/fuzz-$name.fault" ]; then
    failed="$failed $name"
  fi
done
if [ -n "$failed" ]; then
  echo "fuzzing found faults in:$failed"
  exit 1
fi
