#include "media/media_controls.h"

#include "engine/media_engine.h"

MediaControls::MediaControls(MediaEngine* engine, QObject* parent) : QObject(parent), engine_(engine) {}

// The play state's own answer, the one the bar, the keys and the menu show.
bool MediaControls::isAvailable(const QString& name) const {
    const PlayState::Controls c = engine_->controls();
    const QString n = name.toLower();
    const std::pair<const char*, bool> available[] = {
        {"play", c.playPause && !c.showsPause},
        {"pause", c.showsPause},
        {"stop", c.stop},
        {"fastforward", c.scan},
        {"fastreverse", c.scan},
        {"currentposition", c.seek},
        {"next", c.next},
        {"previous", c.previous},
    };
    for (const auto& [operation, on] : available)
        if (n == QLatin1String(operation))
            return on;
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
