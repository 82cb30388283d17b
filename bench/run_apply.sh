#!/usr/bin/env bash
# Velmora benchmark — `velmora apply` and the window-less whole job beside the libjpeg-turbo floor,
# libvips and ImageMagick, every comparison in interleaved rounds (bench/rounds.py).
#
#   bench/run_apply.sh [BUILD_DIR=build]
#
# Every peer does the same work: the same gains, through the same 256-entry tables (gain_lut.py
# writes them from the rule; `vips maplut` and ImageMagick's `-clut` with integer interpolation map
# through them and give bit-identical pixels, which the script checks), and an uncompressed result of
# the same size. Ours flushes its output to disk before it reports; so do the floor with --sync and
# the peers marked _sync, whose command ends in `sync -d FILE` (fdatasync of that file). Test photos
# are made here (no downloads) in VELMORA_BENCH_DIR (default /tmp/velmora-bench) and kept.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(realpath "${1:-$ROOT/build}")
DIR=${VELMORA_BENCH_DIR:-/tmp/velmora-bench}
ROUNDS=${ROUNDS:-7}
VELMORA=$BUILD/app/velmora
FLOOR=$BUILD/bench/floor_jpeg
MAKE=$BUILD/bench/make_photo
PIPELINE=$BUILD/bench/bench_pipeline
RUN=("$ROOT/bench/rounds.py")
for tool in "$VELMORA" "$FLOOR" "$MAKE" "$PIPELINE" "$BUILD/bench/pass_rounds" "$BUILD/bench/bench_load"; do
    [[ -x $tool ]] || { echo "missing $tool: build the targets velmora floor_jpeg make_photo bench_pipeline pass_rounds bench_load" >&2; exit 2; }
done
for peer in vips convert; do
    command -v $peer >/dev/null || { echo "missing $peer (libvips-tools, imagemagick)" >&2; exit 2; }
done
mkdir -p "$DIR/out"
OUT=$DIR/out
GAINS=0.12,-0.05,0.08
# bench_pipeline's own gains: red x 1.1, green x 0.95, blue x 1.02.
PIPE_GAINS=0.1,-0.05,0.02

photo() { # name width height seed
    [[ -s $DIR/$1 ]] || "$MAKE" "$DIR/$1" "$2" "$3" 92 "$4"
}
echo "making test photos in $DIR (quality 92) ..."
photo 24mp.jpg 6000 4000 1
photo 100mp.jpg 12500 8000 2
for i in $(seq 1 16); do photo "12mp-$i.jpg" 4000 3000 "$((i + 2))"; done
python3 "$ROOT/bench/gain_lut.py" "$GAINS" "$DIR/lut.ppm"
python3 "$ROOT/bench/gain_lut.py" "$PIPE_GAINS" "$DIR/pipe-lut.ppm"
IN=$DIR/24mp.jpg

# The peers' pixels, checked once against ours before anything is timed.
check_same() {
    rm -rf "$OUT/check" && mkdir -p "$OUT/check"
    "$VELMORA" apply --gains "$GAINS" --format bmp --out "$OUT/check" "$IN" >/dev/null
    vips maplut "$IN" "$OUT/check/vips.v" "$DIR/lut.ppm"
    vips copy "$OUT/check/vips.v" "$OUT/check/vips.png"
    convert "$IN" -interpolate Integer "$DIR/lut.ppm" -clut "$OUT/check/im.bmp"
    "$FLOOR" bmp "$IN" "$OUT/check/floor.bmp" "$GAINS"
    local ours
    ours=$(convert "$OUT/check/24mp.bmp" -depth 8 rgb:- | md5sum)
    for other in vips.png im.bmp floor.bmp; do
        [[ $(convert "$OUT/check/$other" -depth 8 rgb:- | md5sum) == "$ours" ]] ||
            { echo "pixels differ: $other" >&2; exit 1; }
    done
    cmp -s "$OUT/check/24mp.bmp" "$OUT/check/floor.bmp" || { echo "floor's bitmap bytes differ" >&2; exit 1; }
    echo "checked: vips maplut, ImageMagick -clut and the floor give our pixels exactly; the floor's BMP is ours byte for byte"
    rm -rf "$OUT/check"
}
check_same
# Each run starts with its last output removed and the disk caught up, outside the clock.
clean() { echo "rm -rf $*; sync -f $OUT"; }

echo
"${RUN[@]}" --rounds "$ROUNDS" --title "24-megapixel JPEG to BMP ($(stat -c %s "$IN") bytes in, 72 MB out), gains $GAINS" \
    --prep "apply=$(clean "$OUT/a")" --prep "floor_sync=$(clean "$OUT/f.bmp")" --prep "floor=$(clean "$OUT/f.bmp")" \
    --prep "vips_sync=$(clean "$OUT/v.v")" --prep "vips=$(clean "$OUT/v.v")" \
    --goal "apply/floor_sync<=1.2" --goal "apply/vips_sync<=0.6" \
    "apply=$VELMORA apply --gains $GAINS --format bmp --out $OUT/a $IN" \
    "floor_sync=$FLOOR bmp $IN $OUT/f.bmp $GAINS --sync" \
    "floor=$FLOOR bmp $IN $OUT/f.bmp $GAINS" \
    "vips_sync=sh:vips maplut $IN $OUT/v.v $DIR/lut.ppm && sync -d $OUT/v.v" \
    "vips=vips maplut $IN $OUT/v.v $DIR/lut.ppm"

echo
"${RUN[@]}" --rounds "$ROUNDS" --title "24-megapixel JPEG to JPEG, quality 95, 4:4:4, camera data kept, gains $GAINS" \
    --prep "apply=$(clean "$OUT/a")" --prep "vips_sync=$(clean "$OUT/v.jpg")" --prep "vips=$(clean "$OUT/v.jpg")" \
    --goal "apply/vips_sync<=0.8" \
    "apply=$VELMORA apply --gains $GAINS --format jpg --quality 95 --out $OUT/a $IN" \
    "vips_sync=sh:vips maplut $IN '$OUT/v.jpg[Q=95,subsample-mode=off]' $DIR/lut.ppm && sync -d $OUT/v.jpg" \
    "vips=vips maplut $IN $OUT/v.jpg[Q=95,subsample-mode=off] $DIR/lut.ppm"

echo
# What this machine gives two at once right now: on two free cores a pair takes as long as one.
"${RUN[@]}" --rounds "$ROUNDS" --title "the machine's parallelism now: two floor programs at once against one (12 MP to BMP, no sync)" \
    --goal "pair/one<=1.1" \
    "one=$FLOOR bmp $DIR/12mp-1.jpg $OUT/one.bmp $GAINS" \
    "pair=sh:$FLOOR bmp $DIR/12mp-1.jpg $OUT/p1.bmp $GAINS & a=\$!; $FLOOR bmp $DIR/12mp-2.jpg $OUT/p2.bmp $GAINS; wait \$a"

echo
TWELVE=$(ls "$DIR"/12mp-*.jpg | tr '\n' ' ')
"${RUN[@]}" --rounds "$(( (ROUNDS + 1) / 2 ))" --title "16 photos of 12 megapixels to BMP, --jobs 1 against --jobs 2" \
    --prep "jobs1=$(clean "$OUT/j1")" --prep "jobs2=$(clean "$OUT/j2")" \
    --goal "jobs1/jobs2>=1.8" \
    "jobs1=$VELMORA apply --gains $GAINS --format bmp --jobs 1 --out $OUT/j1 $TWELVE" \
    "jobs2=$VELMORA apply --gains $GAINS --format bmp --jobs 2 --out $OUT/j2 $TWELVE"

echo
"${RUN[@]}" --rounds "$ROUNDS" --title "the window's whole job without a window: open, correct, save BMP (bench_pipeline --once), gains $PIPE_GAINS" \
    --prep "pipeline=$(clean "$OUT/p.bmp")" --prep "floor_sync=$(clean "$OUT/f.bmp")" \
    --prep "vips_sync=$(clean "$OUT/v.v")" --prep "magick_sync=$(clean "$OUT/m.bmp")" \
    --goal "pipeline/floor_sync<=1.3" --goal "pipeline/vips_sync<=1.0" --goal "pipeline/magick_sync<=1.0" \
    "pipeline=$PIPELINE --once $IN $OUT/p.bmp" \
    "floor_sync=$FLOOR bmp $IN $OUT/f.bmp $PIPE_GAINS --sync" \
    "vips_sync=sh:vips maplut $IN $OUT/v.v $DIR/pipe-lut.ppm && sync -d $OUT/v.v" \
    "magick_sync=sh:convert $IN -interpolate Integer $DIR/pipe-lut.ppm -clut $OUT/m.bmp && sync -d $OUT/m.bmp"

echo
echo "== opening the 24-megapixel JPEG into the window's picture beside libjpeg-turbo decoding it into an"
echo "   already-touched buffer (in-process times; $ROUNDS alternating rounds, a fresh process each)"
echo "   open: bench_load, a first load as the window does it (read, check, decode into fresh memory)"
echo "   refresh: bench_load --reload, the median of four loads reusing the last one's memory, as 刷新 does"
echo "   floor: floor_jpeg decode-touched, the second decode in its process"
echo "   load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for _ in $(seq 1 "$ROUNDS"); do
    "$BUILD/bench/bench_load" "$IN" | sed -n 's/.*load_ms=\([0-9.]*\).*/open \1/p'
    "$BUILD/bench/bench_load" --reload "$IN" 5 | sed -n 's/.*later_median_ms=\([0-9.]*\).*/refresh \1/p'
    "$FLOOR" decode-touched "$IN" 2 | tail -1 | sed 's/decode_ms=/floor /'
done | sort -k1,1 -k2,2g | awk '
    { v[$1, ++n[$1]] = $2 }
    END {
        for (k in n) { med[k] = v[k, int((n[k] + 1) / 2)]; printf "  %-8s median %7.1f ms   min-max %.1f-%.1f ms\n", k, med[k], v[k, 1], v[k, n[k]] }
        o = med["open"] / med["floor"]; r = med["refresh"] / med["floor"]
        printf "  goal open/floor <= 1.25: %.2fx, %s\n", o, o <= 1.25 ? "met" : "NOT met"
        printf "  goal refresh/floor <= 1.1: %.2fx, %s\n", r, r <= 1.1 ? "met" : "NOT met"
    }'
echo "   load after:  $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "== core pass against memcpy, in one process"
"$BUILD/bench/pass_rounds" 15

echo
echo "== peak memory of one 100-megapixel JPEG (12500 x 8000), GNU time -v; goal under 64 MB"
for format in bmp jpg; do
    rm -rf "$OUT/big"
    /usr/bin/time -v "$VELMORA" apply --gains "$GAINS" --format $format --out "$OUT/big" "$DIR/100mp.jpg" \
        2>"$OUT/time.txt" >/dev/null
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$OUT/time.txt")
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$OUT/time.txt")
    awk -v f=$format -v kb="$kb" -v w="$wall" 'BEGIN { printf "  to %s: peak %.1f MB, wall %s: %s\n", f, kb / 1024, w, kb / 1024 < 64 ? "met" : "NOT met" }'
done
rm -rf "$OUT"
