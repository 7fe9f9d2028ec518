#include "media/x_shm_presenter.h"

#include "engine/mpv_render_context.h"

#include <QLoggingCategory>
#include <chrono>
#include <cstdlib>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

Q_DECLARE_LOGGING_CATEGORY(lcVideo)

namespace {
// A server that takes longer than this over one copy is busy (or stopped): the frame is skipped, not waited
// for, so the render thread stays free for the UI thread's calls.
constexpr int kPutWaitMs = 100;

template <typename Reply> struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
    Reply* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};
} // namespace

XShmPresenter::XShmPresenter(const QByteArray& display) {
    connection_ = xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    if (xcb_connection_has_error(connection_))
        return;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection_, &xcb_shm_id);
    if (!shm || !shm->present)
        return;
    // Memory handed over as a descriptor (version 1.2): nothing of it is left behind if the program dies.
    Freed<xcb_shm_query_version_reply_t> version{
        xcb_shm_query_version_reply(connection_, xcb_shm_query_version(connection_), nullptr)};
    if (!version || (version->major_version == 1 && version->minor_version < 2))
        return;
    shmOpcode_ = shm->major_opcode;
    completionEvent_ = shm->first_event + XCB_SHM_COMPLETION;
    // A server on another machine cannot map our memory: known at once, before this path is chosen.
    if (!resize(QSize(16, 16)))
        shmOpcode_ = 0;
}

XShmPresenter::~XShmPresenter() {
    if (putOutstanding_)
        awaitPut(kPutWaitMs);
    freeSegment();
    if (gc_)
        xcb_free_gc(connection_, gc_);
    xcb_disconnect(connection_);
}

bool XShmPresenter::setWindow(quintptr handle) {
    if (putOutstanding_)
        awaitPut(kPutWaitMs);
    window_ = 0;
    const auto window = uint32_t(handle);
    if (!usable() || !window)
        return window == 0;
    Freed<xcb_get_geometry_reply_t> geometry{
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr)};
    if (!geometry || geometry->depth != 24)
        return false;
    if (gc_)
        xcb_free_gc(connection_, gc_);
    gc_ = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc_, window, 0, nullptr);
    window_ = window;
    return true;
}

uint8_t* XShmPresenter::buffer(QSize size, qsizetype* stride) {
    if (!window_ || size.isEmpty())
        return nullptr;
    if (putOutstanding_ && !awaitPut(kPutWaitMs))
        return nullptr;
    if (size != size_ && !resize(size))
        return nullptr;
    *stride = stride_;
    return memory_;
}

void XShmPresenter::put() {
    if (!window_ || !memory_)
        return;
    xcb_shm_put_image(connection_, window_, gc_, uint16_t(stride_ / 4), uint16_t(size_.height()), 0, 0,
                      uint16_t(size_.width()), uint16_t(size_.height()), 0, 0, 24, XCB_IMAGE_FORMAT_Z_PIXMAP,
                      1, segment_, 0);
    xcb_flush(connection_);
    putOutstanding_ = true;
}

// The server says when it has copied the picture; an error (the window gone meanwhile) ends the wait too.
bool XShmPresenter::awaitPut(int waitMs) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(waitMs);
    while (putOutstanding_) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == completionEvent_ || type == 0)
                putOutstanding_ = false;
            std::free(event);
        }
        if (!putOutstanding_ || xcb_connection_has_error(connection_))
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&fd, 1, int(left));
    }
    putOutstanding_ = false;
    return true;
}

bool XShmPresenter::resize(QSize size) {
    const qsizetype stride = RenderContext::softwareStride(size.width());
    const size_t needed = size_t(stride) * size_t(size.height());
    if (stride / 4 > 0xffff || size.height() > 0xffff)
        return false;
    if (needed > capacity_) {
        freeSegment();
        const int fd = memfd_create("video-frame", MFD_CLOEXEC);
        if (fd < 0)
            return false;
        void* memory = ftruncate(fd, off_t(needed)) == 0
                           ? mmap(nullptr, needed, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                           : MAP_FAILED;
        if (memory == MAP_FAILED) {
            ::close(fd);
            return false;
        }
        segment_ = xcb_generate_id(connection_);
        // The connection takes the descriptor and closes it once sent.
        if (xcb_generic_error_t* error =
                xcb_request_check(connection_, xcb_shm_attach_fd_checked(connection_, segment_, fd, 0))) {
            std::free(error);
            munmap(memory, needed);
            segment_ = 0;
            qCWarning(lcVideo, "the X server cannot map the video's shared memory");
            return false;
        }
        memory_ = static_cast<uint8_t*>(memory);
        capacity_ = needed;
    }
    size_ = size;
    stride_ = stride;
    return true;
}

void XShmPresenter::freeSegment() {
    if (!memory_)
        return;
    xcb_shm_detach(connection_, segment_);
    xcb_flush(connection_);
    munmap(memory_, capacity_);
    memory_ = nullptr;
    capacity_ = 0;
    size_ = QSize();
}
