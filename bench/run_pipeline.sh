#!/usr/bin/env bash
# Velmora benchmark — open a 6000 × 4000 JPEG, correct it, save a bitmap: our program's code
# beside ImageMagick, libvips and djpeg alone (the decoder's floor), each a fresh process per run.
#
#   bench/run_pipeline.sh [path/to/bench_pipeline]      default: build/bench/bench_pipeline here
#
# Builds nothing. RUNS (default 5) sets the runs per tool. The test photo is made once and kept in
# VELMORA_BENCH_DIR (default $TMPDIR/velmora-bench); the outputs are removed afterwards.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH=${1:-$ROOT/build/bench/bench_pipeline}
RUNS=${RUNS:-5}
DIR=${VELMORA_BENCH_DIR:-${TMPDIR:-/tmp}/velmora-bench}
WIDTH=6000
HEIGHT=4000
# The same gains for every tool; ours takes them as v + gain × v.
RED=1.1 GREEN=0.95 BLUE=1.02

if [[ ! -x $BENCH ]]; then
    echo "no bench_pipeline at $BENCH; build it with: make -C build bench_pipeline" >&2
    exit 2
fi
BENCH=$(realpath "$BENCH")
IN=$DIR/photo-${WIDTH}x${HEIGHT}.jpg
OUT=$DIR/out
mkdir -p "$OUT"
trap 'rm -rf "$OUT"' EXIT

# Compilers on this machine share its two cores with whatever we measure.
if pgrep -x cc1plus >/dev/null; then
    echo "waiting for a build to finish before measuring..."
    while pgrep -x cc1plus >/dev/null; do sleep 5; done
fi

[[ -f $IN ]] || "$BENCH" --make-jpeg "$IN" "$WIDTH" "$HEIGHT"

TIME=/usr/bin/time
[[ -x $TIME ]] || TIME=

# Tools by name, each run as `tool_NAME [prefix...]`. ImageMagick is the system's own convert by
# its full path, never another one on PATH.
tool_ours() { "$@" "$BENCH" --once "$IN" "$OUT/ours.bmp"; }
tool_imagemagick() {
    "$@" /usr/bin/convert "$IN" -channel R -evaluate multiply "$RED" -channel G -evaluate multiply "$GREEN" \
        -channel B -evaluate multiply "$BLUE" +channel "$OUT/imagemagick.bmp"
}
tool_vips() { "$@" vips linear "$IN" "$OUT/vips.v" "$RED $GREEN $BLUE" "0 0 0" --uchar; }
tool_djpeg() { "$@" djpeg -bmp -outfile "$OUT/djpeg.bmp" "$IN"; }

# A peer whose program is missing is left out, and so are the goals against it.
TOOLS=(ours)
if [[ -x /usr/bin/convert ]]; then TOOLS+=(imagemagick); else echo "skipping ImageMagick: /usr/bin/convert not found"; fi
if command -v vips >/dev/null; then TOOLS+=(vips); else echo "skipping libvips: vips not found"; fi
if command -v djpeg >/dev/null; then TOOLS+=(djpeg); else echo "skipping djpeg: not found"; fi

declare -A WALL PEAK
INSIDE=() LOAD=() PASS=() SAVE=() OURPEAK=()

# One run of a tool: wall time from outside in ms (LAST_MS), peak resident memory in kB (LAST_PEAK).
run() {
    local tool=$1 start end status=0
    rm -f "$OUT/$tool".* "$OUT/peak"
    # Flushed beforehand, so no tool pays for writing back the one before.
    sync -f "$OUT" 2>/dev/null || true
    start=$EPOCHREALTIME
    if [[ -n $TIME ]]; then
        "tool_$tool" "$TIME" -f %M -o "$OUT/peak" >"$OUT/stdout" 2>"$OUT/stderr" || status=$?
    else
        "tool_$tool" >"$OUT/stdout" 2>"$OUT/stderr" || status=$?
    fi
    end=$EPOCHREALTIME
    LAST_MS=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", (e - s) * 1000 }')
    LAST_PEAK=0
    [[ -s $OUT/peak ]] && LAST_PEAK=$(tail -n 1 "$OUT/peak")
    return "$status"
}

sorted() { tr ' ' '\n' | grep -v '^$' | sort -g; }
median() { sorted | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { sed -n "s/.*\b$1=\([0-9.]*\).*/\1/p" "$OUT/stdout"; }

echo "Velmora pipeline: $(basename "$IN") ($(stat -c %s "$IN") bytes) -> 24-bit bitmap, median of $RUNS runs each after one warm-up"
echo "tools: ${TOOLS[*]}"
# Rounds take the tools in turn, so a slow spell of the machine falls on all of them alike.
for round in $(seq 0 "$RUNS"); do
    for tool in "${TOOLS[@]}"; do
        run "$tool" || { echo "$tool failed:"; cat "$OUT/stderr"; exit 1; }
        ((round == 0)) && continue
        WALL[$tool]+="$LAST_MS "
        PEAK[$tool]+="$LAST_PEAK "
        if [[ $tool == ours ]]; then
            INSIDE+=("$(field wall_ms)") LOAD+=("$(field load_ms)") PASS+=("$(field pass_ms)")
            SAVE+=("$(field save_ms)") OURPEAK+=("$(field peak_kb)")
        fi
    done
done

OURS=$(echo "${WALL[ours]}" | median)
echo
# MB here are 10^6 bytes; peaks are the largest resident set of each process.
printf "%-12s %10s %9s %9s %12s %10s\n" tool "median ms" fastest slowest "ours/tool" "peak MB"
for tool in "${TOOLS[@]}"; do
    m=$(echo "${WALL[$tool]}" | median)
    lo=$(echo "${WALL[$tool]}" | sorted | head -n 1)
    hi=$(echo "${WALL[$tool]}" | sorted | tail -n 1)
    pk=$(echo "${PEAK[$tool]}" | median)
    awk -v t="$tool" -v m="$m" -v lo="$lo" -v hi="$hi" -v o="$OURS" -v pk="$pk" \
        'BEGIN { printf "%-12s %10.1f %9.1f %9.1f %11.2fx %10.1f\n", t, m, lo, hi, o / m, pk * 1024 / 1e6 }'
done

echo
echo "ours, inside the process (medians):"
in=$(printf '%s ' "${INSIDE[@]}" | median)
printf "  %-36s %8.1f ms\n" "load (LoadPicture: read + decode)" "$(printf '%s ' "${LOAD[@]}" | median)"
printf "  %-36s %8.1f ms\n" "pass (MakeRowTables + MapRow)" "$(printf '%s ' "${PASS[@]}" | median)"
printf "  %-36s %8.1f ms\n" "save (SavePicture)" "$(printf '%s ' "${SAVE[@]}" | median)"
printf "  %-36s %8.1f ms\n" "main() to the end of the save" "$in"
awk -v o="$OURS" -v i="$in" 'BEGIN { printf "  %-36s %8.1f ms\n", "start-up before main() and exit", o - i }'

verdict() { # name, peer, factor, relation (lt or le)
    local m
    [[ -n ${WALL[$2]:-} ]] || { echo "$1: $2 not measured"; return; }
    m=$(echo "${WALL[$2]}" | median)
    awk -v n="$1" -v o="$OURS" -v m="$m" -v f="$3" -v r="$4" 'BEGIN {
        ok = r == "lt" ? o < f * m : o <= f * m
        printf "  %-28s %.1f ms vs %.1f ms (%.2fx): %s\n", n, o, f * m, o / m, ok ? "met" : "NOT met" }'
}
echo
echo "goals (ours from outside, whole process):"
verdict "under 0.4 x ImageMagick" imagemagick 0.4 lt
verdict "within 1.1 x djpeg" djpeg 1.1 le
verdict "faster than vips" vips 1.0 lt
awk -v pk="$(printf '%s ' "${OURPEAK[@]}" | median)" -v w="$WIDTH" -v h="$HEIGHT" 'BEGIN {
    picture = w * h * 4; goal = 2 * picture + 100e6
    printf "  %-28s %.1f MB vs 2 x %.1f + 100 = %.1f MB: %s\n", "peak memory (VmHWM)",
           pk * 1024 / 1e6, picture / 1e6, goal / 1e6, pk * 1024 <= goal ? "met" : "NOT met" }'
