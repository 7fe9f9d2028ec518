#include "toolkit/x11_window_hints.h"
#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace {
template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* x, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<uint32_t> values(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(x, xcb_get_property(x, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                               nullptr),
        &std::free);
    if (!reply || reply->format != 32)
        return {};
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {data, data + xcb_get_property_value_length(reply.get()) / 4};
}

void setValues(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
               const std::vector<uint32_t>& list) {
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, name, type, 32, uint32_t(list.size()), list.data());
}

void addAtoms(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name, const std::vector<uint32_t>& add) {
    std::vector<uint32_t> list = values(x, window, name);
    for (uint32_t item : add)
        if (std::find(list.begin(), list.end(), item) == list.end())
            list.push_back(item);
    setValues(x, window, name, XCB_ATOM_ATOM, list);
}
} // namespace

void makeIndependentWindow(QWidget* window, bool utilityTitleBar) {
    xcb_connection_t* x = connection();
    if (!x)
        return;
    const auto id = xcb_window_t(window->winId());
    // ICCCM's WM_HINTS: nine values, the group leader last, flagged by bit 6 of the first.
    std::vector<uint32_t> hints = values(x, id, XCB_ATOM_WM_HINTS);
    hints.resize(9, 0);
    hints[0] |= 1U << 6;
    hints[8] = id;
    setValues(x, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, hints);
    if (utilityTitleBar)
        setValues(x, id, atom(x, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                  {atom(x, "_NET_WM_WINDOW_TYPE_UTILITY"), atom(x, "_NET_WM_WINDOW_TYPE_NORMAL")});
    xcb_flush(x);
}

void keepOffTaskbar(QWidget* window) {
    xcb_connection_t* x = connection();
    if (!x)
        return;
    // Qt merges what it adds to this property with what it finds there when it maps the window.
    addAtoms(x, xcb_window_t(window->winId()), atom(x, "_NET_WM_STATE"),
             {atom(x, "_NET_WM_STATE_SKIP_TASKBAR"), atom(x, "_NET_WM_STATE_SKIP_PAGER")});
    xcb_flush(x);
}
