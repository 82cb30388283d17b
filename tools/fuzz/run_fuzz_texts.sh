#!/usr/bin/env bash
# Velmora — fuzzes the two texts the program parses from outside, the hand-over message a second
# start sends (DecodeLaunch) and the `.velmora` correction file (ReadCorrection), under
# AddressSanitizer and UndefinedBehaviorSanitizer for a bounded time each (default 120 s):
#   ./tools/fuzz/run_fuzz_texts.sh [seconds]
# Needs clang (its libFuzzer runtime).
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-120}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
flags=(-std=c++20 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I.)
run=(-max_total_time="$seconds" -max_len=1024 -rss_limit_mb=2048 -print_final_stats=1)

# The hand-over message: seeds as a second start sends them, and a few near misses.
mkdir -p "$out/launch"
printf 'velmora-open-2\n\n/photos/a.jpg\n' >"$out/launch/photo"
printf 'velmora-open-2\n/photos/r.png\n/photos/%%E7%%85%%A7%%E7%%89%%87%%201.jpg\n' >"$out/launch/both"
printf 'velmora-open-2\n/r%%0A.png\n\n' >"$out/launch/reference"
printf 'velmora-open-1\n\n/photos/a.jpg\n' >"$out/launch/old"
printf 'velmora-open-2\n\n/a%%00.jpg\n' >"$out/launch/nul"
clang++ "${flags[@]}" $(pkg-config --cflags Qt6Core) tools/fuzz/fuzz_launch.cpp ui/desktop/launch_request.cpp \
    $(pkg-config --libs Qt6Core) -o "$out/fuzz_launch"
"$out/fuzz_launch" "${run[@]}" \
    -dict=<(printf '"velmora-open-2\\x0a"\n"%%"\n"%%00"\n"%%2F"\n"%%0A"\n"/"\n"%%E7%%85%%A7"\n') "$out/launch"

# The correction file: files as the window exports them, and a few near misses.
mkdir -p "$out/correction"
printf '[velmora correction]\nversion=1\ngains=0.512820542,0.320512831,0.256410271\ntarget=120,100,80\n' >"$out/correction/gains"
printf '# exported\n[velmora correction]\nversion=1\ngains=1e-3, -0.5 ,2\nreference=200,150.5,120\ndifferences=1,2,3\n' >"$out/correction/full"
printf '\xef\xbb\xbf[velmora correction]\r\nversion=1\r\ngains=0,0,0\r\n' >"$out/correction/bom"
printf '[velmora correction]\nversion=2\ngains=1,2,3\n' >"$out/correction/newer"
clang++ "${flags[@]}" tools/fuzz/fuzz_correction_file.cpp core/correction_file.cpp core/number_text.cpp \
    core/number_characters.cpp core/colour_word.cpp -o "$out/fuzz_correction"
"$out/fuzz_correction" "${run[@]}" \
    -dict=<(printf '"[velmora correction]"\n"version="\n"gains="\n"target="\n"reference="\n"differences="\n"e+38"\n"nan"\n"inf"\n","\n') \
    "$out/correction"
