#include "engine/mpv_render_context.h"

#include "engine/mpv_library.h"

#include <algorithm>
#include <mpv/render_gl.h>
#include <utility>

RenderContext::RenderContext(const MpvLibrary& lib, mpv_handle* core, mpv_render_context* context,
                             FrameCallback frameCallback)
    : lib_(lib), core_(core), context_(context), frameCallback_(std::move(frameCallback)) {
    lib_.render_context_set_update_callback(context_, &RenderContext::onUpdate, this);
}

// Waits until the core has let go of its video output; the OpenGL context must be current.
RenderContext::~RenderContext() {
    lib_.render_context_set_update_callback(context_, nullptr, nullptr);
    lib_.render_context_free(context_);
}

// Called on a libmpv thread.
void RenderContext::onUpdate(void* self) {
    auto* context = static_cast<RenderContext*>(self);
    if (context->frameCallback_ && !context->callbackPending_.exchange(true))
        context->frameCallback_();
}

bool RenderContext::frameWaiting() {
    callbackPending_ = false; // before the update call, so a wake-up during it is not lost
    return (lib_.render_context_update(context_) & MPV_RENDER_UPDATE_FRAME) != 0;
}

int64_t RenderContext::microsecondsToFrame() const {
    mpv_render_frame_info next{};
    mpv_render_param query{MPV_RENDER_PARAM_NEXT_FRAME_INFO, &next};
    if (lib_.render_context_get_info(context_, query) < 0 || next.target_time <= 0)
        return 0;
    return std::max<int64_t>(0, next.target_time - lib_.get_time_us(core_));
}

void RenderContext::render(int framebuffer, const QSize& pixels, bool skip) {
    mpv_opengl_fbo fbo{framebuffer, pixels.width(), pixels.height(), 0};
    int flipY = 1; // OpenGL counts rows bottom-up
    int skipRendering = skip ? 1 : 0;
    int blockForTargetTime = 0; // the drawer already waited for it
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skipRendering},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    lib_.render_context_render(context_, params);
}

void RenderContext::renderInto(void* pixels, const QSize& size, qsizetype stride, bool skip) {
    int wh[] = {size.width(), size.height()};
    size_t bytesPerRow = size_t(stride);
    char format[] = "bgr0";
    int skipRendering = skip ? 1 : 0;
    int blockForTargetTime = 0; // the drawer already waited for it
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_SW_SIZE, wh},
        {MPV_RENDER_PARAM_SW_FORMAT, format},
        {MPV_RENDER_PARAM_SW_STRIDE, &bytesPerRow},
        {MPV_RENDER_PARAM_SW_POINTER, pixels},
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skipRendering},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    lib_.render_context_render(context_, params);
}

void RenderContext::reportSwap() {
    lib_.render_context_report_swap(context_);
}
