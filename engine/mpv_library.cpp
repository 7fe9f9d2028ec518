#include "engine/mpv_library.h"

#include <atomic>
#include <dlfcn.h>
#include <mutex>
#include <thread>

namespace {

// The soname the build was made against: the functions below have its signatures.
constexpr const char* LibraryName = "libmpv.so.2";

class Loader {
  public:
    ~Loader() { wait(); } // a program that ends at once still lets the load finish cleanly

    void start() {
        std::call_once(started_, [this] {
            thread_ = std::thread([this] {
                load();
                finished_ = true;
            });
        });
    }

    void wait() {
        const std::lock_guard<std::mutex> lock(joining_);
        if (thread_.joinable())
            thread_.join();
    }

    const MpvLibrary* library() const { return loaded_ ? &table_ : nullptr; }
    bool finished() const { return finished_; }
    const QString& error() const { return error_; }

  private:
    template <typename Function> bool resolve(void* library, const char* name, Function& slot) {
        slot = reinterpret_cast<Function>(::dlsym(library, name));
        if (!slot)
            error_ = QStringLiteral("%1 has no %2").arg(QLatin1String(LibraryName), QLatin1String(name));
        return slot != nullptr;
    }

    // Runs on the loader thread; what it writes is read only after wait() has joined it.
    void load() {
        void* library = ::dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            error_ = QString::fromLocal8Bit(::dlerror());
            return;
        }
        MpvLibrary& t = table_;
        loaded_ =
            resolve(library, "mpv_create", t.create) && resolve(library, "mpv_initialize", t.initialize) &&
            resolve(library, "mpv_terminate_destroy", t.terminate_destroy) &&
            resolve(library, "mpv_set_option_string", t.set_option_string) &&
            resolve(library, "mpv_request_log_messages", t.request_log_messages) &&
            resolve(library, "mpv_observe_property", t.observe_property) &&
            resolve(library, "mpv_set_wakeup_callback", t.set_wakeup_callback) &&
            resolve(library, "mpv_wait_event", t.wait_event) &&
            resolve(library, "mpv_set_property_async", t.set_property_async) &&
            resolve(library, "mpv_get_property_string", t.get_property_string) &&
            resolve(library, "mpv_get_property_async", t.get_property_async) &&
            resolve(library, "mpv_free", t.free) && resolve(library, "mpv_error_string", t.error_string) &&
            resolve(library, "mpv_command_async", t.command_async) &&
            resolve(library, "mpv_get_time_us", t.get_time_us) &&
            resolve(library, "mpv_hook_add", t.hook_add) &&
            resolve(library, "mpv_hook_continue", t.hook_continue) &&
            resolve(library, "mpv_render_context_create", t.render_context_create) &&
            resolve(library, "mpv_render_context_set_update_callback",
                    t.render_context_set_update_callback) &&
            resolve(library, "mpv_render_context_update", t.render_context_update) &&
            resolve(library, "mpv_render_context_render", t.render_context_render) &&
            resolve(library, "mpv_render_context_get_info", t.render_context_get_info) &&
            resolve(library, "mpv_render_context_report_swap", t.render_context_report_swap) &&
            resolve(library, "mpv_render_context_free", t.render_context_free);
    }

    std::atomic<bool> finished_{false}; // set last on the loader thread
    std::once_flag started_;
    std::mutex joining_;
    std::thread thread_;
    MpvLibrary table_{};
    bool loaded_ = false;
    QString error_;
};

Loader& loader() {
    static Loader instance;
    return instance;
}

} // namespace

void preloadMpv() {
    loader().start();
}

bool mpvPreloaded() {
    return loader().finished();
}

const MpvLibrary* mpvLibrary() {
    Loader& l = loader();
    l.start();
    l.wait();
    return l.library();
}

QString mpvLoadError() {
    mpvLibrary();
    return loader().error();
}
