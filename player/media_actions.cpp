#include "player/media_actions.h"

#include "player/media_engine.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

MediaActions::MediaActions(MediaEngine* engine, QWidget* keyScope)
    : QObject(keyScope), playPause(make(QStringLiteral("Play"), keyScope)),
      stop(make(QStringLiteral("Stop"), keyScope)),
      fastForward(make(QStringLiteral("Fast Forward"), keyScope)),
      fastReverse(make(QStringLiteral("Fast Reverse"), keyScope)),
      mute(make(QStringLiteral("Mute"), keyScope)), volumeUp(make(QStringLiteral("Volume Up"), keyScope)),
      volumeDown(make(QStringLiteral("Volume Down"), keyScope)),
      fullScreen(make(QStringLiteral("Full Screen"), keyScope)), engine_(engine) {
    playPause->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P)); // Space too, where no control wants it
    stop->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    fastReverse->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    fastForward->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    mute->setShortcut(QKeySequence(Qt::Key_F7));
    volumeDown->setShortcut(QKeySequence(Qt::Key_F8));
    volumeUp->setShortcut(QKeySequence(Qt::Key_F9));
    fullScreen->setShortcuts({QKeySequence(Qt::Key_F11), QKeySequence(Qt::ALT | Qt::Key_Return),
                              QKeySequence(Qt::ALT | Qt::Key_Enter)});
    mute->setCheckable(true);
    fullScreen->setCheckable(true);

    connect(playPause, &QAction::triggered, engine_, &MediaEngine::togglePlayPause);
    connect(stop, &QAction::triggered, engine_, &MediaEngine::stop);
    connect(fastForward, &QAction::triggered, engine_, &MediaEngine::fastForward);
    connect(fastReverse, &QAction::triggered, engine_, &MediaEngine::fastReverse);
    connect(mute, &QAction::triggered, engine_, [this](bool on) { engine_->setMute(on); });
    connect(volumeUp, &QAction::triggered, this, [this] { stepVolume(10); });
    connect(volumeDown, &QAction::triggered, this, [this] { stepVolume(-10); });
    connect(engine_, &MediaEngine::muteChanged, mute, &QAction::setChecked);
    connect(engine_, &MediaEngine::playStateChanged, this, &MediaActions::refresh);
    refresh();
}

QAction* MediaActions::make(const QString& text, QWidget* keyScope) {
    auto* action = new QAction(text, this);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setAutoRepeat(false);
    keyScope->addAction(action);
    return action;
}

void MediaActions::setEnabled(bool on) {
    enabled_ = on;
    refresh();
}

void MediaActions::refresh() {
    const PlayState::Controls c = engine_->controls();
    showsPause_ = c.showsPause;
    playPause->setText(showsPause_ ? QStringLiteral("Pause") : QStringLiteral("Play"));
    playPause->setToolTip(showsPause_ ? QStringLiteral("Pause (Space)") : QStringLiteral("Play (Space)"));
    playPause->setEnabled(enabled_ && c.playPause);
    stop->setEnabled(enabled_ && c.stop);
    fastForward->setEnabled(enabled_ && c.scan);
    fastReverse->setEnabled(enabled_ && c.scan);
    for (QAction* always : {mute, volumeUp, volumeDown, fullScreen})
        always->setEnabled(enabled_);
    mute->setChecked(engine_->mute());
}

void MediaActions::stepVolume(int delta) {
    engine_->setVolume(engine_->volume() + delta);
}

void MediaActions::fillMenu(QMenu* menu) const {
    menu->addAction(playPause);
    menu->addAction(stop);
    menu->addSeparator();
    menu->addAction(fullScreen);
    menu->addSeparator();
    menu->addAction(mute);
    menu->addAction(volumeUp);
    menu->addAction(volumeDown);
}
