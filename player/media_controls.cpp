#include "player/media_controls.h"

#include "player/media_engine.h"

MediaControls::MediaControls(MediaEngine* engine, QObject* parent) : QObject(parent), engine_(engine) {}

bool MediaControls::isAvailable(const QString& name) const {
    const QString n = name.toLower();
    const int state = engine_->playState();
    const bool media = engine_->hasMedia();
    if (n == QLatin1String("play"))
        return !engine_->url().isEmpty() && state != MediaEngine::Playing;
    if (n == QLatin1String("pause"))
        return media && state != MediaEngine::Paused;
    if (n == QLatin1String("stop"))
        return media;
    if (n == QLatin1String("fastforward") || n == QLatin1String("fastreverse"))
        return media;
    if (n == QLatin1String("currentposition"))
        return media && engine_->duration() > 0;
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
double MediaControls::currentPosition() const {
    return engine_->position();
}
void MediaControls::setCurrentPosition(double seconds) {
    engine_->seek(seconds);
}
