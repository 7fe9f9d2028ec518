#include "media/video_renderer.h"

#include "engine/media_engine.h"
#include "engine/mpv_held_core.h"

#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QThread>
#include <QWindow>

Q_LOGGING_CATEGORY(lcVideo, "tolvane.video", QtWarningMsg)

namespace {
void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}
} // namespace

VideoRenderer::VideoRenderer(MediaEngine* engine, QWindow* window) : engine_(engine), window_(window) {
    drawTimer_.setSingleShot(true);
    drawTimer_.setTimerType(Qt::PreciseTimer);
    connect(&drawTimer_, &QTimer::timeout, this, &VideoRenderer::drawFrame);
    // Emitted on a libmpv thread; runs here, on the render thread.
    connect(this, &VideoRenderer::frameMayWait, this, &VideoRenderer::frameReady, Qt::QueuedConnection);
}

VideoRenderer::~VideoRenderer() = default;

void VideoRenderer::setTarget(QSize pixels, bool exposed, bool hasSurface) {
    pixels_ = pixels;
    exposed_ = exposed && hasSurface && !pixels.isEmpty();
    hasSurface_ = hasSurface;
    // The first time the window shows, the render context follows; after that, the same frame is drawn
    // again at the new size, or paused video would stay stretched or black.
    if (exposed_ && ensureRenderContext())
        drawFrame();
}

void VideoRenderer::setBlank(bool blank) {
    blank_ = blank;
    if (exposed_ && frames_)
        drawFrame();
}

void VideoRenderer::useSpareSurface(QOffscreenSurface* spare) {
    spare_ = spare;
    hasSurface_ = false;
    exposed_ = false;
    if (gl_)
        gl_->doneCurrent();
}

// Without OpenGL the engine is told, so that a load does not wait for a render context that never comes.
bool VideoRenderer::ensureRenderContext() {
    if (frames_)
        return true;
    if (failed_ || retiring_)
        return false;
    if (!gl_) {
        gl_ = std::make_unique<QOpenGLContext>();
        gl_->setFormat(window_->requestedFormat());
        if (!gl_->create()) {
            qCWarning(lcVideo, "no OpenGL context for the video");
            failed_ = true;
            gl_.reset();
            engine_->reportNoRenderTarget();
            return false;
        }
    }
    if (!makeCurrent())
        return false;
    frames_ = engine_->createRenderContext(&procAddress, [this] { emit frameMayWait(); });
    if (!frames_) {
        failed_ = true;
        engine_->reportNoRenderTarget();
        return false;
    }
    emit renderContextChanged(true);
    warmUp(); // while the engine, told already, opens the file
    return true;
}

// A driver builds its shader compiler on the first draw that runs a shader, and a software one takes longer
// over that than over everything else in opening a file. One draw of a trivial shader pays for it here,
// beside the core's opening of the file, instead of on the way to the first frame.
void VideoRenderer::warmUp() {
    QOpenGLShaderProgram program;
    program.addShaderFromSourceCode(
        QOpenGLShader::Vertex,
        "attribute vec2 corner; void main() { gl_Position = vec4(corner, 0.0, 1.0); }");
    program.addShaderFromSourceCode(QOpenGLShader::Fragment, "void main() { gl_FragColor = vec4(0.0); }");
    program.bindAttributeLocation("corner", 0);
    if (!program.link())
        return;
    QOpenGLFramebufferObject target(16, 16);
    target.bind();
    program.bind();
    static const GLfloat triangle[] = {-1, -1, 3, -1, -1, 3};
    program.enableAttributeArray(0);
    program.setAttributeArray(0, GL_FLOAT, triangle, 2);
    QOpenGLFunctions* gl = gl_->functions();
    gl->glViewport(0, 0, 16, 16);
    gl->glDrawArrays(GL_TRIANGLES, 0, 3);
    gl->glFinish();
    program.disableAttributeArray(0);
    program.release();
    target.release();
}

bool VideoRenderer::makeCurrent() {
    if (hasSurface_)
        return gl_->makeCurrent(window_);
    return spare_ && gl_->makeCurrent(spare_);
}

void VideoRenderer::frameReady() {
    if (!frames_ || !frames_->frameWaiting())
        return;
    // The core hands a frame over a little ahead of its display time; a timer waits for that moment, so
    // that resizes and read-backs are not held up behind the wait inside the render call.
    const int64_t waitUs = frames_->microsecondsToFrame();
    if (waitUs > 1000)
        drawTimer_.start(int(waitUs / 1000));
    else
        drawFrame();
}

void VideoRenderer::drawFrame() {
    drawTimer_.stop();
    if (!frames_ || !makeCurrent())
        return;
    if (exposed_) {
        paint(int(gl_->defaultFramebufferObject()), pixels_);
        gl_->swapBuffers(window_);
        frames_->reportSwap();
    } else {
        // Not on screen: let the core take the frame without drawing it, and tell it the frame is out, or it
        // waits for each one in turn and then drops it, and the picture lags when the window is back.
        frames_->render(int(gl_->defaultFramebufferObject()), QSize(1, 1), true);
        frames_->reportSwap();
    }
}

void VideoRenderer::paint(int framebuffer, QSize pixels) {
    if (frames_ && !blank_) {
        frames_->render(framebuffer, pixels, false);
        return;
    }
    QOpenGLFunctions* gl = gl_->functions();
    gl->glBindFramebuffer(GL_FRAMEBUFFER, GLuint(framebuffer));
    gl->glViewport(0, 0, pixels.width(), pixels.height());
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
}

QImage VideoRenderer::grab() {
    if (!frames_ || pixels_.isEmpty() || !makeCurrent())
        return {};
    QOpenGLFramebufferObject target(pixels_);
    paint(int(target.handle()), target.size());
    return target.toImage();
}

void VideoRenderer::retry() {
    if (!failed_)
        return;
    failed_ = false;
    if (exposed_)
        ensureRenderContext();
}

void VideoRenderer::retire(QOffscreenSurface* spare, const std::shared_ptr<HeldCore>& core) {
    drawTimer_.stop();
    useSpareSurface(spare);
    emit windowReleased();
    core->awaitAnswer();
    if (frames_) {
        if (!gl_ || !makeCurrent())
            qCWarning(lcVideo, "freeing a held core's render context without a surface to draw on");
        core->freeRenderContext(frames_); // waits until the core has let go of its video output
        frames_ = nullptr;
    }
    if (gl_)
        gl_->doneCurrent();
    gl_.reset();
    core->end();
    thread()->quit();
}

void VideoRenderer::release() {
    drawTimer_.stop();
    if (frames_) {
        if (!makeCurrent())
            qCWarning(lcVideo, "freeing the video's render context without a surface to draw on");
        engine_->freeRenderContext(frames_); // waits until the core has let go of its video output
        frames_ = nullptr;
        emit renderContextChanged(false);
    }
    if (gl_)
        gl_->doneCurrent();
    gl_.reset();
}
