#!/usr/bin/env bash
# Velmora — fuzzes the bitmap, 8- and 16-bit TIFF and 16-bit PNG decoders and the GIF check under
# AddressSanitizer and UndefinedBehaviorSanitizer for a bounded time (default 120 s), then the two
# JPEG paths against each other for as long again:
# ./tools/fuzz/run_fuzz.sh [seconds]
# Needs clang (its libFuzzer runtime), ImageMagick for the seed files and icc-profiles-free for one.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-120}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/corpus"
cp tests/data/*.bmp tests/data/*.gif "$out/corpus/"
# Seeds for the packings the sample files lack.
convert -size 7x5 gradient:red-blue "$out/s.png"
convert "$out/s.png" -define bmp:format=bmp2 "$out/corpus/core.bmp"
convert "$out/s.png" -define bmp:format=bmp3 -define bmp:subtype=RGB565 "$out/corpus/565.bmp"
convert "$out/s.png" -define bmp:format=bmp4 -alpha on -channel A -evaluate set 50% "$out/corpus/v4alpha.bmp"
convert "$out/s.png" -type palette -compress RLE "$out/corpus/rle8.bmp"
convert "$out/s.png" -colors 8 -type palette -compress RLE "$out/corpus/rle4.bmp"
convert -size 40x30 xc: +noise Random -colors 200 "$out/corpus/noise.gif"
# 16-bit TIFFs: strips and tiles, one plane and separate planes, alpha, grey, turned.
tiff16=(-size 7x5 xc: +noise Random -depth 16)
alpha=(-alpha set -channel A -fx "i/7" +channel)
convert "${tiff16[@]}" -compress lzw "$out/corpus/rgb16.tif"
convert "${tiff16[@]}" -compress none -orient right-top "$out/corpus/turned16.tif"
convert "${tiff16[@]}" -interlace plane -compress zip "$out/corpus/planes16.tif"
convert "${tiff16[@]}" -define tiff:tile-geometry=16x16 "$out/corpus/tiles16.tif"
convert "${tiff16[@]}" "${alpha[@]}" -define tiff:alpha=associated "$out/corpus/alpha16.tif"
convert "${tiff16[@]}" "${alpha[@]}" -define tiff:alpha=associated -interlace plane "$out/corpus/alphaplanes16.tif"
convert "${tiff16[@]}" -colorspace gray -compress lzw "$out/corpus/grey16.tif"
# 8-bit TIFFs of the same layouts.
tiff8=(-size 7x5 xc: +noise Random -depth 8)
convert "${tiff8[@]}" -compress lzw -orient left-bottom "$out/corpus/turned8.tif"
convert "${tiff8[@]}" -interlace plane -define tiff:tile-geometry=16x16 "$out/corpus/planetiles8.tif"
convert "${tiff8[@]}" "${alpha[@]}" -define tiff:alpha=unassociated "$out/corpus/alpha8.tif"
convert "${tiff8[@]}" "${alpha[@]}" -define tiff:alpha=associated -interlace plane "$out/corpus/alphaplanes8.tif"
convert "${tiff8[@]}" -colorspace gray -compress zip -define tiff:tile-geometry=16x16 "$out/corpus/greytiles8.tif"
# 16-bit PNGs of every colour type, plain and interlaced, one with a transparent colour.
convert -size 9x7 gradient:red-blue -depth 16 "$out/d.png"
convert "$out/d.png" PNG48:"$out/corpus/rgb16.png"
convert "$out/d.png" -interlace PNG PNG48:"$out/corpus/rgb16i.png"
convert "$out/d.png" -alpha on -channel A -evaluate set 50% +channel -interlace PNG PNG64:"$out/corpus/rgba16i.png"
convert "$out/d.png" -colorspace Gray -define png:bit-depth=16 -define png:color-type=0 "$out/corpus/grey16.png"
convert "$out/d.png" -colorspace Gray -alpha on -channel A -evaluate set 50% +channel \
    -define png:bit-depth=16 -define png:color-type=4 "$out/corpus/greya16.png"
convert "$out/d.png" -transparent blue PNG48:"$out/corpus/trns16.png"
convert "$out/d.png" -profile /usr/share/color/icc/compatibleWithAdobeRGB1998.icc PNG48:"$out/corpus/icc16.png"
flags=(-std=c++20 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I.)
clang++ "${flags[@]}" -DVELMORA_FUZZING $(pkg-config --cflags Qt6Gui libtiff-4 libpng) tools/fuzz/fuzz_decoders.cpp \
    picture/bmp_decoder.cpp picture/gif_check.cpp picture/tiff_decoder.cpp picture/png_decoder.cpp \
    picture/picture_memory.cpp core/orientation.cpp $(pkg-config --libs Qt6Gui libtiff-4 libpng) -o "$out/fuzz_decoders"
# First every cut and every single-byte change (to 0x00, 0xFF and inverted) of each seed...
mkdir -p "$out/variants"
python3 - "$out/corpus" "$out/variants" <<'PY'
import os, sys
src, dst = sys.argv[1], sys.argv[2]
n = 0
for name in sorted(os.listdir(src)):
    data = open(os.path.join(src, name), 'rb').read()
    variants = [data[:i] for i in range(len(data))]
    for i in range(len(data)):
        for b in (0, 0xFF, data[i] ^ 0xFF):
            variants.append(data[:i] + bytes([b]) + data[i + 1:])
    for v in variants:
        open(os.path.join(dst, '%06d' % n), 'wb').write(v)
        n += 1
print('variants:', n)
PY
"$out/fuzz_decoders" -runs=0 "$out/variants" 2>&1 | tail -3
# ...then libFuzzer's own mutations for the time given.
"$out/fuzz_decoders" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
    -print_final_stats=1 "$out/corpus"

# The window's JPEG decoder and the banded path must reach the same verdict on every input.
mkdir -p "$out/jpeg" "$out/jpeg-variants"
convert -size 48x40 gradient:red-blue +noise Random -quality 80 "$out/jpeg/baseline.jpg"
convert "$out/jpeg/baseline.jpg" -sampling-factor 1x1 -quality 95 "$out/jpeg/full.jpg"
convert "$out/jpeg/baseline.jpg" -interlace JPEG "$out/jpeg/progressive.jpg"
jpegtran -arithmetic -outfile "$out/jpeg/arithmetic.jpg" "$out/jpeg/baseline.jpg"
jpegtran -restart 1 -outfile "$out/jpeg/restart.jpg" "$out/jpeg/baseline.jpg"
cp tests/data/*.jpg "$out/jpeg/"
jpeg_sources=(io/jpeg_setup.cpp io/banded_jpeg.cpp io/jpeg_containers.cpp io/input_file.cpp io/atomic_output.cpp io/background_flush.cpp
              io/band_pipe.cpp io/bitmap_rows.cpp io/exif_orientation.cpp io/row_split.cpp core/gain_table.cpp
              core/wide_map_row.cpp core/orientation.cpp io/file_names.cpp io/hidden_files.cpp picture/jpeg_decoder.cpp
              picture/cmyk_profile.cpp picture/picture_memory.cpp)
clang++ "${flags[@]}" $(pkg-config --cflags Qt6Gui lcms2 libjpeg) tools/fuzz/fuzz_jpeg_paths.cpp "${jpeg_sources[@]}" \
    $(pkg-config --libs Qt6Gui lcms2 libjpeg) -lpthread -o "$out/fuzz_jpeg_paths"
python3 - "$out/jpeg" "$out/jpeg-variants" <<'PY'
import os, sys
src, dst = sys.argv[1], sys.argv[2]
n = 0
for name in sorted(os.listdir(src)):
    data = open(os.path.join(src, name), 'rb').read()
    if len(data) > 4096:
        continue
    for i in range(len(data)):
        for b in (0, 0xFF, data[i] ^ 0xFF):
            open(os.path.join(dst, '%06d' % n), 'wb').write(data[:i] + bytes([b]) + data[i + 1:])
            n += 1
print('jpeg variants:', n)
PY
"$out/fuzz_jpeg_paths" -runs=0 "$out/jpeg-variants" 2>&1 | tail -3
"$out/fuzz_jpeg_paths" -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=2048 \
    -print_final_stats=1 "$out/jpeg"
