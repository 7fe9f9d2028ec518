#!/usr/bin/env bash
# Runs every benchmark BENCH_RUNS times (default 5) on one private Xvfb server and prints one markdown
# table, also written to build/bench/results.md. Each row compares our program with references measured in
# the same run, on the same server, so a busy machine shifts both sides alike. Nothing here fails on time.
# Usage: bench/run.sh [BUILD_DIR]   (default build-release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-release}" && pwd)
runs=${BENCH_RUNS:-5}
out=$root/build/bench
raw=$out/raw
# The reference VLC refuses to run as root: it runs as nobody, so its media and home lie where nobody reads.
shared=/tmp/bench/shared
mkdir -p "$out" "$shared/home"
rm -rf "$raw" && mkdir -p "$raw"
chmod 755 /tmp/bench "$shared" && chmod 777 "$shared/home"

log() { printf '%s %s\n' "$(date +%T)" "$*" >&2; }

# --- media and folders, made once and kept -------------------------------------------------------------
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
make_media() {
  local f
  # Pure red and pure green (lavfi's "green" is a dark one; "lime" is 00ff00).
  for colour in red:red green:lime; do
    f=$shared/${colour%%:*}.mp4
    [[ -s $f ]] || ff -f lavfi -i "color=c=${colour#*:}:size=640x360:rate=30:duration=5" \
      -c:v libx264 -preset veryfast -pix_fmt yuv420p "$f"
  done
  f=$shared/1080p.mp4
  [[ -s $f ]] || ff -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=10" \
    -c:v libx264 -preset veryfast -crf 23 -g 60 -pix_fmt yuv420p "$f"
  if [[ ! -d $out/clips ]]; then
    mkdir -p "$out/clips.tmp"
    ff -f lavfi -i "testsrc2=size=160x120:rate=25:duration=1" -c:v libx264 -preset ultrafast \
      -pix_fmt yuv420p "$out/clips.tmp/clip 00.mp4"
    for i in $(seq -w 1 19); do cp "$out/clips.tmp/clip 00.mp4" "$out/clips.tmp/clip $i.mp4"; done
    mv "$out/clips.tmp" "$out/clips"
  fi
  if [[ ! -d $out/many ]]; then
    mkdir -p "$out/many.tmp"
    (cd "$out/many.tmp" && seq -f 'file %06g.txt' 1 100000 | xargs -d '\n' touch)
    mv "$out/many.tmp" "$out/many"
  fi
  mkdir -p "$out/start"
}
log "making media in $out and $shared"
make_media

# --- one X server for the whole run --------------------------------------------------------------------
display=
for n in $(seq 110 119); do
  [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
  display=:$n && break
done
[[ -n $display ]] || { echo "no free display among :110 to :119" >&2; exit 1; }
Xvfb "$display" -screen 0 1600x1200x24 -dpi 96 -ac -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1 NO_AT_BRIDGE=1
unset WAYLAND_DISPLAY

# rec NAME RUN COMMAND...: the command's "key value" lines, plus /usr/bin/time's figures, into raw/NAME.RUN
rec() {
  local name=$1 run=$2
  shift 2
  /usr/bin/time -o "$raw/$name.$run.time" -f $'time_wall_s %e\ntime_cpu_s_user %U\ntime_cpu_s_sys %S\ntime_maxrss_kib %M' \
    "$@" >"$raw/$name.$run" 2>"$raw/$name.$run.err" </dev/null || log "$name run $run failed (see $raw/$name.$run.err)"
  cat "$raw/$name.$run.time" >>"$raw/$name.$run"
}

player=$build/tolvane-player
startup=$build/bench/bench_window_startup

for run in $(seq "$runs"); do
  log "run $run of $runs: start-up"
  # Ours lists its current folder: an empty one, so no listing of the repository weighs on the figure.
  (cd "$out/start" && rec startup_ours "$run" "$startup" "Tolvane URL Media Player" --rss-after-ms 1000 -- "$player")
  rec startup_vlc "$run" "$startup" "VLC media player" --rss-after-ms 1000 -- \
    setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$shared/home" vlc -I qt --no-qt-privacy-ask
  rec startup_mpv "$run" "$startup" "mpv" --rss-after-ms 1000 -- \
    mpv --no-config --idle=yes --force-window=immediate --gpu-sw

  log "run $run: click to picture"
  rec click "$run" "$build/bench/bench_click_to_picture" "$shared/red.mp4" "$shared/green.mp4" 6

  log "run $run: playback"
  rec play_ours "$run" "$build/bench/bench_playback" "$shared/1080p.mp4"
  w=$(awk '$1=="video_w"{printf "%d", $2}' "$raw/play_ours.$run")
  h=$(awk '$1=="video_h"{printf "%d", $2}' "$raw/play_ours.$run")
  rec play_mpv "$run" mpv --no-config --vo=gpu --gpu-sw --ao=null --geometry="${w}x${h}" \
    --really-quiet "$shared/1080p.mp4"
  rec play_vlc "$run" setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$shared/home" cvlc --no-audio --play-and-exit --width="$w" --height="$h" "$shared/1080p.mp4"
  rec play_ffmpeg "$run" ffmpeg -nostdin -loglevel error -i "$shared/1080p.mp4" -f null -

  log "run $run: listing"
  rec listing "$run" "$build/bench/bench_listing" "$out/many" 3

  log "run $run: stepping"
  rec stepping "$run" "$build/bench/bench_stepping" "$out/clips" 1000
done

python3 "$root/bench/tabulate.py" "$raw" "$runs" | tee "$out/results.md"
