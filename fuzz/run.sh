#!/bin/sh
# Builds the packet parser and event socket fuzz targets with clang and fuzzes each for at most
# 59 s, so each run stays within a minute.
# TK_FUZZ_SECONDS shortens the run; TK_FUZZ_BUILD_DIR picks the build directory.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TK_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${TK_FUZZ_SECONDS:-59}
if [ "$seconds" -gt 59 ]; then
  seconds=59
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTK_FUZZ=ON -DTK_SANITIZE=ON -DTK_TESTS=OFF
cmake --build "$build" --target packet_parser_fuzz event_socket_fuzz -j3

# Seeds: a reliable ping, a server search, an ack and a peer list, so the run starts past the
# header checks.
corpus="$build/fuzz-corpus"
mkdir -p "$corpus"
printf '\202\233\001\000\007\000\013\000\000\002\006' > "$corpus/reliable_ping"
printf '\002\233\001\000\001\000\013\000\000\002\001' > "$corpus/server_search"
printf '\002\233\001\000\002\000\015\000\000\004\013\064\022' > "$corpus/ack"
printf '\202\233\002\000\003\000\030\000\000\015\010\001\037\100\177\000\000\003\011\000\000\000' \
  > "$corpus/peer_list"
printf '\002\011' >> "$corpus/peer_list"

"$build/fuzz/packet_parser_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus"

# Seeds: a start of the race, a racer creation of a loaded model and an effect change, so the run
# starts inside the layouts.
events="$build/fuzz-corpus-events"
mkdir -p "$events"
printf '\020' > "$events/start_race"
printf '\001\017MonkeyModelData\050\000\000\000\003\000\000\000\001\000\001\000\000\000' > "$events/racer"
printf '\000\000\300\077\000\000\000\300\000\000\100\100' >> "$events/racer"
printf '\026\007Glow.fx\005Shine\050\000\000\000' > "$events/change_fx"

"$build/fuzz/event_socket_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$events"
