#!/usr/bin/env bash
# Velmora — fuzzes the hand-over message decoder (DecodeLaunch) under AddressSanitizer and
# UndefinedBehaviorSanitizer for a bounded time (default 120 s): ./tools/fuzz/run_fuzz_launch.sh [seconds]
# Needs clang (its libFuzzer runtime).
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-120}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/corpus"
# Seeds: messages as a second start sends them, and a few near misses.
printf 'velmora-open-2\n\n/photos/a.jpg\n' >"$out/corpus/photo"
printf 'velmora-open-2\n/photos/r.png\n/photos/%%E7%%85%%A7%%E7%%89%%87%%201.jpg\n' >"$out/corpus/both"
printf 'velmora-open-2\n/r%%0A.png\n\n' >"$out/corpus/reference"
printf 'velmora-open-1\n\n/photos/a.jpg\n' >"$out/corpus/old"
printf 'velmora-open-2\n\n/a%%00.jpg\n' >"$out/corpus/nul"
flags=(-std=c++20 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I.)
clang++ "${flags[@]}" $(pkg-config --cflags Qt6Core) tools/fuzz/fuzz_launch.cpp ui/desktop/launch_request.cpp \
    $(pkg-config --libs Qt6Core) -o "$out/fuzz_launch"
"$out/fuzz_launch" -max_total_time="$seconds" -max_len=1024 -rss_limit_mb=2048 -print_final_stats=1 \
    -dict=<(printf '"velmora-open-2\\x0a"\n"%%"\n"%%00"\n"%%2F"\n"%%0A"\n"/"\n"%%E7%%85%%A7"\n') "$out/corpus"
