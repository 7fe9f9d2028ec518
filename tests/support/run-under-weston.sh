#!/usr/bin/env bash
# Runs one program as a client of a private headless Weston compositor (QT_QPA_PLATFORM=wayland).
# Exits 77 (the test is skipped) only when Weston cannot start at all here.
set -euo pipefail
work=$(mktemp -d)
chmod 700 "$work"
export XDG_RUNTIME_DIR="$work"
socket="tolvane-test-$$"
if ! command -v weston >/dev/null; then
    echo "SKIP: weston is not installed" >&2
    exit 77
fi
# The pixman renderer draws the screen (the headless default draws nothing), and --debug lets a test
# client take a screenshot of it.
weston --backend=headless-backend.so --use-pixman --debug --socket="$socket" --idle-time=0 \
    --width=1600 --height=1200 \
    >"$work/weston.log" 2>&1 &
weston=$!
trap 'kill $weston 2>/dev/null || true; wait $weston 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    [[ -S "$work/$socket" ]] && break
    kill -0 $weston 2>/dev/null || break
    sleep 0.1
done
if [[ ! -S "$work/$socket" ]]; then
    echo "SKIP: weston could not start here:" >&2
    cat "$work/weston.log" >&2
    exit 77
fi
export WAYLAND_DISPLAY="$socket"
unset DISPLAY
export QT_QPA_PLATFORM=wayland
export LIBGL_ALWAYS_SOFTWARE=1
"$@"
