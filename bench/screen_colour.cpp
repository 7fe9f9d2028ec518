#include "bench/screen_colour.h"

#include "bench/bench_support.h"

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace bench {

namespace {

Colour classify(int red, int green, int blue) {
    if (red > 180 && green < 80 && blue < 80)
        return Colour::Red;
    if (green > 180 && red < 80 && blue < 80)
        return Colour::Green;
    return Colour::Other;
}

// One pixel of the root window (a 24- or 32-bit TrueColor screen: blue, green, red in the low bytes).
Colour pixelAt(xcb_connection_t* x, xcb_window_t root, QPoint at) {
    const auto cookie =
        xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(at.x()), int16_t(at.y()), 1, 1, ~0U);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(x, cookie, nullptr), &std::free);
    if (!reply || xcb_get_image_data_length(reply.get()) < 3)
        return Colour::Other;
    const uint8_t* p = xcb_get_image_data(reply.get());
    return classify(p[2], p[1], p[0]);
}

} // namespace

double timeToColour(QWidget* view, Colour wanted, const std::function<void()>& start) {
    const QPoint centre = view->mapToGlobal(view->rect().center()) * view->devicePixelRatioF();
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        return -1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    std::atomic<double> shownAt{-1};
    std::atomic<bool> stop{false};
    std::thread poller([&] {
        while (!stop && shownAt < 0) {
            if (pixelAt(x, root, centre) == wanted)
                shownAt = nowMs();
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const double startedAt = nowMs();
    start();
    waitUntil([&] { return shownAt >= 0; }, 10000);
    stop = true;
    poller.join();
    xcb_disconnect(x);
    return shownAt < 0 ? -1 : shownAt - startedAt;
}

} // namespace bench
