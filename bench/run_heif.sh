#!/usr/bin/env bash
# Velmora benchmark — opening HEIC and AVIF photos: a 12-megapixel (4032 × 3024) HEIC opened as the
# window does it (bench_load) beside the floor, libheif decoding the same file to RGB in a plain
# program (floor_heif), in interleaved rounds (bench/rounds.py); the same for AVIF; peak memory of
# each open against the picture's own size × 1.5 + 50 MB; and the time to refuse a 64 × 64 file
# whose header claims 50000 × 50000.
#
#   bench/run_heif.sh [BUILD_DIR=build]
#
# Photos are made here (make_photo, then heif-enc / avifenc; no downloads) in VELMORA_BENCH_DIR
# (default /tmp/velmora-bench) and kept.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(realpath "${1:-$ROOT/build}")
DIR=${VELMORA_BENCH_DIR:-/tmp/velmora-bench}
ROUNDS=${ROUNDS:-7}
LOAD=$BUILD/bench/bench_load
FLOOR=$BUILD/bench/floor_heif
MAKE=$BUILD/bench/make_photo
for tool in "$LOAD" "$FLOOR" "$MAKE"; do
    [[ -x $tool ]] || { echo "missing $tool: build the targets bench_load floor_heif make_photo" >&2; exit 2; }
done
for tool in heif-enc avifenc /usr/bin/time; do
    command -v $tool >/dev/null || { echo "missing $tool (libheif-examples, libavif-bin, time)" >&2; exit 2; }
done
mkdir -p "$DIR"

echo "making test photos in $DIR ..."
[[ -s $DIR/12mp-heif.jpg ]] || "$MAKE" "$DIR/12mp-heif.jpg" 4032 3024 95 7
[[ -s $DIR/12mp.heic ]] || heif-enc -q 85 "$DIR/12mp-heif.jpg" -o "$DIR/12mp.heic" >/dev/null
[[ -s $DIR/12mp.avif ]] || avifenc -s 8 -j all "$DIR/12mp-heif.jpg" "$DIR/12mp.avif" >/dev/null
# The huge claim: every 'ispe' box of a small HEIC rewritten to say 50000 × 50000.
if [[ ! -s $DIR/huge-claim.heic ]]; then
    convert -size 64x64 gradient:red-blue "$DIR/small.png"
    heif-enc -q 50 "$DIR/small.png" -o "$DIR/small.heic" >/dev/null
    python3 - "$DIR/small.heic" "$DIR/huge-claim.heic" <<'PY'
import struct, sys
d = bytearray(open(sys.argv[1], 'rb').read())
def walk(off, end):
    while off + 8 <= end:
        s, k = struct.unpack('>I4s', d[off:off + 8])
        if s < 8: return
        if k == b'ispe': d[off + 12:off + 20] = struct.pack('>II', 50000, 50000)
        if k == b'meta': walk(off + 12, off + s)
        if k in (b'iprp', b'ipco'): walk(off + 8, off + s)
        off += s
walk(0, len(d))
open(sys.argv[2], 'wb').write(d)
PY
fi

for kind in heic avif; do
    python3 "$ROOT/bench/rounds.py" --rounds "$ROUNDS" --warmup 1 \
        --title "open a 12-megapixel ${kind^^} (4032 x 3024): as the window does / libheif to RGB" \
        --goal "window/floor<=1.2" \
        "floor=$FLOOR $DIR/12mp.$kind" "window=$LOAD $DIR/12mp.$kind"
done

# Peak memory, by GNU time around one open (the process's largest resident set), against the
# picture's own bytes × 1.5 + 50 MB.
echo
echo "peak memory opening (GNU time, one open each):"
for file in "$DIR/12mp.heic" "$DIR/12mp.avif"; do
    line=$(/usr/bin/time -f "rss_kb=%M" "$LOAD" "$file" 2>&1)
    picture=$(grep -o 'picture_mb=[0-9.]*' <<<"$line" | cut -d= -f2)
    rss=$(grep -o 'rss_kb=[0-9]*' <<<"$line" | cut -d= -f2)
    python3 - "$file" "$picture" "$rss" <<'PY'
import sys
name, picture, rss = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]) / 1024
limit = picture * 1.5 + 50
print("  {}: peak {:.1f} MB, picture {:.1f} MB, limit {:.1f} MB: {}".format(
    name, rss, picture, limit, "met" if rss <= limit else "NOT met"))
PY
done

# The refusal of a huge claim: bench_load's own time for the load, 7 runs.
echo
echo "refusing a 64 x 64 HEIC that claims 50000 x 50000 (load_ms inside the process, goal < 100 ms):"
for i in $(seq 1 7); do "$LOAD" "$DIR/huge-claim.heic"; done | grep -o 'problem=[0-9]* .*load_ms=[0-9.]*' |
    awk '{ print "  " $0 }'
