#include "media/media_actions.h"

#include "engine/media_engine.h"
#include "media/playback.h"
#include "toolkit/outside_text.h"

#include <QAction>
#include <QActionGroup>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>
#include <cmath>

namespace {

// "Play (Space)": the action's words and its first key (or `key`), as the keys are shown everywhere.
void nameKey(QAction* action, int key = 0) {
    QString text = action->text();
    text.remove(QLatin1Char('&'));
    const QString shown = key != 0 || action->shortcuts().isEmpty()
                              ? QKeySequence(key).toString(QKeySequence::NativeText)
                              : action->shortcuts().first().toString(QKeySequence::NativeText);
    action->setToolTip(shown.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, shown));
}

// "Track 2: title (language)": the file's words literally and cut short, after the track's number, so that
// no title can pass for one of the menu's own entries ("Off", "Show Subtitles").
QString trackName(const MediaTrack& track) {
    constexpr int kTitleChars = 60, kLanguageChars = 16;
    QString name = OutsideText::line(track.title, kTitleChars).trimmed();
    const QString language = OutsideText::line(track.language, kLanguageChars).trimmed();
    if (!language.isEmpty())
        name = name.isEmpty() ? language : QStringLiteral("%1 (%2)").arg(name, language);
    const QString number = QStringLiteral("Track %1").arg(track.id);
    return OutsideText::entry(name.isEmpty() ? number : QStringLiteral("%1: %2").arg(number, name));
}

} // namespace

MediaActions::MediaActions(MediaEngine* engine, const Playback* playback, QWidget* keyScope)
    : QObject(keyScope), playPause(make(QStringLiteral("Play"), keyScope)),
      stop(make(QStringLiteral("Stop"), keyScope)), previous(make(QStringLiteral("Previous"), keyScope)),
      next(make(QStringLiteral("Next"), keyScope)), nextFrame(make(QStringLiteral("Next Frame"), keyScope)),
      previousFrame(make(QStringLiteral("Previous Frame"), keyScope)),
      fastForward(make(QStringLiteral("Fast Forward"), keyScope)),
      fastReverse(make(QStringLiteral("Fast Reverse"), keyScope)),
      seekBack(make(QStringLiteral("Back 5 Seconds"), keyScope)),
      seekForward(make(QStringLiteral("Forward 5 Seconds"), keyScope)),
      mute(make(QStringLiteral("Mute"), keyScope)), volumeUp(make(QStringLiteral("Volume Up"), keyScope)),
      volumeDown(make(QStringLiteral("Volume Down"), keyScope)),
      fullScreen(make(QStringLiteral("Full Screen"), keyScope)),
      cycleAudio(make(QStringLiteral("Next Audio Track"), keyScope)),
      cycleSubtitle(make(QStringLiteral("Next Subtitle"), keyScope)),
      subtitlesShown(make(QStringLiteral("Show Subtitles"), keyScope)), speeds(new QActionGroup(this)),
      engine_(engine), playback_(playback) {
    playPause->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P)); // Space too, where no control wants it
    stop->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    previous->setShortcuts({QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::CTRL | Qt::Key_B)});
    next->setShortcuts({QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_F)});
    nextFrame->setShortcut(QKeySequence(Qt::Key_Period));
    previousFrame->setShortcut(QKeySequence(Qt::Key_Comma));
    fastReverse->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    fastForward->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    mute->setShortcut(QKeySequence(Qt::Key_F7));
    volumeDown->setShortcut(QKeySequence(Qt::Key_F8));
    volumeUp->setShortcut(QKeySequence(Qt::Key_F9));
    fullScreen->setShortcuts({QKeySequence(Qt::Key_F11), QKeySequence(Qt::ALT | Qt::Key_Return),
                              QKeySequence(Qt::ALT | Qt::Key_Enter)});
    // As the command-line player has them.
    cycleAudio->setShortcut(QKeySequence(Qt::Key_NumberSign));
    cycleSubtitle->setShortcut(QKeySequence(Qt::Key_J));
    subtitlesShown->setShortcut(QKeySequence(Qt::Key_V));
    for (QAction* action : {stop, previous, next, nextFrame, previousFrame, fastReverse, fastForward, mute,
                            volumeDown, volumeUp, fullScreen, cycleAudio, cycleSubtitle, subtitlesShown})
        nameKey(action);
    for (QAction* checkable : {mute, fullScreen, subtitlesShown})
        checkable->setCheckable(true);
    makeSpeeds();

    connect(playPause, &QAction::triggered, engine_, &MediaEngine::togglePlayPause);
    connect(stop, &QAction::triggered, engine_, &MediaEngine::stop);
    connect(previous, &QAction::triggered, engine_, &MediaEngine::previous);
    connect(next, &QAction::triggered, engine_, &MediaEngine::next);
    connect(nextFrame, &QAction::triggered, engine_, [this] { engine_->stepFrame(1); });
    connect(previousFrame, &QAction::triggered, engine_, [this] { engine_->stepFrame(-1); });
    connect(fastForward, &QAction::triggered, engine_, &MediaEngine::fastForward);
    connect(fastReverse, &QAction::triggered, engine_, &MediaEngine::fastReverse);
    connect(seekBack, &QAction::triggered, engine_, [this] { engine_->seekBy(-5); });
    connect(seekForward, &QAction::triggered, engine_, [this] { engine_->seekBy(5); });
    connect(mute, &QAction::triggered, engine_, [this](bool on) { engine_->setMute(on); });
    connect(volumeUp, &QAction::triggered, this, [this] { stepVolume(10); });
    connect(volumeDown, &QAction::triggered, this, [this] { stepVolume(-10); });
    connect(cycleAudio, &QAction::triggered, engine_, &MediaEngine::cycleAudio);
    connect(cycleSubtitle, &QAction::triggered, engine_, &MediaEngine::cycleSubtitle);
    connect(subtitlesShown, &QAction::triggered, engine_, &MediaEngine::setSubtitlesVisible);
    connect(engine_, &MediaEngine::muteChanged, mute, &QAction::setChecked);
    connect(engine_, &MediaEngine::rateChanged, this, &MediaActions::showRate);
    connect(engine_, &MediaEngine::playStateChanged, this, &MediaActions::refresh);
    connect(engine_, &MediaEngine::hasVideoChanged, this, &MediaActions::refresh);
    connect(engine_, &MediaEngine::durationChanged, this, &MediaActions::refresh); // seeking needs it
    for (auto changed : {&MediaEngine::controlsChanged, &MediaEngine::tracksChanged})
        connect(engine_, changed, this, &MediaActions::refresh);
    refresh();
}

QAction* MediaActions::make(const QString& text, QWidget* keyScope) {
    auto* action = new QAction(text, this);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setAutoRepeat(false);
    keyScope->addAction(action);
    return action;
}

void MediaActions::makeSpeeds() {
    const char* names[] = {"Slow", "Normal", "Fast"};
    for (int i = 0; i < 3; ++i) {
        auto* action = new QAction(QString::fromLatin1(names[i]), speeds);
        action->setCheckable(true);
        action->setData(kSpeeds[i]);
        connect(action, &QAction::triggered, engine_, [this, i] { engine_->setSpeed(kSpeeds[i]); });
    }
    showRate(engine_->rate());
}

// A speed asked from outside (the rate setting, the desktop) that is none of the three checks none.
void MediaActions::showRate(double rate) {
    for (QAction* action : speeds->actions())
        action->setChecked(std::abs(action->data().toDouble() - rate) < 1e-6);
}

void MediaActions::setEnabled(bool on) {
    enabled_ = on;
    refresh();
}

bool MediaActions::showsPause() const {
    return playback_->showsPause();
}

void MediaActions::refresh() {
    using Op = Playback::Operation;
    playPause->setText(showsPause() ? QStringLiteral("Pause") : QStringLiteral("Play"));
    for (const auto& [key, action] : unclaimedKeys())
        nameKey(action, key);
    const std::pair<QAction*, Op> allowed[] = {
        {playPause, Op::PlayPause},
        {stop, Op::Stop},
        {previous, Op::Previous},
        {next, Op::Next},
        {fastForward, Op::Scan},
        {fastReverse, Op::Scan},
        {seekBack, Op::Seek},
        {seekForward, Op::Seek},
        {cycleAudio, Op::ChooseTrack},
        {cycleSubtitle, Op::ChooseTrack},
        {subtitlesShown, Op::ChooseTrack},
    };
    for (const auto& [action, operation] : allowed)
        action->setEnabled(enabled_ && playback_->allows(operation));
    for (QAction* step : {nextFrame, previousFrame})
        step->setEnabled(enabled_ && playback_->allows(Op::StepFrame));
    for (QAction* always : {mute, volumeUp, volumeDown, fullScreen})
        always->setEnabled(enabled_);
    speeds->setEnabled(enabled_);
    mute->setChecked(engine_->mute());
    subtitlesShown->setChecked(engine_->subtitlesVisible());
}

void MediaActions::stepVolume(int delta) {
    engine_->setVolume(engine_->volume() + delta);
}

void MediaActions::seekTo(double seconds) {
    engine_->seek(seconds);
}

void MediaActions::askPreview(double seconds, int width) {
    engine_->askPreview(seconds, width);
}

void MediaActions::releasePreview() {
    engine_->releasePreview();
}

void MediaActions::scrubTo(double seconds) {
    engine_->scrub(seconds);
}

void MediaActions::setVolume(int volume) {
    engine_->setVolume(volume);
}

// Not shortcuts: a list, a slider or a button with the focus wants these keys first.
std::array<std::pair<int, QAction*>, 3> MediaActions::unclaimedKeys() const {
    return {{{Qt::Key_Space, playPause}, {Qt::Key_Left, seekBack}, {Qt::Key_Right, seekForward}}};
}

bool MediaActions::takeUnclaimedKey(const QKeyEvent* event) const {
    if (!enabled_ || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    for (const auto& [key, action] : unclaimedKeys())
        if (event->key() == key) {
            action->trigger(); // a disabled action does nothing, and the key is still spent
            return true;
        }
    return false;
}

QString MediaActions::volumeToolTip() const {
    const auto key = [](QAction* a) { return a->shortcut().toString(QKeySequence::NativeText); };
    return QStringLiteral("Volume (%1, %2)").arg(key(volumeDown), key(volumeUp));
}

void MediaActions::fillMenu(QMenu* menu) const {
    menu->addAction(playPause);
    menu->addAction(stop);
    menu->addAction(previous);
    menu->addAction(next);
    menu->addAction(previousFrame);
    menu->addAction(nextFrame);
    menu->addSeparator();
    fillTracks(menu->addMenu(QStringLiteral("Audio")), false);
    fillTracks(menu->addMenu(QStringLiteral("Subtitles")), true);
    QMenu* speed = menu->addMenu(QStringLiteral("Play Speed"));
    speed->addActions(speeds->actions());
    menu->addSeparator();
    menu->addAction(fullScreen);
    menu->addSeparator();
    menu->addAction(mute);
    menu->addAction(volumeUp);
    menu->addAction(volumeDown);
}

// One checkable entry per track of the kind, the one playing checked; subtitles also have "Off".
void MediaActions::fillTracks(QMenu* menu, bool subtitle) const {
    auto* group = new QActionGroup(menu);
    const auto add = [&](const QString& name, int64_t id, bool selected) {
        QAction* action = group->addAction(name);
        action->setCheckable(true);
        action->setChecked(selected);
        menu->addAction(action);
        connect(action, &QAction::triggered, engine_, [engine = engine_, id, subtitle] {
            subtitle ? engine->selectSubtitle(id) : engine->selectAudio(id);
        });
    };
    bool chosen = false;
    for (const MediaTrack& track : engine_->tracks()) {
        if (track.subtitle != subtitle)
            continue;
        add(trackName(track), track.id, track.selected);
        chosen = chosen || track.selected;
    }
    if (subtitle && !group->actions().isEmpty()) {
        add(QStringLiteral("Off"), 0, !chosen);
        menu->addSeparator();
        menu->addAction(subtitlesShown);
        menu->addAction(cycleSubtitle);
    } else if (!subtitle) {
        menu->addSeparator();
        menu->addAction(cycleAudio);
    }
    const bool offered = !group->actions().isEmpty();
    // The menu owns the group (its parent): nothing leaks.
    // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks)
    menu->setEnabled(enabled_ && offered);
}
