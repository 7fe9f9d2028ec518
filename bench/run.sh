#!/usr/bin/env bash
# Runs every benchmark BENCH_RUNS times (default 5) on one private Xvfb server and prints one markdown
# table, also written to build/bench/results.md, then what each stage cost. Each row compares our program
# with references measured in the same run, on the same server, so a busy machine shifts both sides alike.
# Nothing here fails on time. Usage: bench/run.sh [BUILD_DIR]   (default build-release)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
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

# timed STAGE COMMAND...: runs the command and adds its wall time to the stage's cost.
declare -A cost
order=()
timed() {
  local stage=$1 t0
  shift
  [[ -v "cost[$stage]" ]] || { cost[$stage]=0; order+=("$stage"); }
  t0=$(date +%s.%N)
  "$@"
  cost[$stage]=$(awk -v a="${cost[$stage]}" -v t0="$t0" -v t1="$(date +%s.%N)" 'BEGIN { print a + t1 - t0 }')
}

log "making media in $out and $shared (once; kept for later runs)"
timed media bash "$here/make_media.sh" "$out" "$shared"

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

# rec NAME COMMAND...: the command's "key value" lines into raw/NAME.RUN, its messages into raw/NAME.RUN.err.
rec() {
  local name=$1
  shift
  "$@" >"$raw/$name.$run" 2>"$raw/$name.$run.err" </dev/null || log "$name run $run failed (see $raw/$name.$run.err)"
}
figure() { awk -v k="$2" '$1==k{printf "%d", $2}' "$raw/$1.$run"; }

b=$build/bench
meter=$b/bench_process_meter
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$shared/home")
mpv_play=(mpv --no-config --vo=gpu --gpu-sw --ao=null --really-quiet)
# mpv left to choose its own output (it refuses software OpenGL and takes SDL, Xv or X11), and its cheapest
# software output.
mpv_auto=(mpv --no-config --ao=null --really-quiet)
mpv_x11=(mpv --no-config --vo=x11 --ao=null --really-quiet)

startup() {
  # Ours lists its current folder: an empty one, so no listing of the repository weighs on the figure.
  (cd "$out/start" && rec startup_ours "$b/bench_window_startup" "Tolvane URL Media Player" --rss-after-ms 1000 -- "$build/tolvane-player")
  rec startup_bare "$b/bench_window_startup" "Bare Qt window" --rss-after-ms 1000 -- "$b/bench_bare_window"
  rec startup_vlc "$b/bench_window_startup" "VLC media player" --rss-after-ms 1000 -- \
    "${as_nobody[@]}" vlc -I qt --no-qt-privacy-ask
  rec startup_mpv "$b/bench_window_startup" "mpv" --rss-after-ms 1000 -- \
    mpv --no-config --idle=yes --force-window=immediate --gpu-sw
}

pictures() {
  rec first_ours "$b/bench_first_file" ours "$shared/red.mp4" 1000
  rec first_cold "$b/bench_first_file" ours-cold "$shared/red.mp4" 1000
  rec first_nogl env QT_XCB_GL_INTEGRATION=none "$b/bench_first_file" ours "$shared/red.mp4" 1000
  rec first_bare "$b/bench_first_file" bare "$shared/red.mp4" 1000 "$(figure first_ours video_w)" "$(figure first_ours video_h)"
  rec click "$b/bench_click_to_picture" "$shared/red.mp4" "$shared/green.mp4" 6
  rec seek "$b/bench_seek" "$shared/1080p30.mp4" 3
  rec preview "$b/bench_preview" "$shared/1080p30.mp4" 10
}

playback_1080p() {
  local f=$shared/1080p30.mp4 size
  rec play_ours "$b/bench_playback" "$f" --cpu --probe --reference
  size=$(figure play_ours video_w)x$(figure play_ours video_h)
  rec play_mpv "$meter" -- "${mpv_play[@]}" --geometry="$size" "$f"
  rec play_mpv_auto "$meter" -- "${mpv_auto[@]}" --geometry="$size" "$f"
  rec play_mpv_x11 "$meter" -- "${mpv_x11[@]}" --geometry="$size" "$f"
  rec play_vlc "$meter" -- "${as_nobody[@]}" cvlc --no-audio --play-and-exit --width="${size%x*}" --height="${size#*x}" "$f"
  rec play_ffmpeg "$meter" -- ffmpeg -nostdin -loglevel error -i "$f" -f null -
}

playback_2160p() {
  local f=$shared/2160p30.mp4 size
  rec uhd_ours "$b/bench_playback" "$f" --cpu --probe --reference
  size=$(figure uhd_ours video_w)x$(figure uhd_ours video_h)
  rec uhd_mpv "$meter" -- "${mpv_play[@]}" --geometry="$size" --script="$here/report_drops.lua" "$f"
  rec uhd_mpv_auto "$meter" -- "${mpv_auto[@]}" --geometry="$size" "$f"
  rec uhd_mpv_x11 "$meter" -- "${mpv_x11[@]}" --geometry="$size" "$f"
}

playback_full_screen() {
  local f=$shared/1080p30.mp4
  rec fs_ours "$b/bench_playback" "$f" --cpu --full-screen
  rec fs_mpv_auto "$meter" -- "${mpv_auto[@]}" --fs "$f"
}

listing() {
  local n
  for n in 10000 100000 1000000; do
    rec "listing_$n" "$b/bench_listing" "$out/many-$n" $((n < 1000000 ? 3 : 2))
  done
}

for run in $(seq "$runs"); do
  log "run $run of $runs"
  timed "start-up" startup
  timed "click, first file, seek, previews" pictures
  timed "playback 1080p" playback_1080p
  timed "playback 2160p" playback_2160p
  timed "playback full screen" playback_full_screen
  timed "heavy subtitle" rec ass_ours "$b/bench_playback" "$out/heavy-ass.mkv" --probe --reference
  timed "listing" listing
  timed "stepping" rec stepping "$b/bench_stepping" "$out/clips" 1000
done

{
  python3 -B "$here/tabulate.py" "$raw" "$runs"
  printf '\nWhat each stage cost (wall seconds over %s runs):' "$runs"
  for stage in "${order[@]}"; do printf ' %s %.0f;' "$stage" "${cost[$stage]}"; done
  echo
} | tee "$out/results.md"
