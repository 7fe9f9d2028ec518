#!/usr/bin/env bash
# A folder of small generated clips, so a first run has something to click.
set -euo pipefail
out=${1:?usage: make-demo-media.sh FOLDER}
mkdir -p "$out"
cd "$out"
make_clip() { [[ -s "$1" ]] || ffmpeg -loglevel error -y "${@:2}" "$1"; }
make_clip "Test pattern.mp4" -f lavfi -i testsrc2=size=640x360:rate=30:duration=10 \
    -f lavfi -i sine=frequency=440:duration=10 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest
make_clip "Colour bars.mkv" -f lavfi -i smptehdbars=size=640x360:rate=25:duration=8 \
    -f lavfi -i sine=frequency=660:duration=8 -c:v libvpx -b:v 1M -c:a libvorbis -shortest
make_clip "Tone 440 Hz.mp3" -f lavfi -i sine=frequency=440:duration=6 -c:a libmp3lame
make_clip "Tone 880 Hz.wav" -f lavfi -i sine=frequency=880:duration=4
mkdir -p "More clips"
make_clip "More clips/Mandelbrot.webm" -f lavfi -i mandelbrot=size=480x270:rate=25 -t 8 -c:v libvpx -b:v 800k
echo "Not a media file: the player shows why it cannot play it." >"Read me.txt"
