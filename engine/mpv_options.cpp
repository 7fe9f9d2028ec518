#include "engine/mpv_options.h"
#include "opening/picture_header.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>

namespace {

// Sound devices in order of preference, always ending in the silent one so playback runs without any.
// ALSA is tried only where the kernel has a sound card: without one, alsa-lib prints to the terminal.
// The sound server only where it is known to run: looking for one, libpulse creates its runtime folder
// and a link to it in the home folder.
QByteArray audioOutputs() {
    QFile cards(QStringLiteral("/proc/asound/cards"));
    bool haveCard = false;
    if (cards.open(QIODevice::ReadOnly))
        haveCard = !cards.readAll().contains("no soundcards");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool haveServer =
        qEnvironmentVariableIsSet("PULSE_SERVER") ||
        (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/pulse/native")));
    QByteArray outputs = haveServer ? "pulse," : "";
    if (haveCard)
        outputs += "alsa,";
    return outputs + "null";
}

// One decoding thread per processor. The core's own choice is one more than that: on a machine with few
// processors the extra thread only competes with drawing for the same ones, and each thread keeps frames
// and tables of its own (on two processors the extra one held 7 MiB more while playing 1080p, 27 MiB
// while playing 2160p).
QByteArray decoderThreads() {
    return QByteArray::number(std::clamp(QThread::idealThreadCount(), 1, 16));
}

} // namespace

MpvClient::Options fixedOptions() {
    return {
        {"vo", "libmpv"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        // Nothing is fetched from the network, not even for the remote entries of a playlist file: every
        // protocol but local ones is refused before a socket is opened.
        {"stream-lavf-o", "protocol_whitelist=file"},
        // What a click may open is decided before the core sees a path (open_policy). These shut the core's
        // own doors to anything else: its edit lists, CUE sheets, playlists and archives, ordered-chapter and
        // linked siblings, and protocols a demuxer opens by itself (an SDP file's UDP ports).
        {"access-references", "no"},
        {"ordered-chapters", "no"},
        {"load-unsafe-playlists", "no"},
        {"demuxer-lavf-o", "protocol_whitelist=file"},
        // The same-named subtitle comes with the plan, checked and within a size limit.
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        // Cover art too: the core's own search opens any file of a usual name, a pipe or a huge picture.
        {"cover-art-auto", "no"},
        {"osc", "no"},
        // The built-in statistics page and console each start a Lua interpreter on its own thread; the
        // component has no key that could open them, so they only cost memory and start-up time.
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        // Its script would be looked for relative to the current folder, on the UI thread, where the core
        // starts: a folder on a share that stopped answering would hold the window.
        {"load-auto-profiles", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"terminal", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"osd-level", "0"},
        {"ao", audioOutputs()},
        {"audio-client-name", "Tolvane URL Media Player"},
        // A chosen speed keeps the pitch; Previous goes back to the start of a chapter more than 3 s in.
        {"audio-pitch-correction", "yes"},
        {"chapter-seek-threshold", "3"},
        // The sound server's name for the stream (mixers show it): the file's title, never "... - mpv".
        {"title", "${?media-title:${media-title}}${!media-title:Tolvane URL Media Player}"},
        // Decoding stays in software, as the command-line player's default; probing GPU decoders would
        // only print their absence on the terminal.
        {"gpu-hwdec-interop", "no"},
        {"vd-lavc-threads", decoderThreads()},
        // A frame of more pixels than a picked picture may have is refused by the decoder before it
        // allocates: a stream of huge frames costs nothing, in any container.
        {"vd-lavc-o", "max_pixels=" + QByteArray::number(kMaxPicturePixels)},
    };
}
