#!/usr/bin/env bash
# Takes the manual's pictures from the real program under a virtual X server and writes them,
# reduced to small palette PNGs, into resources/manual/images. Run by hand when the window
# changes; the pictures are committed.
#   tools/manual_screenshots.sh [path/to/velmora]        (default: build/app/velmora)
# Needs xvfb-run, xdotool and ImageMagick (the test packages of build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/app/velmora}")
out=$root/resources/manual/images
mkdir -p "$out"

if [ -z "${VELMORA_SHOTS_INSIDE:-}" ]; then
    exec env VELMORA_SHOTS_INSIDE=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$program"
fi

work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
# A settings folder of its own, so the user's recent photos and options never show.
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config LANG=C LC_ALL=C
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The pictures: the first skin swatch enlarged as the reference, and a copy with a cold cast as
# the photo, so 校正 has something to correct.
swatch=$root/resources/swatches/skin_0.bmp
convert "$swatch" -filter Lanczos -resize 300x416! "$work/reference.png"
convert "$swatch" -filter Lanczos -resize 360x500! -channel R -evaluate multiply 0.82 \
        -channel B -evaluate multiply 1.08 +channel -quality 92 "$work/photo.jpg"

"$program" --reference "$work/reference.png" "$work/photo.jpg" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' | head -n1)
settle() { sleep "${1:-1}"; }   # the window draws asynchronously; a screenshot waits for it
settle 2

# Writes the window (or a given window), cropped to its frame, as a palette PNG.
shot() {
    local name=$1 id=${2:-$window}
    eval "$(xdotool getwindowgeometry --shell "$id")"
    import -silent -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$name.png"
    convert "$work/$name.png" -strip -dither None -colors 128 "PNG8:$out/$name.png"
}
# The first visible top-level window other than the main one, within ten seconds.
other_window() {
    local id tries=0
    while ((tries++ < 20)); do
        for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
            [ "$id" != "$window" ] && [ -n "$(xdotool getwindowname "$id")" ] && { echo "$id"; return 0; }
        done
        sleep 0.5
    done
    echo "no second window appeared" >&2
    return 1
}
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; settle 0.5; }

shot window-opened
# A pick in the reference, then the matching place on the photo, then 校正 (Enter).
click 150 215
click 561 197
shot window-picked
xdotool key --window "$window" Return
settle 3
shot window-corrected

# The view menu, open over the window.
xdotool key --window "$window" alt+v
settle 1
shot menu-view
xdotool key Escape
settle 0.5

# 文件 > 批量校正 (Ctrl+B) beside the window.
xdotool key --window "$window" ctrl+b
batch=$(other_window)
settle 1
shot batch "$batch"
xdotool key --window "$batch" Escape
settle 0.5

kill "$pid"
wait "$pid" || true
ls -l "$out"
