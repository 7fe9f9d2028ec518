#!/usr/bin/env python3
"""Turns the raw figures of bench/run.sh (one "key value" file per program and run) into one markdown table.
Each cell is the median over the runs with the spread (lowest to highest) in brackets; ratios are taken run
by run, ours against the references of the same run, and then their median."""
import collections
import os
import statistics
import sys

raw, runs = sys.argv[1], int(sys.argv[2])
figures = collections.defaultdict(dict)  # (name, run) -> {key: value}
for entry in os.listdir(raw):
    name, _, run = entry.rpartition(".")
    if not run.isdigit():
        continue
    with open(os.path.join(raw, entry)) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 2:
                try:
                    figures[(name, int(run))][parts[0]] = float(parts[1])
                except ValueError:
                    pass


def series(fn):
    """fn(run) for every run where all its figures exist."""
    values = []
    for run in range(1, runs + 1):
        try:
            v = fn(run)
        except (KeyError, ZeroDivisionError):
            continue
        if v is not None and v >= 0:
            values.append(v)
    return values


def get(name, key):
    return lambda run: figures[(name, run)][key]


def cpu(name):
    return lambda run: figures[(name, run)]["time_cpu_s_user"] + figures[(name, run)]["time_cpu_s_sys"]


def media(run):
    return figures[("play_ours", run)]["media_s"]


def cell(values, unit="", digits=1):
    if not values:
        return "n/a"
    fmt = f"{{:.{digits}f}}"
    m = fmt.format(statistics.median(values))
    if len(values) == 1:
        return f"{m}{unit}"
    return f"{m}{unit} ({fmt.format(min(values))}–{fmt.format(max(values))})"


def verdict(values, limit):
    if not values:
        return "n/a"
    return "yes" if statistics.median(values) <= limit else "**no**"


rows = []


def row(what, ours, refs, ratio, target, met):
    rows.append(f"| {what} | {ours} | {refs} | {ratio} | {target} | {met} |")


# 1. Start-up: process start to the window mapped.
ours = series(get("startup_ours", "startup_ms"))
vlc = series(get("startup_vlc", "startup_ms"))
mpv = series(get("startup_mpv", "startup_ms"))
ratio = series(lambda r: get("startup_ours", "startup_ms")(r)
               / min(get("startup_vlc", "startup_ms")(r), get("startup_mpv", "startup_ms")(r)))
row("1. Start-up to window mapped (ms)", cell(ours), f"vlc -I qt {cell(vlc)}; mpv {cell(mpv)}",
    cell(ratio, "x", 2) + " of the faster", "≤ 1.0x", verdict(ratio, 1.0))

# 2. Click to picture.
ours = series(get("click", "ours_ms"))
eng = series(get("click", "engine_ms"))
ratio = series(lambda r: get("click", "ours_ms")(r) / get("click", "engine_ms")(r))
row("2. URL to first frame drawn, 640x360 H.264 (ms)", cell(ours), f"bare libmpv + QOpenGLWidget {cell(eng)}",
    cell(ratio, "x", 2), "≤ 1.10x", verdict(ratio, 1.10))

# 3. Playback processor time per media second. Ours: in the harness, from the URL to the end (its process
# later also plays the engine-alone reference); the players: whole processes, their start-up included.
per = {p: (lambda p: lambda r: cpu("play_" + p)(r) / media(r))(p) for p in ("mpv", "vlc", "ffmpeg")}
per["ours"] = get("play_ours", "cpu_per_media_s")
ours, mpv, vlc, floor = (series(per[p]) for p in ("ours", "mpv", "vlc", "ffmpeg"))
engine = series(get("play_ours", "engine_cpu_per_media_s"))
ratio = series(lambda r: per["ours"](r) / min(per["mpv"](r), per["vlc"](r)))
above = series(lambda r: (per["ours"](r) - per["ffmpeg"](r)) / (min(per["mpv"](r), per["vlc"](r)) - per["ffmpeg"](r)))
size = series(get("play_ours", "video_w")), series(get("play_ours", "video_h"))
area = f"{int(size[0][0])}x{int(size[1][0])}" if size[0] and size[1] else "?"
share = lambda p: cell(series(lambda r: 100 * (per[p](r) - per["ffmpeg"](r)) / per[p](r)), "%", 0)
row(f"3. CPU s per media s, 10 s 1080p30 H.264 drawn at {area}", f"{cell(ours, '', 2)}; {share('ours')} above floor",
    f"mpv --vo=gpu --gpu-sw {cell(mpv, '', 2)}, {share('mpv')} above floor; "
    f"cvlc {cell(vlc, '', 2)}, {share('vlc')} above floor; floor ffmpeg -f null {cell(floor, '', 2)}; "
    f"bare libmpv + QOpenGLWidget {cell(engine, '', 2)}",
    f"{cell(ratio, 'x', 2)} of the cheaper; above floor {cell(above, 'x', 2)}", "≤ 1.0x", verdict(ratio, 1.0))

# 4. Listing.
files = series(get("listing", "listed"))
ours = series(get("listing", "ours_cpu_ms"))
bare = series(get("listing", "readdir_cpu_ms"))
wall = series(get("listing", "ours_wall_ms"))
ratio = series(lambda r: get("listing", "ours_cpu_ms")(r) / get("listing", "readdir_cpu_ms")(r))
row(f"4. File1.Path on a folder of {int(files[0]) if files else '?'} files (CPU ms)",
    f"{cell(ours)} (wall {cell(wall)})", f"readdir loop {cell(bare)}", cell(ratio, "x", 2), "≤ 3x",
    verdict(ratio, 3.0))

# 5. Stepping.
step = series(get("stepping", "ms_per_step"))
growth = series(lambda r: get("stepping", "rss_growth_kib")(r) / 1024)
row("5. 1 000 URL assignments by arrow key: RSS growth (MiB)", cell(growth, "", 2),
    f"time per step {cell(step, ' ms', 2)}", "", "≤ 5 MiB", verdict(growth, 5.0))

# 6. Memory.
mib = lambda name, key: series(lambda r: get(name, key)(r) / 1024)
ours = mib("startup_ours", "rss_kib")
vlc, mpv = mib("startup_vlc", "rss_kib"), mib("startup_mpv", "rss_kib")
ratio = series(lambda r: get("startup_ours", "rss_kib")(r)
               / min(get("startup_vlc", "rss_kib")(r), get("startup_mpv", "rss_kib")(r)))
row("6a. Resident memory, window idle (MiB)", cell(ours), f"vlc -I qt {cell(vlc)}; mpv idle {cell(mpv)}",
    cell(ratio, "x", 2) + " of the leaner", "≤ 1.0x", verdict(ratio, 1.0))
# Ours: sampled every 100 ms while it plays, before the engine-alone reference starts in the same process.
ours = mib("play_ours", "play_rss_kib")
vlc, mpv = mib("play_vlc", "time_maxrss_kib"), mib("play_mpv", "time_maxrss_kib")
ratio = series(lambda r: get("play_ours", "play_rss_kib")(r)
               / min(get("play_vlc", "time_maxrss_kib")(r), get("play_mpv", "time_maxrss_kib")(r)))
row("6b. Peak resident memory playing 1080p (MiB)", cell(ours), f"cvlc {cell(vlc)}; mpv {cell(mpv)}",
    cell(ratio, "x", 2) + " of the leaner", "≤ 1.0x", verdict(ratio, 1.0))

# 7. UI latency.
play = series(get("play_ours", "play_p99_ms"))
idle = series(get("play_ours", "idle_p99_ms"))
engine = series(get("play_ours", "engine_p99_ms"))
ratio = series(lambda r: get("play_ours", "play_p99_ms")(r) / get("play_ours", "engine_p99_ms")(r))
row("7. Posted-event delay in the Qt loop during 1080p playback, p99 (ms)", cell(play, "", 1),
    f"bare libmpv + QOpenGLWidget playing the same {cell(engine, '', 1)}; our window idle {cell(idle, '', 1)}",
    cell(ratio, "x", 2), "≤ 16 ms", verdict(play, 16.0))

print(f"Median of {runs} runs, spread (lowest–highest) in brackets; ratios taken run by run.\n")
print("| Row | Ours | References (same run) | Ratio | Target | Met |")
print("|---|---|---|---|---|---|")
print("\n".join(rows))
