#include "media/playback.h"

#include "engine/media_engine.h"

const double Playback::kLongestLength = MediaEngine::kLongestLength;

Playback::Playback(const MediaEngine* engine, QObject* parent) : QObject(parent), engine_(engine) {
    connect(engine_, &MediaEngine::playStateChanged, this, &Playback::playStateChanged);
    connect(engine_, &MediaEngine::positionChanged, this, &Playback::positionChanged);
    connect(engine_, &MediaEngine::durationChanged, this, &Playback::durationChanged);
    connect(engine_, &MediaEngine::volumeChanged, this, &Playback::volumeChanged);
    connect(engine_, &MediaEngine::hasVideoChanged, this, &Playback::hasVideoChanged);
    connect(engine_, &MediaEngine::chaptersChanged, this, &Playback::chaptersChanged);
    // Painted as it is, without a copy: the image holds the picture's pixels while it lives.
    connect(engine_, &MediaEngine::previewReady, this, [this](double at, const PreviewPicture& picture) {
        emit previewReady(at, QImage(
                                  static_cast<const uchar*>(picture.pixels.get()), picture.width,
                                  picture.height, picture.stride, QImage::Format_RGB32,
                                  [](void* held) { delete static_cast<std::shared_ptr<void>*>(held); },
                                  new std::shared_ptr<void>(picture.pixels)));
    });
}

bool Playback::allows(Operation operation) const {
    const PlayState::Controls c = engine_->controls();
    switch (operation) {
    case Operation::Play:
        return c.playPause && !c.showsPause;
    case Operation::Pause:
        return c.showsPause;
    case Operation::PlayPause:
        return c.playPause;
    case Operation::Stop:
        return c.stop;
    case Operation::Scan:
        return c.scan;
    case Operation::Seek:
        return c.seek;
    case Operation::Previous:
        return c.previous;
    case Operation::Next:
        return c.next;
    case Operation::ChooseTrack:
        return c.stop; // a file is loaded
    case Operation::StepFrame:
        return c.seek && engine_->hasVideo();
    }
    return false;
}

bool Playback::showsPause() const {
    return engine_->controls().showsPause;
}
bool Playback::hasMedia() const {
    return engine_->hasMedia();
}
bool Playback::hasVideo() const {
    return engine_->hasVideo();
}
bool Playback::blank() const {
    return engine_->state().isFailed() || !engine_->state().wasOpened();
}
double Playback::position() const {
    return engine_->position();
}
double Playback::duration() const {
    return engine_->duration();
}
bool Playback::previewable() const {
    return engine_->previewable();
}
const QList<MediaChapter>& Playback::chapters() const {
    return engine_->chapters();
}
int Playback::volume() const {
    return engine_->volume();
}

QString Playback::statusText() const {
    QString text = stateText();
    if (const QString notice = engine_->notice(); !notice.isEmpty())
        text += QStringLiteral(" (%1)").arg(notice);
    return text;
}

QString Playback::stateText() const {
    switch (engine_->playState()) {
    case MediaEngine::Stopped:
        return QStringLiteral("Stopped");
    case MediaEngine::Paused:
        return QStringLiteral("Paused");
    case MediaEngine::Playing:
        return engine_->clockStalled()
                   ? QStringLiteral("Stalled: the sound output or the file's place does not answer")
                   : QStringLiteral("Playing");
    case MediaEngine::ScanForward:
        return QStringLiteral("Fast forward");
    case MediaEngine::ScanReverse:
        return QStringLiteral("Fast reverse");
    case MediaEngine::Buffering:
        return QStringLiteral("Buffering");
    case MediaEngine::MediaEnded:
        return QStringLiteral("Media ended");
    case MediaEngine::Transitioning:
        return engine_->waitingFor().isEmpty()
                   ? QStringLiteral("Opening")
                   : QStringLiteral("Waiting for %1 \u2026").arg(engine_->waitingFor());
    case MediaEngine::Ready:
        return engine_->failureReason().isEmpty() ? QStringLiteral("Ready") : engine_->failureReason();
    default:
        return {};
    }
}
