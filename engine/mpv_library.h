#pragma once
// libmpv, opened with dlopen() on a thread of its own once the window is on screen, instead of by the
// dynamic loader before main(): it brings some two hundred libraries, and loading them held the window back
// (dlopen() holds the loader's lock throughout, and the toolkit loads its plugins with dlopen() too). The
// engine finds the library ready by the time a file is opened, or waits for it to finish.

#include "engine/mpv_preload.h"
#include <QString>
#include <mpv/client.h>
#include <mpv/render.h>

struct MpvLibrary {
    decltype(&mpv_create) create;
    decltype(&mpv_initialize) initialize;
    decltype(&mpv_terminate_destroy) terminate_destroy;
    decltype(&mpv_set_option_string) set_option_string;
    decltype(&mpv_request_log_messages) request_log_messages;
    decltype(&mpv_observe_property) observe_property;
    decltype(&mpv_set_wakeup_callback) set_wakeup_callback;
    decltype(&mpv_wait_event) wait_event;
    decltype(&mpv_set_property_async) set_property_async;
    decltype(&mpv_get_property_string) get_property_string;
    decltype(&mpv_get_property_async) get_property_async;
    decltype(&mpv_free) free;
    decltype(&mpv_error_string) error_string;
    decltype(&mpv_command_async) command_async;
    decltype(&mpv_get_time_us) get_time_us;
    decltype(&mpv_hook_add) hook_add;
    decltype(&mpv_hook_continue) hook_continue;
    decltype(&mpv_render_context_create) render_context_create;
    decltype(&mpv_render_context_set_update_callback) render_context_set_update_callback;
    decltype(&mpv_render_context_update) render_context_update;
    decltype(&mpv_render_context_render) render_context_render;
    decltype(&mpv_render_context_get_info) render_context_get_info;
    decltype(&mpv_render_context_report_swap) render_context_report_swap;
    decltype(&mpv_render_context_free) render_context_free;
};

// The library, after waiting for a load still under way; null if it cannot be loaded (mpvLoadError() says
// why). Only after this has returned non-null may the engine and the video view call into it.
const MpvLibrary* mpvLibrary();
QString mpvLoadError();
