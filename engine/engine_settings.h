#pragma once
// The component's settings that the engine acts on, kept before the core exists, and the one table that
// turns them into the core's options: the same rows give a new core its options and a live one its writes,
// so the two can never say different things. Each setter keeps its value within what the core takes and
// tells whether it changed; a live core is written only then.

#include "engine/mpv_client.h"

class EngineSettings {
  public:
    explicit EngineSettings(MpvClient& client) : client_(client) {}

    // Every setting as the core's options, for a core about to be made.
    MpvClient::Options options() const;

    int volume() const { return volume_; }
    bool setVolume(int volume);
    bool mute() const { return mute_; }
    bool setMute(bool mute);
    // The speed now; every new file starts at rate(), the setting. writeSpeed false: the core plays at
    // another speed for the moment (a fast forward scan), and is written when that ends.
    double speed() const { return speed_; }
    bool setSpeed(double speed, bool writeSpeed);
    double rate() const { return rate_; }
    bool setRate(double rate, bool writeSpeed);
    int balance() const { return balance_; }
    void setBalance(int balance);
    int playCount() const { return playCount_; }
    void setPlayCount(int count);
    bool stretchToFit() const { return stretchToFit_; }
    void setStretchToFit(bool on);
    // Full screen scales the picture to the screen whatever stretchToFit says.
    void setFillScreen(bool on);

    // What the core reports of its own (the volume a mixer set, say): kept, not written back.
    bool heardVolume(int volume);
    bool heardMute(bool mute);

  private:
    struct Row;
    static const Row kRows[];
    void write(const char* option) const;

    MpvClient& client_;
    int volume_ = 50;
    bool mute_ = false;
    double speed_ = 1.0;
    double rate_ = 1.0;
    int balance_ = 0;
    int playCount_ = 1;
    bool stretchToFit_ = false;
    bool fillScreen_ = false;
};
