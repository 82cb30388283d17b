#!/bin/sh
# Start to first paint of the window beside a bare Qt Widgets window, in interleaved rounds under
# a fresh Xvfb. Usage: bench/run_startup.sh [BUILD_DIR] [ROUNDS]
set -eu
build=${1:-build}
rounds=${2:-21}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A fresh home and runtime folder: no earlier copy's lock, no settings.
HOME=$home XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/bench/bench_startup" "$rounds" "$build/app/velmora" "$build/bench/minimal_window"
