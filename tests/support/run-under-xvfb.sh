#!/usr/bin/env bash
# Runs one test program on a private Xvfb server, so tests that move the pointer cannot disturb each other.
# TEST_DPI picks the server's resolution (96 by default); it also goes into the Xft.dpi resource, which is
# where desktops tell Qt programs the resolution to scale to. TEST_WM=metacity runs Debian's metacity window
# manager on the server first, so frames, stacking, activation and full screen are the window manager's.
# TEST_XVFB_ARGS adds options of the server's (+iglx: it accepts indirect GLX contexts).
set -euo pipefail
work=$(mktemp -d)
chmod 700 "$work"
mkfifo "$work/display"
# shellcheck disable=SC2086 # TEST_XVFB_ARGS: more of the server's options, word by word
Xvfb -displayfd 5 -screen 0 1600x1200x24 -dpi "${TEST_DPI:-96}" -nolisten tcp -noreset ${TEST_XVFB_ARGS:-} \
    5>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
wm=""
trap '[[ -n $wm ]] && { kill $wm 2>/dev/null; wait $wm 2>/dev/null; }
      kill $xvfb 2>/dev/null || true; wait $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
read -r number <"$work/display"
export DISPLAY=":$number"
echo "Xft.dpi: ${TEST_DPI:-96}" | xrdb -merge -nocpp
case "${TEST_WM:-}" in
"") ;;
metacity)
    # Its settings from memory, so nothing of the machine's desktop and no dconf writes come into it.
    GSETTINGS_BACKEND=memory metacity --sm-disable >"$work/wm.log" 2>&1 &
    wm=$!
    # Ready once it has claimed the screen and announced itself on the root window.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        kill -0 $wm 2>/dev/null || { cat "$work/wm.log" >&2; echo "metacity did not start" >&2; exit 1; }
        sleep 0.1
    done
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "metacity did not start" >&2; exit 1; }
    ;;
*) echo "unknown TEST_WM: $TEST_WM" >&2; exit 1 ;;
esac
export QT_QPA_PLATFORM=xcb
export LIBGL_ALWAYS_SOFTWARE=1
export XDG_RUNTIME_DIR="$work"
"$@"
