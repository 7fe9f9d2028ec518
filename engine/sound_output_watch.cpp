#include "engine/sound_output_watch.h"

#include "engine/mpv_client.h"

namespace {
const QString kSilent = QStringLiteral("null");
} // namespace

SoundOutputWatch::SoundOutputWatch(MpvClient& client) : client_(client) {
    connect(&client_, &MpvClient::soundOutputChanged, this, &SoundOutputWatch::changed);
}

void SoundOutputWatch::changed(const QString& name) {
    current_ = name;
    hadReal_ = hadReal_ || (!name.isEmpty() && name != kSilent);
}

void SoundOutputWatch::beforeLoad() {
    if (hadReal_ && current_ == kSilent)
        client_.command({"ao-reload"});
}
