#include "app/application.h"
#include "app/accessibility.h"
#include "app/fonts.h"
#include "product_version.h"
#include <QApplication>
#include <QIcon>

void prepareProcess() {
    // The video view moves between windows for full screen; shared contexts keep its GL resources valid.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The program keeps no files of its own, and that holds for the shader caches of Qt and Mesa too.
    QApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    qputenv("MESA_GLSL_CACHE_DISABLE", "true");
}

void setUpApplication() {
    QApplication::setApplicationName(QString::fromUtf8(product::name));
    QApplication::setApplicationVersion(QString::fromUtf8(product::versionText));
    QApplication::setOrganizationName(QStringLiteral("Tolvane Cooperation"));
    QApplication::setDesktopFileName(QString::fromUtf8(product::desktopFileName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/play.ico")));
    installFontSubstitutes();
    installAccessibility();
}
