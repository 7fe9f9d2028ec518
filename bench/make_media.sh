#!/usr/bin/env bash
# Makes the benchmarks' media with ffmpeg, once: each file or folder is kept, and made again only if it is
# missing. Usage: make_media.sh OUT SHARED   (SHARED: files the unprivileged VLC reference also reads)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1 shared=$2
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
# once PATH COMMAND...: runs the command (which writes PATH.tmp) unless PATH exists; then PATH.tmp -> PATH.
once() {
  local path=$1
  shift
  [[ -e $path ]] && return 0
  rm -rf "$path.tmp"
  "$@"
  mv "$path.tmp" "$path"
}
# h264 OUT INPUT_ARGS...: H.264, 2 s between keyframes, into OUT.tmp.
h264() {
  local target=$1
  shift
  local format=${target##*.}
  [[ $format == mkv ]] && format=matroska
  ff "$@" -c:v libx264 -preset veryfast -crf 23 -g 60 -pix_fmt yuv420p -f "$format" "$target.tmp"
}

# Pure red and pure green (lavfi's "green" is a dark one; "lime" is 00ff00).
for colour in red:red green:lime; do
  f=$shared/${colour%%:*}.mp4
  once "$f" h264 "$f" -f lavfi -i "color=c=${colour#*:}:size=640x360:rate=30:duration=5"
done
# The 1080p clip carries a centre square, red before 4 s and lime from 4 s on, for the seek row.
square="drawbox=x=640:y=360:w=640:h=360:t=fill:color=red:enable='lt(t,4)',"
square+="drawbox=x=640:y=360:w=640:h=360:t=fill:color=lime:enable='gte(t,4)'"
f=$shared/1080p30.mp4
once "$f" h264 "$f" -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=10 -vf "$square"
f=$shared/2160p30.mp4
once "$f" h264 "$f" -f lavfi -i testsrc2=size=3840x2160:rate=30:duration=10
heavy_ass() {
  python3 "$here/heavy_subtitle.py" "$out/heavy.ass" 10 20
  h264 "$out/heavy-ass.mkv" -f lavfi -i testsrc2=size=640x360:rate=30:duration=10 -i "$out/heavy.ass" \
    -c:s copy -disposition:s:0 default
}
once "$out/heavy-ass.mkv" heavy_ass

clips() {
  mkdir -p "$out/clips.tmp"
  ff -f lavfi -i "testsrc2=size=160x120:rate=25:duration=1" -c:v libx264 -preset ultrafast \
    -pix_fmt yuv420p "$out/clips.tmp/clip 00.mp4"
  for i in $(seq -w 1 19); do cp "$out/clips.tmp/clip 00.mp4" "$out/clips.tmp/clip $i.mp4"; done
}
once "$out/clips" clips
# Folders of empty files for the listing rows (the million takes about a minute and 1 M inodes, once).
many() { mkdir -p "$out/many-$1.tmp" && (cd "$out/many-$1.tmp" && seq -f 'file %07g.txt' 1 "$1" | xargs -d '\n' touch); }
for n in 10000 100000 1000000; do
  once "$out/many-$n" many "$n"
done
mkdir -p "$out/start"
