// Preloaded into a test program (LD_PRELOAD): once the program calls loseOpenGlContexts(), the OpenGL
// driver reports that its contexts were reset, as a real one does after a GPU hang or when the device is
// taken away. A reset is learnt only through glGetGraphicsResetStatus, which is looked up through EGL, so
// that lookup is the one place wrapped; the contexts themselves go on working underneath.

#include <EGL/egl.h>
#include <GL/gl.h>
#include <atomic>
#include <cstring>
#include <dlfcn.h>

namespace {
constexpr GLenum kUnknownContextReset = 0x8255;
using ResetStatus = GLenum (*)();
using Lookup = __eglMustCastToProperFunctionPointerType (*)(const char*);

std::atomic<bool> lost{false};
std::atomic<ResetStatus> driverResetStatus{nullptr};

GLenum resetStatus() {
    if (lost.load())
        return kUnknownContextReset;
    const ResetStatus driver = driverResetStatus.load();
    return driver ? driver() : GL_NO_ERROR;
}
} // namespace

extern "C" {
__attribute__((visibility("default"))) void loseOpenGlContexts() {
    lost = true;
}

__attribute__((visibility("default"))) __eglMustCastToProperFunctionPointerType
eglGetProcAddress(const char* name) {
    static const auto driver = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "eglGetProcAddress"));
    const auto found = driver ? driver(name) : nullptr;
    if (!name || std::strncmp(name, "glGetGraphicsResetStatus", 24) != 0)
        return found;
    driverResetStatus = reinterpret_cast<ResetStatus>(found);
    return reinterpret_cast<__eglMustCastToProperFunctionPointerType>(&resetStatus);
}
}
