// draw-artwork: draws every picture, icon and cursor of the player and writes them into the folder named
// on its command line. To redraw the committed files:
//   cmake --build build --target draw-artwork && build/resources/artwork/draw-artwork resources

#include "bitmap_file.h"
#include "icon_file.h"
#include "jpeg_file.h"
#include "pictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

using namespace artwork;

namespace {

void save(const QDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + file.fileName().toStdString());
    std::printf("%-32s %9lld bytes\n", qPrintable(name), static_cast<long long>(bytes.size()));
}

void savePng(const QDir& dir, const QString& name, const QImage& image) {
    if (!image.save(dir.filePath(name), "png"))
        throw std::runtime_error("cannot write " + name.toStdString());
    std::printf("%-32s %4dx%d\n", qPrintable(name), image.width(), image.height());
}

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application, but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw-artwork <resources folder>\n");
        return 2;
    }
    try {
        QDir dir(QString::fromLocal8Bit(argv[1]));
        if (!dir.mkpath(QStringLiteral("icons")))
            throw std::runtime_error("cannot create the icons folder");
        save(dir, "play.ico", iconFile({playButtonIcon(32), playButtonIcon(16)}));
        save(dir, "note.jpg", progressiveJpeg(noteTile(false), 95));
        save(dir, "note_lit.jpg", progressiveJpeg(noteTile(true), 95));
        save(dir, "hand.cur", cursorFile(handCursor(), QPoint(12, 1)));
        save(dir, "about.ico", iconFile({aboutIcon()}));
        save(dir, "emblem.bmp", bitmapFile32(emblemPicture(), 2));
        save(dir, "farewell.ico", iconFile({envelopeIcon(32), envelopeIcon(16)}));
        save(dir, "farewell.jpg", progressiveJpegOfSize(farewellPicture(), 284029));
        for (int size : {16, 32, 48, 128, 256})
            savePng(dir, QStringLiteral("icons/tolvane-player-%1.png").arg(size), playButtonImage(size));
        save(dir, "icons/tolvane-player.svg", playButtonSvg());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "draw-artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}
