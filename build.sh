#!/usr/bin/env bash
# Velmora — sets up a Debian 12 machine, builds, then starts the program or runs every test.
#   ./build.sh run    install what is missing, build, start Velmora
#   ./build.sh test   install what is missing, build, run the whole test suite
set -euo pipefail
cd "$(dirname "$0")"

# To build and run: the compiler, Qt's widgets, Qt's own Chinese and English texts and the three
# Chinese faces the window is drawn in (Song/Ming, Hei, Kai); saving's formats, camera data and JPEG
# encoder; Little CMS for CMYK photos' own profiles; libtiff and libpng for 16-bit TIFFs and PNGs;
# Qt's lupdate and lrelease (qt6-tools-dev, qt6-l10n-tools) for our own English translation;
# libheif for HEIC and AVIF photos (with its HEVC and AV1 decoders).
RUN_PACKAGES=(cmake g++ make qt6-base-dev qt6-qpa-plugins libgl-dev qt6-translations-l10n
              qt6-tools-dev qt6-l10n-tools
              fonts-arphic-uming fonts-arphic-ukai fonts-wqy-zenhei
              pkg-config libxcb1-dev libexiv2-dev libjpeg62-turbo-dev qt6-image-formats-plugins liblcms2-dev
              libtiff-dev libpng-dev libheif-dev)
# To test: a virtual X server for the test that drives the real window, and its input tool; decoders
# and metadata readers that check pictures and saved files independently of the program;
# GNU parallel for the command line spread over machines; a CMYK press profile (ghostscript's);
# GNU time for the command line's peak memory with one job and with several; jpegtran and djpeg for
# arithmetic-coded JPEGs and the library's own verdict on damaged ones; heif-enc/heif-convert and
# avifenc/avifdec to make HEIC and AVIF fixtures and decode them independently; the desktop's
# validators for the launcher and the software-centre entry, groff and man for the manual page, and
# dpkg-dev, file and binutils to make the Debian package and read its dependencies back; the
# accessibility bus, its Python reader and a private D-Bus session, to hear the window as a screen
# reader does.
TEST_PACKAGES=(xvfb xauth xdotool libimage-exiftool-perl imagemagick python3-pil icc-profiles-free parallel
               ghostscript time libjpeg-turbo-progs libheif-examples libavif-bin appstream desktop-file-utils
               groff-base man-db dpkg-dev file binutils at-spi2-core python3-pyatspi dbus-daemon)

install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    ((${#missing[@]})) || return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# Running needs only the program; testing builds everything, the generator and benchmarks included.
build() {
    local everything=$1
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING="$everything" \
        -DVELMORA_BUILD_TOOLS="$everything" -DVELMORA_BUILD_BENCH="$everything"
    if [ "$everything" = ON ]; then
        cmake --build build -j"$(nproc)"
    else
        cmake --build build -j"$(nproc)" --target velmora
    fi
}

case "${1:-}" in
run)
    install_missing "${RUN_PACKAGES[@]}"
    build OFF
    exec ./build/app/velmora
    ;;
test)
    install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build ON
    cd build
    ctest --output-on-failure -j2
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
