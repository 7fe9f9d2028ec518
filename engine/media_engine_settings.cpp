// The component's settings that the engine acts on: kept here before the core exists, given to it as
// options when it is made, and written to it afterwards.
#include "engine/media_engine.h"

#include <algorithm>

MpvClient::Options MediaEngine::settingOptions() const {
    // QByteArray::number() writes numbers the C way, whatever the locale.
    return {
        {"video-unscaled", stretchToFit_ || fillScreen_ ? "no" : "downscale-big"},
        {"mute", mute_ ? "yes" : "no"},
        {"speed", QByteArray::number(rate_)},
        {"loop-file", playCount_ == 1 ? QByteArray("no") : QByteArray::number(playCount_ - 1)},
        {"volume", QByteArray::number(volume_)},
        {"af", balanceFilter().toUtf8()},
    };
}

void MediaEngine::setVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    if (volume == volume_)
        return;
    volume_ = volume;
    client_.setDouble("volume", volume);
    emit volumeChanged(volume_);
}

void MediaEngine::setMute(bool mute) {
    if (mute == mute_)
        return;
    mute_ = mute;
    client_.setFlag("mute", mute);
    emit muteChanged(mute_);
}

void MediaEngine::setRate(double rate) {
    if (!(rate > 0))
        return; // the core plays forwards only; the component's negative rates are not offered
    settingRate_ = std::clamp(rate, 0.01, 100.0);
    setSpeed(settingRate_);
}

void MediaEngine::setSpeed(double rate) {
    if (!(rate > 0))
        return;
    rate = std::clamp(rate, 0.01, 100.0);
    if (rate == rate_)
        return;
    rate_ = rate;
    // A fast forward scan plays at five times the chosen speed and ends back at it (endScan).
    if (state_.scanning() != PlayState::Scan::Forward)
        client_.setDouble("speed", rate_);
    emit rateChanged(rate_);
}

void MediaEngine::setBalance(int balance) {
    balance_ = std::clamp(balance, -100, 100);
    client_.setText("af", balanceFilter());
}

// Balance is a stereo filter only while it is off centre, so the usual case filters nothing.
QString MediaEngine::balanceFilter() const {
    if (balance_ == 0)
        return QString();
    return QStringLiteral("@balance:lavfi=[stereotools=balance_out=%1]")
        .arg(QString::number(balance_ / 100.0, 'f', 2));
}

void MediaEngine::setPlayCount(int count) {
    playCount_ = std::max(1, count);
    client_.setText("loop-file", playCount_ == 1 ? QStringLiteral("no") : QString::number(playCount_ - 1));
}

void MediaEngine::setStretchToFit(bool on) {
    stretchToFit_ = on;
    applyScaling();
}

void MediaEngine::setFillScreen(bool on) {
    fillScreen_ = on;
    applyScaling();
}

// stretchToFit false: the picture keeps its own size unless it is too big for the area.
void MediaEngine::applyScaling() {
    const bool scale = stretchToFit_ || fillScreen_;
    client_.setText("video-unscaled", scale ? QStringLiteral("no") : QStringLiteral("downscale-big"));
}
