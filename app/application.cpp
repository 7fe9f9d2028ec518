#include "app/application.h"
#include "app/process_hygiene.h"
#include "app/window_registry.h"
#include "desktop/accessibility_offer.h"
#include "desktop/session_bus.h"
#include "product_version.h"
#include "toolkit/accessibility.h"
#include "toolkit/fonts.h"
#include "toolkit/plain_tool_tips.h"
#include <QApplication>
#include <QIcon>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray savedTempFolder;
bool tempFolderSwapped = false;
QtMessageHandler previousHandler = nullptr;

// While the temporary folder points where no folder can be made, Qt says twice that it could not make its
// runtime folder there. Just those two lines are dropped: not making it is the point.
void quietRuntimeFolder(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const QString folder = QStringLiteral("'/proc/%1/fd/runtime-").arg(::getpid());
    const bool plain = !context.category || qstrcmp(context.category, "default") == 0;
    if ((type == QtWarningMsg || type == QtCriticalMsg) && plain &&
        (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to ") + folder) ||
         text.startsWith(QLatin1String("QStandardPaths: error creating runtime directory ") + folder)))
        return;
    previousHandler(type, context, text);
}
} // namespace

// AddressSanitizer's allocator stands in for glibc's in the sanitizer build, and takes no thresholds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kGlibcAllocator = false;
#else
constexpr bool kGlibcAllocator = true;
#endif

bool setMallocThresholds() {
    // mallopt answers 0 for a value it refuses and keeps its moving thresholds; it accepts values far above
    // what is meant (256 MiB for 256 KiB), which only the effect shows (test_long_session).
    return mallopt(M_MMAP_THRESHOLD, 256 * 1024) == 1 && mallopt(M_TRIM_THRESHOLD, 1024 * 1024) == 1;
}

void prepareProcess() {
    // Decoded frames are large, short-lived buffers allocated on many threads. With glibc's moving
    // thresholds they end up inside the thread arenas, whose free tops are never given back: resident
    // memory would keep the high-water mark of every file played. Fixed thresholds send them to mmap, so
    // what a file used goes back to the system when it closes.
    if (kGlibcAllocator && !setMallocThresholds())
        qWarning("The malloc thresholds were refused; memory of played files may not go back to the system.");
    // No Qt::AA_ShareOpenGLContexts: it would make a GL context (with software rendering, load LLVM) before
    // the first window shows. The video keeps its own context in its own window, full screen or not.
    // The program keeps no files of its own, and that holds for the shader caches of Qt and Mesa too.
    QApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    // The menus stay in the window. A global menu bar would be looked up over the session bus while the
    // window is built, and a bus that does not answer would keep the window from ever showing.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    qputenv("MESA_GLSL_CACHE_DISABLE", "true");
    // While it starts, Qt looks for a sandbox marker in the runtime folder and, when XDG_RUNTIME_DIR is not
    // set, creates $TMPDIR/runtime-<user> for it. Use the session's folder where there is one; otherwise
    // point the temporary folder, for that moment only, where no folder can be made.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray session = "/run/user/" + QByteArray::number(::geteuid());
        struct stat folder {};
        if (::stat(session.constData(), &folder) == 0 && S_ISDIR(folder.st_mode) &&
            folder.st_uid == ::geteuid() && (folder.st_mode & 0777) == 0700) {
            qputenv("XDG_RUNTIME_DIR", session);
        } else {
            tempFolderSwapped = true;
            savedTempFolder = qgetenv("TMPDIR");
            qputenv("TMPDIR", "/proc/self/fd");
            previousHandler = qInstallMessageHandler(quietRuntimeFolder);
        }
    }
    keepProcessToItself();      // once the runtime folder is known: the session bus is found there
    keepToolkitOffSessionBus(); // after XDG_RUNTIME_DIR, where the session's bus may be
}

void setUpApplication() {
    if (tempFolderSwapped) {
        tempFolderSwapped = false;
        qInstallMessageHandler(previousHandler);
        if (savedTempFolder.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTempFolder);
    }
    QApplication::setApplicationName(QString::fromUtf8(product::name));
    QApplication::setApplicationVersion(QString::fromUtf8(product::versionText));
    QApplication::setOrganizationName(QStringLiteral("Tolvane Cooperation"));
    QApplication::setDesktopFileName(QString::fromUtf8(product::desktopFileName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/play.ico")));
    installFontSubstitutes();
    PlainToolTips::install();
    // Before the first window, whose building makes the accessibility bridge. A bus that answers does so
    // within a few milliseconds; the bound is what a stopped one may cost the window.
    offerAccessibilityBus(std::chrono::milliseconds(100));
    installAccessibility();
    registerWindows();
}
