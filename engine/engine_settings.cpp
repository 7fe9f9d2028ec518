#include "engine/engine_settings.h"

#include <QString>
#include <algorithm>
#include <cstring>

namespace {
// The core plays forwards only; past these it refuses the speed.
double sensibleSpeed(double speed) {
    return std::clamp(speed, 0.01, 100.0);
}
} // namespace

// One row per option; QByteArray::number() writes numbers the C way, whatever the locale.
struct EngineSettings::Row {
    const char* option;
    QByteArray (*value)(const EngineSettings&);
};

const EngineSettings::Row EngineSettings::kRows[] = {
    // stretchToFit false: the picture keeps its own size unless it is too big for the area.
    {"video-unscaled",
     [](const EngineSettings& s) {
         return QByteArray(s.stretchToFit_ || s.fillScreen_ ? "no" : "downscale-big");
     }},
    {"mute", [](const EngineSettings& s) { return QByteArray(s.mute_ ? "yes" : "no"); }},
    {"speed", [](const EngineSettings& s) { return QByteArray::number(s.speed_); }},
    {"loop-file",
     [](const EngineSettings& s) {
         return s.playCount_ == 1 ? QByteArray("no") : QByteArray::number(s.playCount_ - 1);
     }},
    {"volume", [](const EngineSettings& s) { return QByteArray::number(s.volume_); }},
    // Balance is a stereo filter only while it is off centre, so the usual case filters nothing.
    {"af",
     [](const EngineSettings& s) {
         return s.balance_ == 0 ? QByteArray()
                                : "@balance:lavfi=[stereotools=balance_out=" +
                                      QByteArray::number(s.balance_ / 100.0, 'f', 2) + ']';
     }},
};

MpvClient::Options EngineSettings::options() const {
    MpvClient::Options options;
    for (const Row& row : kRows)
        options.emplace_back(row.option, row.value(*this));
    return options;
}

void EngineSettings::write(const char* option) const {
    for (const Row& row : kRows)
        if (std::strcmp(row.option, option) == 0)
            client_.setText(option, QString::fromUtf8(row.value(*this)));
}

bool EngineSettings::setVolume(int volume) {
    if (!heardVolume(std::clamp(volume, 0, 100)))
        return false;
    write("volume");
    return true;
}

bool EngineSettings::setMute(bool mute) {
    if (!heardMute(mute))
        return false;
    write("mute");
    return true;
}

bool EngineSettings::heardVolume(int volume) {
    return std::exchange(volume_, volume) != volume;
}

bool EngineSettings::heardMute(bool mute) {
    return std::exchange(mute_, mute) != mute;
}

bool EngineSettings::setSpeed(double speed, bool writeSpeed) {
    if (!(speed > 0))
        return false;
    speed = sensibleSpeed(speed);
    if (speed == speed_)
        return false;
    speed_ = speed;
    if (writeSpeed)
        write("speed");
    return true;
}

bool EngineSettings::setRate(double rate, bool writeSpeed) {
    if (!(rate > 0))
        return false; // the component's negative rates are not offered
    rate_ = sensibleSpeed(rate);
    return setSpeed(rate_, writeSpeed);
}

void EngineSettings::setBalance(int balance) {
    balance_ = std::clamp(balance, -100, 100);
    write("af");
}

void EngineSettings::setPlayCount(int count) {
    playCount_ = std::max(1, count);
    write("loop-file");
}

void EngineSettings::setStretchToFit(bool on) {
    stretchToFit_ = on;
    write("video-unscaled");
}

void EngineSettings::setFillScreen(bool on) {
    fillScreen_ = on;
    write("video-unscaled");
}
