#include "media/gl_frame_drawer.h"

#include "engine/media_engine.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QSurfaceFormat>
#include <QWindow>

namespace {
void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}
} // namespace

GlFrameDrawer::GlFrameDrawer(QWindow* window) : window_(window) {}

GlFrameDrawer::~GlFrameDrawer() {
    if (gl_)
        gl_->doneCurrent();
}

bool GlFrameDrawer::create() {
    gl_ = std::make_unique<QOpenGLContext>();
    // Told of a reset (a GPU hang, a driver update, a device taken away), the toolkit fails makeCurrent
    // and marks the context invalid, instead of drawing on with a dead one.
    QSurfaceFormat format = window_->requestedFormat();
    format.setOption(QSurfaceFormat::ResetNotification);
    gl_->setFormat(format);
    if (!gl_->create() || !begin()) {
        gl_.reset();
        return false;
    }
    renderer_ = reinterpret_cast<const char*>(gl_->functions()->glGetString(GL_RENDERER));
    direct_ = askDirect();
    resetStatus_ = lookUpResetStatus();
    return true;
}

// The toolkit asks a context whether it was reset only when it knows the context to be robust, which it
// does not learn of every driver's (not through EGL here); asking on each frame costs one call, and a
// context that cannot be reset answers no. The name is looked up only where the driver has it.
GlFrameDrawer::ResetStatus GlFrameDrawer::lookUpResetStatus() const {
    const char* name = gl_->hasExtension("GL_ARB_robustness")   ? "glGetGraphicsResetStatusARB"
                       : gl_->hasExtension("GL_EXT_robustness") ? "glGetGraphicsResetStatusEXT"
                                                                : nullptr;
    return name ? reinterpret_cast<ResetStatus>(gl_->getProcAddress(name)) : nullptr;
}

// Only GLX has indirect contexts; EGL's are always direct. glXIsDirect is looked up, not linked: the
// toolkit loads the GL library itself, and this is its only GLX call here.
bool GlFrameDrawer::askDirect() const {
    const auto* glx = gl_->nativeInterface<QNativeInterface::QGLXContext>();
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!glx || !x11 || !x11->display())
        return true;
    using IsDirect = int (*)(Display*, GLXContext);
    const auto isDirect = reinterpret_cast<IsDirect>(gl_->getProcAddress("glXIsDirect"));
    return !isDirect || isDirect(x11->display(), glx->nativeContext()) != 0;
}

void GlFrameDrawer::useWindow(quintptr) {
    hasSurface_ = true;
}

void GlFrameDrawer::letGoOfWindow(QOffscreenSurface* spare) {
    spare_ = spare;
    hasSurface_ = false;
    if (gl_)
        gl_->doneCurrent();
}

bool GlFrameDrawer::begin() {
    if (!gl_ || lost_)
        return false;
    const bool current = hasSurface_ ? gl_->makeCurrent(window_) : spare_ && gl_->makeCurrent(spare_);
    lost_ = current && resetStatus_ && resetStatus_() != GL_NO_ERROR;
    return current && !lost_;
}

RenderContext* GlFrameDrawer::makeFrames(MediaEngine* engine, const std::function<void()>& frameCallback) {
    RenderContext* frames = engine->createRenderContext(&procAddress, frameCallback);
    if (frames)
        warmUp(); // while the engine, told already, opens the file
    return frames;
}

// A driver builds its shader compiler on the first draw that runs a shader, and a slow one takes longer over
// that than over everything else in opening a file. One draw of a trivial shader pays for it here, beside the
// core's opening of the file, instead of on the way to the first frame.
void GlFrameDrawer::warmUp() {
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

void GlFrameDrawer::present(RenderContext* frames, QSize pixels, bool blank) {
    paint(frames, int(gl_->defaultFramebufferObject()), pixels, blank);
    gl_->swapBuffers(window_);
    frames->reportSwap();
}

void GlFrameDrawer::skip(RenderContext* frames) {
    frames->render(int(gl_->defaultFramebufferObject()), QSize(1, 1), true);
    frames->reportSwap();
}

void GlFrameDrawer::paint(RenderContext* frames, int framebuffer, QSize pixels, bool blank) {
    if (!blank) {
        frames->render(framebuffer, pixels, false);
        return;
    }
    QOpenGLFunctions* gl = gl_->functions();
    gl->glBindFramebuffer(GL_FRAMEBUFFER, GLuint(framebuffer));
    gl->glViewport(0, 0, pixels.width(), pixels.height());
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
}

QImage GlFrameDrawer::grab(RenderContext* frames, QSize pixels, bool blank) {
    QOpenGLFramebufferObject target(pixels);
    paint(frames, int(target.handle()), target.size(), blank);
    return target.toImage();
}

void GlFrameDrawer::end() {
    if (gl_)
        gl_->doneCurrent();
}

bool GlFrameDrawer::lost() const {
    return lost_ || (gl_ && !gl_->isValid());
}
