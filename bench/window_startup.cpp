// Start-up time of a program: from just before exec to the moment a viewable top-level window whose title
// contains the given text exists. Polls the X window tree every 5 ms (xdotool --sync polls twice a second).
// Usage: bench_window_startup TITLE_PART [--rss-after-ms MS] -- COMMAND [ARGS...]
// Prints "startup_ms <ms>" and, with --rss-after-ms, the child's memory that long after mapping
// ("idle_rss_kib", "idle_pss_kib", "idle_uss_kib"; of the largest process of its tree, as it may be started
// through a wrapper).
#include "bench/child_process.h"
#include "bench/proc_memory.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

template <typename T> std::unique_ptr<T, decltype(&std::free)> owned(T* reply) {
    return {reply, &std::free};
}

std::string property(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
    auto reply =
        owned(xcb_get_property_reply(x, xcb_get_property(x, 0, window, name, type, 0, 256), nullptr));
    if (!reply)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            static_cast<size_t>(xcb_get_property_value_length(reply.get()))};
}

xcb_atom_t atom(xcb_connection_t* x, const char* name) {
    auto reply = owned(xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Without a window manager the top-level windows are the root's children; with one, their children.
bool titledWindowMapped(xcb_connection_t* x, xcb_window_t parent, const std::string& part, int depth,
                        xcb_atom_t netName, xcb_atom_t utf8) {
    auto tree = owned(xcb_query_tree_reply(x, xcb_query_tree(x, parent), nullptr));
    if (!tree)
        return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < count; ++i) {
        auto attributes =
            owned(xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, children[i]), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        if (property(x, children[i], netName, utf8).find(part) != std::string::npos ||
            property(x, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING).find(part) != std::string::npos)
            return true;
        if (depth > 0 && titledWindowMapped(x, children[i], part, depth - 1, netName, utf8))
            return true;
    }
    return false;
}

// Milliseconds from start until the window is mapped; -1 if the child ended or 30 s passed first.
double msUntilMapped(xcb_connection_t* x, const std::string& part, Clock::time_point start, pid_t child) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const xcb_atom_t netName = atom(x, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(x, "UTF8_STRING");
    while (Clock::now() - start < std::chrono::seconds(30)) {
        if (titledWindowMapped(x, root, part, 1, netName, utf8))
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        int status;
        if (waitpid(child, &status, WNOHANG) == child)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TITLE_PART [--rss-after-ms MS] -- COMMAND [ARGS...]\n", argv[0]);
        return 2;
    }
    const std::string part = argv[1];
    int rssAfterMs = -1;
    int first = 2;
    if (std::strcmp(argv[first], "--rss-after-ms") == 0) {
        rssAfterMs = std::atoi(argv[first + 1]);
        first += 2;
    }
    if (std::strcmp(argv[first], "--") == 0)
        ++first;

    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    const auto start = Clock::now();
    const pid_t child = bench::spawn(argv + first);
    // The atoms are asked for after the fork: their round trips then overlap the child's start.
    const double ms = msUntilMapped(x, part, start, child);
    if (ms >= 0) {
        std::printf("startup_ms %.1f\n", ms);
        std::fflush(stdout);
        if (rssAfterMs >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(rssAfterMs));
            bench::printMemory("idle", bench::largestInTree(child));
        }
    } else {
        std::fprintf(stderr, "no window titled \"%s\" appeared\n", part.c_str());
    }
    bench::endGroup(child);
    xcb_disconnect(x);
    return ms >= 0 ? 0 : 1;
}
