#include "bench/bare_mpv_view.h"

#include <QOpenGLContext>
#include <clocale>
#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace {
void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}
} // namespace

BareMpvView::BareMpvView(QWidget* parent) : QOpenGLWidget(parent) {
    std::setlocale(LC_NUMERIC, "C");
    mpv_ = mpv_create();
    // The same engine options as the component, so that only the layers above the engine differ.
    const char* options[][2] = {
        {"vo", "libmpv"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"osc", "no"},
        {"input-default-bindings", "no"},
        {"terminal", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"osd-level", "0"},
        {"ao", "pulse,null"},
        {"video-unscaled", "downscale-big"},
        {"volume", "50"},
        {"gpu-hwdec-interop", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
    };
    for (const auto& option : options)
        mpv_set_option_string(mpv_, option[0], option[1]);
    mpv_set_wakeup_callback(
        mpv_,
        [](void* self) {
            QMetaObject::invokeMethod(static_cast<BareMpvView*>(self), &BareMpvView::drainEvents,
                                      Qt::QueuedConnection);
        },
        this);
    mpv_initialize(mpv_);
}

BareMpvView::~BareMpvView() {
    if (render_) {
        makeCurrent();
        mpv_render_context_free(render_);
        doneCurrent();
    }
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
}

void BareMpvView::load(const QString& path) {
    ended_ = false;
    const QByteArray file = path.toUtf8();
    const char* command[] = {"loadfile", file.constData(), nullptr};
    mpv_command_async(mpv_, 0, command);
}

void BareMpvView::stop() {
    const char* command[] = {"stop", nullptr};
    mpv_command_async(mpv_, 0, command);
}

void BareMpvView::seekBy(double seconds) {
    double position = 0;
    mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &position);
    const QByteArray target = QByteArray::number(position + seconds, 'f', 3);
    const char* command[] = {"seek", target.constData(), "absolute+exact", nullptr};
    mpv_command_async(mpv_, 0, command);
}

void BareMpvView::drainEvents() {
    for (mpv_event* event = mpv_wait_event(mpv_, 0); event->event_id != MPV_EVENT_NONE;
         event = mpv_wait_event(mpv_, 0)) {
        if (event->event_id == MPV_EVENT_END_FILE &&
            static_cast<mpv_event_end_file*>(event->data)->reason == MPV_END_FILE_REASON_EOF)
            ended_ = true;
    }
}

void BareMpvView::initializeGL() {
    mpv_opengl_init_params glInit{&procAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&render_, mpv_, params) < 0) {
        render_ = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(
        render_,
        [](void* self) {
            QMetaObject::invokeMethod(static_cast<BareMpvView*>(self), &BareMpvView::frameReady,
                                      Qt::QueuedConnection);
        },
        this);
}

void BareMpvView::frameReady() {
    if (render_ && (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME))
        update();
}

void BareMpvView::paintGL() {
    if (!render_)
        return;
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), qRound(width() * ratio),
                       qRound(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(render_, params);
}
