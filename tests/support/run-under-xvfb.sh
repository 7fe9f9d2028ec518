#!/usr/bin/env bash
# Runs one test program on a private Xvfb server, so tests that move the pointer cannot disturb each other.
# TEST_DPI picks the server's resolution (96 by default); it also goes into the Xft.dpi resource, which is
# where desktops tell Qt programs the resolution to scale to.
set -euo pipefail
work=$(mktemp -d)
chmod 700 "$work"
mkfifo "$work/display"
Xvfb -displayfd 5 -screen 0 1600x1200x24 -dpi "${TEST_DPI:-96}" -nolisten tcp -noreset \
    5>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; wait $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
read -r number <"$work/display"
export DISPLAY=":$number"
echo "Xft.dpi: ${TEST_DPI:-96}" | xrdb -merge -nocpp
export QT_QPA_PLATFORM=xcb
export LIBGL_ALWAYS_SOFTWARE=1
export XDG_RUNTIME_DIR="$work"
"$@"
