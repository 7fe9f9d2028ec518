#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks its metadata and files, and starts the unpacked
# program on the display (run under run-under-xvfb.sh), the way an installed copy starts.
# Usage: package-test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
player=""
cleanup() {
    if [[ -n "$player" ]]; then
        kill "$player" 2>/dev/null || true
        wait "$player" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Its own output folder, so a test run never replaces the package `make package` left in the build tree.
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb="$work/out/tolvane-player_1.00_amd64.deb"
[[ -f "$deb" ]] || fail "no $deb; made: $(ls "$work/out")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == tolvane-player ]] || fail "package name: $(field Package)"
[[ "$(field Version)" == 1.00 ]] || fail "version: $(field Version)"
[[ "$(field Architecture)" == amd64 ]] || fail "architecture: $(field Architecture)"
[[ "$(field Section)" == video ]] || fail "section: $(field Section)"
[[ "$(field Maintainer)" == "Tolvane Cooperation <packages@tolvane.example>" ]] ||
    fail "maintainer: $(field Maintainer)"
[[ "$(field Description)" == "This Software will play your medias easily.........."* ]] ||
    fail "description: $(field Description)"
[[ "$(field Recommends)" == *qt6-wayland* ]] || fail "Recommends lacks qt6-wayland: $(field Recommends)"
depends=$(field Depends)
for lib in libmpv2 libqt6widgets6 libqt6opengl6 libc6; do
    grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

dpkg-deb -x "$deb" "$work/root"
expected=(
    usr/bin/tolvane-player
    usr/share/applications/org.tolvane.Player.desktop
    usr/share/metainfo/org.tolvane.Player.metainfo.xml
    usr/share/tolvane-player/fonts.conf
    usr/share/icons/hicolor/scalable/apps/tolvane-player.svg
    usr/share/doc/tolvane-player/copyright
    usr/share/doc/tolvane-player/changelog.gz
    usr/share/man/man1/tolvane-player.1.gz
)
for size in 16 32 48 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/tolvane-player.png")
done
for file in "${expected[@]}"; do
    [[ -f "$work/root/$file" ]] || fail "missing $file"
done
[[ -x "$work/root/usr/bin/tolvane-player" ]] || fail "usr/bin/tolvane-player is not executable"
# Nothing else: no test programs, headers or static libraries slip in.
actual=$(cd "$work/root" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ "$actual" == "$wanted" ]] || fail "file list differs:"$'\n'"$(diff <(echo "$wanted") <(echo "$actual"))"
for size in 16 32 48 128 256; do
    got=$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/tolvane-player.png")
    [[ "$got" == "${size}x${size}" ]] || fail "icon ${size}x${size} is $got"
done
desktop-file-validate "$work/root/usr/share/applications/org.tolvane.Player.desktop"
# The program takes no file on its command line, so the desktop entry offers to open none.
! grep -q '^MimeType=' "$work/root/usr/share/applications/org.tolvane.Player.desktop" ||
    fail "the desktop entry declares MIME types"
zcat "$work/root/usr/share/doc/tolvane-player/changelog.gz" | head -1 | grep -q '^tolvane-player (1.00) ' ||
    fail "the changelog's last entry is not version 1.00"
# Debian's own checker: no errors and no warnings (notes and hints are printed, not counted).
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian reports errors or warnings"; }
cat "$work/lintian.log"

# The unpacked program, from a folder of its own, shows its player window.
mkdir "$work/cwd"
(cd "$work/cwd" && exec "$work/root/usr/bin/tolvane-player") >"$work/player.log" 2>&1 &
player=$!
if ! window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$player" --name '^Tolvane URL Media Player$'); then
    cat "$work/player.log" >&2
    fail "the unpacked program showed no player window"
fi
sleep 1
[[ ! -s "$work/player.log" ]] || { cat "$work/player.log" >&2; fail "the unpacked program printed something"; }
echo "player window $window mapped; package $(basename "$deb") checked"
