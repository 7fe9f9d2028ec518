// Start-up time of a program: from just before exec to the moment a viewable top-level window whose title
// contains the given text exists. Polls the X window tree every 5 ms (xdotool --sync polls twice a second).
// Usage: bench_window_startup TITLE_PART [--rss-after-ms MS] -- COMMAND [ARGS...]
// Prints "startup_ms <ms>" and, with --rss-after-ms, "rss_kib <kib>" of the child that long after mapping.
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

long residentKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// The program itself may be a wrapper (setpriv): the largest resident set among the child and its children.
long largestResidentKib(pid_t pid) {
    long best = residentKib(pid);
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    pid_t child;
    while (children >> child)
        best = std::max(best, largestResidentKib(child));
    return best;
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
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const xcb_atom_t netName = atom(x, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(x, "UTF8_STRING");

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0); // its own group, so the whole program can be ended at once
        execvp(argv[first], argv + first);
        _exit(127);
    }
    bool found = false;
    double ms = 0;
    while (Clock::now() - start < std::chrono::seconds(30)) {
        if (titledWindowMapped(x, root, part, 1, netName, utf8)) {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            found = true;
            break;
        }
        int status;
        if (waitpid(child, &status, WNOHANG) == child)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (found) {
        std::printf("startup_ms %.1f\n", ms);
        if (rssAfterMs >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(rssAfterMs));
            std::printf("rss_kib %ld\n", largestResidentKib(child));
        }
    } else {
        std::fprintf(stderr, "no window titled \"%s\" appeared\n", part.c_str());
    }
    std::fflush(stdout);
    kill(-child, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        int status;
        if (waitpid(child, &status, WNOHANG) == child) {
            xcb_disconnect(x);
            return found ? 0 : 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(-child, SIGKILL);
    waitpid(child, nullptr, 0);
    xcb_disconnect(x);
    return found ? 0 : 1;
}
