#!/usr/bin/env python3
"""Turns the raw figures of bench/run.sh into one markdown table. Each cell is the median over the runs
with the spread (lowest to highest) in brackets; ratios are taken run by run, ours against the references
of the same run, and then their median (or, where the target holds in every run, every run's ratio).
Usage: tabulate.py RAW_DIR RUNS"""
import sys

from figures import Figures, cell, every, ratio, verdict

F = Figures(sys.argv[1], int(sys.argv[2]))
get, series = F.get, F.series
rows = []


def row(what, ours, refs, ratio_text, target, met):
    rows.append(f"| {what} | {ours} | {refs} | {ratio_text} | {target} | {met} |")


def memory(name, prefix):
    """RSS, PSS and USS in MiB."""
    return ", ".join(f"{kind.upper()} {F.cell(get(name, f'{prefix}_{kind}_kib', 1 / 1024))}"
                     for kind in ("rss", "pss", "uss"))


def memory_ratios(ours, refs):
    """Ours against the leaner reference, for each of RSS, PSS and USS; the RSS ratios for the verdict.
    ours and each of refs: (name, prefix)."""
    key = lambda where, kind: get(where[0], f"{where[1]}_{kind}_kib")
    parts, rss = [], []
    for kind in ("rss", "pss", "uss"):
        values = series(ratio(key(ours, kind), [key(r, kind) for r in refs]))
        parts.append(f"{kind.upper()} {cell(values, 'x', 2)}")
        rss = rss or values
    return "; ".join(parts) + " of the leaner", rss


def startup_rows():
    ms = lambda name: get(name, "startup_ms")
    floor = series(ratio(ms("startup_ours"), ms("startup_bare")))
    row("1a. Start-up to window mapped (ms)", F.cell(ms("startup_ours")),
        f"bare Qt window, same menus {F.cell(ms('startup_bare'))}", cell(floor, "x", 2) + " of the bare window",
        "≤ 2.0x", verdict(floor, 2.0))
    players = series(ratio(ms("startup_ours"), [ms("startup_vlc"), ms("startup_mpv")]))
    row("1b. Start-up against the players (ms)", F.cell(ms("startup_ours")),
        f"vlc -I qt {F.cell(ms('startup_vlc'))}; mpv {F.cell(ms('startup_mpv'))}",
        cell(players, "x", 2) + " of the faster", "≤ 0.8x", verdict(players, 0.8))


def picture_rows():
    click = series(ratio(get("click", "ours_ms"), get("click", "engine_ms")))
    worst = F.cell(get("click", "worst_pair_ratio"), "x", 2)
    row("2a. URL to first frame drawn, 640x360 H.264 (ms)", F.cell(get("click", "ours_ms")),
        f"bare libmpv + QOpenGLWidget {F.cell(get('click', 'engine_ms'))}",
        f"every run: {every(click)}; worst single pair {worst}", "≤ 1.10x in every run",
        verdict(click, 1.10, all_runs=True))
    first = series(ratio(get("first_ours", "first_ms"), get("first_bare", "first_ms")))
    row("2b. First file after start-up, URL to first frame (ms)", F.cell(get("first_ours", "first_ms")),
        f"bare libmpv client's first file {F.cell(get('first_bare', 'first_ms'))}; ours with no pointer over "
        f"the file list first {F.cell(get('first_cold', 'first_ms'))}", f"every run: {every(first)}",
        "≤ 1.10x in every run", verdict(first, 1.10, all_runs=True))
    nogl = get("first_nogl", "first_ms")
    row("2c. First file with no OpenGL at all (QT_XCB_GL_INTEGRATION=none), URL to first frame (ms)",
        F.cell(nogl), f"ours with OpenGL to hand {F.cell(get('first_ours', 'first_ms'))}",
        cell(series(ratio(nogl, get("first_ours", "first_ms"))), "x", 2), "it plays",
        "yes" if series(nogl) and min(series(nogl)) > 0 else "no")
    seek = series(ratio(get("seek", "ours_ms"), get("seek", "engine_ms")))
    row("3. Seek to picture, Right arrow (+5 s) on 1080p (ms)", F.cell(get("seek", "ours_ms")),
        f"bare libmpv + QOpenGLWidget, same seek {F.cell(get('seek', 'engine_ms'))}", cell(seek, "x", 2),
        "≤ 1.10x", verdict(seek, 1.10))
    rest = series(get("preview", "preview_ms"))
    row("3b. Seek-bar preview, pointer resting to picture painted, 1080p, keyframe every 2 s (ms)", cell(rest),
        f"worst {F.cell(get('preview', 'worst_preview_ms'))}; the first (core made) "
        f"{F.cell(get('preview', 'first_preview_ms'))}", "", "median ≤ 150 ms", verdict(rest, 150.0))
    sweep = series(get("preview", "sweep_p99_ms"))
    row("3c. Sweeping the seek bar for 5 s: event-loop p99 (ms), CPU s per s", cell(sweep),
        f"CPU {F.cell(get('preview', 'sweep_cpu_per_s'), '', 2)} s per s", "", "p99 ≤ 16 ms", verdict(sweep, 16.0))
    grown = series(get("preview", "peak_growth_kib", 1 / 1024))
    row("3d. Previews: RSS growth in use, and 5 s after the pointer left (MiB)", cell(grown, "", 1),
        f"after {F.cell(get('preview', 'after_growth_kib', 1 / 1024), '', 1)}", "", "≤ 40 MiB in use",
        verdict(grown, 40.0))


def path_of(name):
    """Which way ours drew the video, as every run reported it."""
    paths = {"software" if v else "OpenGL" for v in series(get(name, "software_path"))}
    return "/".join(sorted(paths)) or "?"


def per_media(name, ours):
    return lambda run: F.values[(name, run)]["cpu_s"] / F.values[(ours, run)]["media_s"]


def playback_rows():
    per = {p: per_media("play_" + p, "play_ours") for p in ("mpv", "mpv_auto", "mpv_x11", "vlc", "ffmpeg")}
    per["ours"] = get("play_ours", "cpu_per_media_s")
    above = lambda p: F.cell(lambda r: 100 * (per[p](r) - per["ffmpeg"](r)) / per[p](r), "%", 0)
    cheaper = series(ratio(per["ours"], [per["mpv"], per["vlc"]]))
    share = series(lambda r: (per["ours"](r) - per["ffmpeg"](r)) / (min(per["mpv"](r), per["vlc"](r)) - per["ffmpeg"](r)))
    w, h = series(get("play_ours", "video_w")), series(get("play_ours", "video_h"))
    area = f"{int(w[0])}x{int(h[0])}" if w and h else "?"
    row(f"4a. CPU s per media s, 10 s 1080p30 H.264 drawn at {area}, {path_of('play_ours')}",
        f"{F.cell(per['ours'], '', 2)}; {above('ours')} above floor",
        f"mpv --vo=gpu --gpu-sw {F.cell(per['mpv'], '', 2)}, {above('mpv')} above floor; "
        f"cvlc {F.cell(per['vlc'], '', 2)}, {above('vlc')} above floor; "
        f"floor ffmpeg -f null {F.cell(per['ffmpeg'], '', 2)}; "
        f"bare libmpv + QOpenGLWidget {F.cell(get('play_ours', 'engine_cpu_per_media_s'), '', 2)}",
        f"{cell(cheaper, 'x', 2)} of the cheaper; above floor {cell(share, 'x', 2)}", "≤ 0.90x",
        verdict(cheaper, 0.90))
    own_choice("4a′", "play", area, per["ours"], per["mpv_auto"], per["mpv_x11"], "1080p30")
    ours, mpv = get("uhd_ours", "cpu_per_media_s"), per_media("uhd_mpv", "uhd_ours")
    uhd = series(ratio(ours, mpv))
    row(f"4b. CPU s per media s, 10 s 2160p30 H.264 drawn at {area}, {path_of('uhd_ours')}", F.cell(ours, "", 2),
        f"mpv --vo=gpu --gpu-sw {F.cell(mpv, '', 2)}; "
        f"bare libmpv + QOpenGLWidget {F.cell(get('uhd_ours', 'engine_cpu_per_media_s'), '', 2)}",
        cell(uhd, "x", 2), "≤ 1.0x", verdict(uhd, 1.0))
    own_choice("4b′", "uhd", area, ours, per_media("uhd_mpv_auto", "uhd_ours"), per_media("uhd_mpv_x11", "uhd_ours"),
               "2160p30")
    ours, auto = get("fs_ours", "cpu_per_media_s"), per_media("fs_mpv_auto", "fs_ours")
    full = series(ratio(ours, auto))
    row(f"4d. CPU s per media s, 1080p30 in full screen (1600x1200), {path_of('fs_ours')}", F.cell(ours, "", 2),
        f"mpv --fs left to choose its output {F.cell(auto, '', 2)}", cell(full, "x", 2), "≤ 1.0x", verdict(full, 1.0))
    drops = lambda n: lambda r: F.values[(n, r)]["frame_drop_count"] + F.values[(n, r)]["decoder_frame_drop_count"]
    more = series(lambda r: drops("uhd_ours")(r) - drops("uhd_mpv")(r), signed=True)
    row("4c. Frames dropped, the same 2160p file (output + decoder)", F.cell(drops("uhd_ours"), "", 0),
        f"mpv {F.cell(drops('uhd_mpv'), '', 0)}", f"ours minus mpv, every run: {every(more, '', 0)}",
        "≤ mpv's", verdict(more, 0))


def own_choice(label, prefix, area, ours, auto, x11, what):
    """Ours against mpv's own choice of output and against its plain X11 output, each ≤ 1.0x."""
    a, x = series(ratio(ours, auto)), series(ratio(ours, x11))
    row(f"{label}. CPU s per media s, {what} drawn at {area}, {path_of(prefix + '_ours')}", F.cell(ours, "", 2),
        f"mpv left to choose {F.cell(auto, '', 2)}; mpv --vo=x11 {F.cell(x11, '', 2)}",
        f"{cell(a, 'x', 2)} of mpv's choice; {cell(x, 'x', 2)} of --vo=x11", "≤ 1.0x each",
        " / ".join((verdict(a, 1.0), verdict(x, 1.0))))


def listing_rows():
    # Wall time until the rows are shown: the folder is read on a worker, so the UI thread's processor time
    # (given too) no longer says how long the user waits.
    sizes = (10000, 100000, 1000000)
    for letter, n in zip("abc", sizes):
        name = f"listing_{n}"
        per = lambda key, scale: lambda r: F.values[(name, r)][key] * scale / F.values[(name, r)]["listed"]
        ours = (f"{F.cell(get(name, 'ours_wall_ms'))} (UI thread CPU {F.cell(get(name, 'ours_cpu_ms'))}, "
                f"event-loop p99 {F.cell(get(name, 'listing_p99_ms'), ' ms')}); "
                f"{F.cell(per('ours_wall_ms', 1000), ' µs', 2)} and USS {F.cell(get(name, 'uss_bytes_per_entry'), ' B', 0)} "
                f"(RSS {F.cell(get(name, 'rss_bytes_per_entry'), ' B', 0)}) per entry")
        bare = series(ratio(get(name, "ours_wall_ms"), get(name, "readdir_wall_ms")))
        limit = 1.5 if n == sizes[-1] else 3.0
        text, target, met = cell(bare, "x", 2) + " of readdir", f"≤ {limit}x readdir", verdict(bare, limit)
        if n == sizes[-1]:
            base = f"listing_{sizes[-2]}"
            time = series(ratio(get(name, "ours_wall_ms"), get(base, "ours_wall_ms")))
            held = series(ratio(get(name, "uss_bytes_per_entry", n), get(base, "uss_bytes_per_entry", sizes[-2])))
            text += f"; time {cell(time, 'x', 1)}, memory (USS) {cell(held, 'x', 1)} the 100 000"
            target += "; ≤ 11x the 100 000"
            met = " / ".join((met, verdict(time, 11.0), verdict(held, 11.0)))
        row(f"5{letter}. File1.Path on {n:,} files (wall ms)".replace(",", " "), ours,
            f"readdir loop {F.cell(get(name, 'readdir_wall_ms'))}", text, target, met)


def stepping_row():
    growth = series(get("stepping", "rss_growth_kib", 1 / 1024))
    row("6. 1 000 URL assignments by arrow key: RSS growth (MiB)", cell(growth, "", 2),
        f"time per step {F.cell(get('stepping', 'ms_per_step'), ' ms', 2)}", "", "≤ 5 MiB", verdict(growth, 5.0))


def memory_rows():
    text, rss = memory_ratios(("startup_ours", "idle"), [("startup_vlc", "idle"), ("startup_mpv", "idle")])
    row("7a. Memory one second after the window is mapped, idle (MiB)", memory("startup_ours", "idle"),
        f"vlc -I qt {memory('startup_vlc', 'idle')}; mpv idle {memory('startup_mpv', 'idle')}; "
        f"bare Qt window {memory('startup_bare', 'idle')}", text, "RSS ≤ 1.0x", verdict(rss, 1.0))
    text, rss = memory_ratios(("play_ours", "play_peak"), [("play_vlc", "peak"), ("play_mpv", "peak")])
    row("7b. Peak memory playing 1080p (MiB)", memory("play_ours", "play_peak"),
        f"cvlc {memory('play_vlc', 'peak')}; mpv {memory('play_mpv', 'peak')}", text, "RSS ≤ 1.0x",
        verdict(rss, 1.0))


def latency_rows():
    for letter, name, what in (("a", "play_ours", "1080p"), ("b", "uhd_ours", "the 2160p file"),
                               ("c", "ass_ours", "a clip with a heavy ASS subtitle")):
        ours, engine = get(name, "play_p99_ms"), get(name, "engine_p99_ms")
        values = series(ours)
        row(f"8{letter}. Event-loop delay playing {what}, p99 (ms)", cell(values),
            f"bare libmpv + QOpenGLWidget playing the same {F.cell(engine)}; "
            f"our window idle {F.cell(get(name, 'idle_p99_ms'))}",
            cell(series(ratio(ours, engine)), "x", 2), "≤ 16 ms", verdict(values, 16.0))


for part in (startup_rows, picture_rows, playback_rows, listing_rows, stepping_row, memory_rows, latency_rows):
    part()
print(f"Median of {F.runs} runs, spread (lowest–highest) in brackets; ratios taken run by run.\n")
print("| Row | Ours | References (same run) | Ratio | Target | Met |")
print("|---|---|---|---|---|---|")
print("\n".join(rows))
