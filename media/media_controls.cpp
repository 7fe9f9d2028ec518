#include "media/media_controls.h"

#include "engine/media_engine.h"
#include "media/playback.h"

MediaControls::MediaControls(MediaEngine* engine, const Playback* playback, QObject* parent)
    : QObject(parent), engine_(engine), playback_(playback) {}

// The play state's own answer, the one the bar, the keys and the menu show.
bool MediaControls::isAvailable(const QString& name) const {
    using Op = Playback::Operation;
    const QString n = name.toLower();
    const std::pair<const char*, Op> operations[] = {
        {"play", Op::Play},        {"pause", Op::Pause},       {"stop", Op::Stop},
        {"fastforward", Op::Scan}, {"fastreverse", Op::Scan},  {"currentposition", Op::Seek},
        {"next", Op::Next},        {"previous", Op::Previous},
    };
    for (const auto& [operation, op] : operations)
        if (n == QLatin1String(operation))
            return playback_->allows(op);
    return false;
}

void MediaControls::play() {
    engine_->play();
}
void MediaControls::pause() {
    engine_->pause();
}
void MediaControls::stop() {
    engine_->stop();
}
void MediaControls::fastForward() {
    engine_->fastForward();
}
void MediaControls::fastReverse() {
    engine_->fastReverse();
}
void MediaControls::next() {
    engine_->next();
}
void MediaControls::previous() {
    engine_->previous();
}
double MediaControls::currentPosition() const {
    return engine_->position();
}
void MediaControls::setCurrentPosition(double seconds) {
    engine_->seek(seconds);
}
