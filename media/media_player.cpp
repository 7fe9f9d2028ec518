#include "media/media_player.h"

#include "engine/media_engine.h"
#include "media/full_screen_switch.h"
#include "media/media_actions.h"
#include "media/media_controls.h"
#include "media/playback.h"
#include "media/transport_bar.h"
#include "media/video_view.h"
#include "opening/media_url.h"
#include "toolkit/outside_text.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QVBoxLayout>

// The video and the control bar together; keys that no control inside used end up here.
class MediaFrame : public QWidget {
  public:
    MediaFrame(MediaPlayer* player) : QWidget(player), player_(player) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!player_->handleKey(event))
            QWidget::keyPressEvent(event);
    }

  private:
    MediaPlayer* player_;
};

namespace {

short buttonCode(Qt::MouseButtons buttons) {
    short code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

short shiftCode(Qt::KeyboardModifiers modifiers) {
    short code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

} // namespace

MediaPlayer::MediaPlayer(QWidget* parent) : QWidget(parent), engine_(std::make_unique<MediaEngine>()) {
    setAccessibleName(QStringLiteral("Media player"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(160, 90);
    playback_ = new Playback(engine_.get(), this);
    controls_ = new MediaControls(engine_.get(), playback_, this);

    content_ = new MediaFrame(this);
    auto* contentLayout = new QVBoxLayout(content_);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(0);
    actions_ = new MediaActions(engine_.get(), playback_, content_);
    video_ = new VideoView(engine_.get(), content_);
    bar_ = new TransportBar(playback_, actions_, content_);
    contentLayout->addWidget(video_, 1);
    contentLayout->addWidget(bar_);
    setFocusProxy(video_);

    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->addWidget(content_);

    connect(video_, &VideoView::pointerEvent, this, &MediaPlayer::onPointer);
    connect(video_, &VideoView::contextMenuRequested, this, &MediaPlayer::showContextMenu);
    fullScreen_ = new FullScreenSwitch({this, layout_, content_, bar_, video_}, this);
    connect(actions_->fullScreen, &QAction::triggered, fullScreen_, &FullScreenSwitch::set);
    connect(fullScreen_, &FullScreenSwitch::turned, actions_->fullScreen, &QAction::setChecked);
    connect(fullScreen_, &FullScreenSwitch::fillsScreen, engine_.get(), &MediaEngine::setFillScreen);
    connect(engine_.get(), &MediaEngine::playStateChanged, this, &MediaPlayer::onStateChanged);
    connect(engine_.get(), &MediaEngine::mediaFailed, this, &MediaPlayer::onFailed);
    MediaEngine* e = engine_.get();
    connect(e, &MediaEngine::positionChanged, this, &MediaPlayer::positionChanged);
    connect(e, &MediaEngine::durationChanged, this, &MediaPlayer::durationChanged);
    connect(e, &MediaEngine::volumeChanged, this, &MediaPlayer::volumeChanged);
    connect(e, &MediaEngine::rateChanged, this, &MediaPlayer::rateChanged);
    connect(e, &MediaEngine::hasVideoChanged, this, &MediaPlayer::hasVideoChanged);
    connect(e, &MediaEngine::mediaTitleChanged, this, &MediaPlayer::mediaTitleChanged);
    connect(e, &MediaEngine::waitingForChanged, this, &MediaPlayer::updateStatus);
    connect(e, &MediaEngine::clockStalledChanged, this, &MediaPlayer::updateStatus);
    connect(e, &MediaEngine::neighbourWanted, this, &MediaPlayer::neighbourWanted);
    updateStatus();

    // At program end the process may outlive its windows' destructors: end the core while Qt still runs.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MediaPlayer::shutdown);
}

MediaPlayer::~MediaPlayer() {
    shutdown();
    // The parts that know the engine go before it does, wherever the content is at the moment.
    delete content_;
    delete fullScreen_;
}

// The core goes with the view's renderer, which frees its render context (GL context current) before the
// core ends; a core held by a share that does not answer is left to end on that renderer's thread.
void MediaPlayer::shutdown() {
    if (!engine_ || !engine_->hasCore())
        return;
    if (menu_)
        menu_->close();
    engine_->shutdown();
    video_->releaseRenderContext();
}

// ---- the component's settings and operations -------------------------------------------------------------

QString MediaPlayer::URL() const {
    return engine_->url();
}

void MediaPlayer::prepare() {
    engine_->prepare();
}

void MediaPlayer::setURL(const QString& url) {
    video_->setCaption(fileNameOf(url));
    engine_->open(url);
    updateStatus();
}

void MediaPlayer::setNeighbours(bool before, bool after) {
    engine_->setNeighbours(before, after);
}

int MediaPlayer::playState() const {
    return engine_->playState();
}
double MediaPlayer::duration() const {
    return engine_->duration();
}
QString MediaPlayer::mediaTitle() const {
    return engine_->mediaTitle();
}
bool MediaPlayer::hasVideo() const {
    return engine_->hasVideo();
}
QString MediaPlayer::failureReason() const {
    return engine_->failureReason();
}
double MediaPlayer::currentPosition() const {
    return engine_->position();
}
void MediaPlayer::setCurrentPosition(double seconds) {
    engine_->seek(seconds);
}
double MediaPlayer::rate() const {
    return engine_->rate();
}
void MediaPlayer::setRate(double rate) {
    engine_->setRate(rate);
}
void MediaPlayer::setSpeed(double rate) {
    engine_->setSpeed(rate);
}
int MediaPlayer::balance() const {
    return engine_->balance();
}
void MediaPlayer::setBalance(int balance) {
    engine_->setBalance(balance);
}
int MediaPlayer::playCount() const {
    return engine_->playCount();
}
void MediaPlayer::setPlayCount(int count) {
    engine_->setPlayCount(count);
}
bool MediaPlayer::autoStart() const {
    return engine_->autoStart();
}
void MediaPlayer::setAutoStart(bool on) {
    engine_->setAutoStart(on);
}
int MediaPlayer::volume() const {
    return engine_->volume();
}
void MediaPlayer::setVolume(int volume) {
    engine_->setVolume(volume);
}
bool MediaPlayer::mute() const {
    return engine_->mute();
}
void MediaPlayer::setMute(bool on) {
    engine_->setMute(on);
}
bool MediaPlayer::stretchToFit() const {
    return engine_->stretchToFit();
}
void MediaPlayer::setStretchToFit(bool on) {
    engine_->setStretchToFit(on);
}

void MediaPlayer::setEnabled(bool on) {
    enabled_ = on;
    actions_->setEnabled(on);
    bar_->setEnabled(on);
}

// "full": video and the whole bar; "mini": a shorter bar; "none": video only; "invisible": nothing shown.
void MediaPlayer::setUiMode(const QString& mode) {
    uiMode_ = mode;
    applyUiMode();
}

void MediaPlayer::applyUiMode() {
    const QString mode = uiMode_.toLower();
    bar_->setCompact(mode == QLatin1String("mini"));
    bar_->setVisible(mode == QLatin1String("full") || mode == QLatin1String("mini"));
    video_->setVisible(mode != QLatin1String("invisible"));
}

// ---- state and status -------------------------------------------------------------------------------------

void MediaPlayer::onStateChanged(int state) {
    updateStatus();
    emit PlayStateChange(state);
}

void MediaPlayer::onFailed(const QString& reason) {
    updateStatus();
    const QPointer<MediaPlayer> alive(this);
    emit MediaError(reason);
    if (alive && enableErrorDialogs_) {
        QMessageBox* box =
            OutsideText::messageBox(QMessageBox::Warning, window()->windowTitle(), reason, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open(); // never blocks the caller
    }
}

void MediaPlayer::updateStatus() {
    statusText_ = playback_->statusText();
    bar_->setStatusText(statusText_);
}

// ---- pointer events: the video area only ------------------------------------------------------------------

// Order for a double click: down, up, click, down, double-click, up (Qt sends press, release, double-click,
// release; the double-click stands for the second press).
void MediaPlayer::onPointer(QMouseEvent* event) {
    const QPointer<MediaPlayer> alive(this); // a handler may delete the component
    const short shift = shiftCode(event->modifiers());
    const int x = qRound(event->position().x()), y = qRound(event->position().y());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        pressHeld_ = true;
        afterDoubleClick_ = false;
        emit MouseDown(buttonCode(event->button()), shift, x, y);
        break;
    case QEvent::MouseButtonDblClick:
        if (!pressHeld_) // some senders deliver the second press as well
            emit MouseDown(buttonCode(event->button()), shift, x, y);
        pressHeld_ = true;
        afterDoubleClick_ = true;
        if (alive)
            emit DoubleClick(buttonCode(event->button()), shift, x, y);
        break;
    case QEvent::MouseButtonRelease: {
        const bool clicked = !afterDoubleClick_ && video_->rect().contains(event->position().toPoint());
        pressHeld_ = false;
        afterDoubleClick_ = false;
        emit MouseUp(buttonCode(event->button()), shift, x, y);
        if (alive && clicked)
            emit Click(buttonCode(event->button()), shift, x, y);
        if (alive && event->button() == Qt::RightButton)
            showContextMenu(event->globalPosition().toPoint());
        break;
    }
    case QEvent::MouseMove:
        emit MouseMove(buttonCode(event->buttons()), shift, x, y);
        break;
    default:
        break;
    }
}

// ---- keys and context menu --------------------------------------------------------------------------------

// Esc leaves full screen whatever has the focus; the rest only when no control inside wanted the key.
bool MediaPlayer::handleKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && fullScreen()) {
        setFullScreen(false);
        return true;
    }
    return actions_->takeUnclaimedKey(event);
}

void MediaPlayer::showContextMenu(const QPoint& globalPosition) {
    if (!enableContextMenu_ || !enabled_)
        return;
    if (menu_)
        menu_->close();
    menu_ = new QMenu(video_);
    menu_->setAttribute(Qt::WA_DeleteOnClose);
    actions_->fillMenu(menu_);
    menu_->popup(globalPosition); // never a nested event loop
}

// ---- full screen ------------------------------------------------------------------------------------------

bool MediaPlayer::fullScreen() const {
    return fullScreen_->isOn();
}

void MediaPlayer::setFullScreen(bool on) {
    fullScreen_->set(on);
}

FullScreenWindow* MediaPlayer::fullScreenWindow() const {
    return fullScreen_->window();
}
