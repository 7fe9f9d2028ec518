// The committed pictures, icons and cursor: their file formats byte by byte, and that Qt reads them.

#include "toolkit/cursor_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

QByteArray resource(const QString& name) {
    QFile file(QStringLiteral(":/resources/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

int u8(const QByteArray& b, qsizetype at) {
    return quint8(b.at(at));
}
int le16(const QByteArray& b, qsizetype at) {
    return u8(b, at) | (u8(b, at + 1) << 8);
}
qint64 le32(const QByteArray& b, qsizetype at) {
    return qint64(quint32(le16(b, at)) | (quint32(le16(b, at + 2)) << 16));
}
int be16(const QByteArray& b, qsizetype at) {
    return (u8(b, at) << 8) | u8(b, at + 1);
}

QImage decode(const QByteArray& bytes, const char* format, int imageNumber = 0) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    if (imageNumber > 0)
        reader.jumpToImage(imageNumber);
    return reader.read();
}

// The JPEG frame header (SOFn) before the first scan: marker, precision, height, width and component ids.
struct Frame {
    int marker = 0, precision = 0, height = 0, width = 0;
    QList<int> components;
};

Frame jpegFrame(const QByteArray& jpeg) {
    Frame frame;
    if (jpeg.size() < 4 || be16(jpeg, 0) != 0xFFD8)
        return frame;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && u8(jpeg, at) == 0xFF) {
        const int marker = u8(jpeg, at + 1);
        const int length = be16(jpeg, at + 2);
        if (marker == 0xDA)
            break;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            frame.marker = marker;
            frame.precision = u8(jpeg, at + 4);
            frame.height = be16(jpeg, at + 5);
            frame.width = be16(jpeg, at + 7);
            for (int c = 0; c < u8(jpeg, at + 9); ++c)
                frame.components << u8(jpeg, at + 10 + 3 * c);
            return frame;
        }
        at += 2 + length;
    }
    return frame;
}

} // namespace

class ArtworkTest : public QObject {
    Q_OBJECT
  private slots:
    void resourcesMatchTheCommittedFiles_data();
    void resourcesMatchTheCommittedFiles();
    void jpegsAreProgressiveYCbCr_data();
    void jpegsAreProgressiveYCbCr();
    void farewellJpegHasItsExactSize();
    void litNoteIsBrightAtTheCentre();
    void iconsAreSixteenColoursWithMasks_data();
    void iconsAreSixteenColoursWithMasks();
    void iconMasksMakeCornersTransparent();
    void cursorCarriesItsHotSpot();
    void cursorFileHotSpotComesFromTheFile();
    void unreadableCursorFileGivesTheArrow();
    void emblemIsA32BitBottomUpBitmap();
    void desktopIconsHaveTheirSizes();
    void desktopSvgIconIsWellFormed();
};

void ArtworkTest::resourcesMatchTheCommittedFiles_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"play.ico", "note.jpg", "note_lit.jpg", "hand.cur", "about.ico", "emblem.bmp",
                             "farewell.ico", "farewell.jpg"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void ArtworkTest::resourcesMatchTheCommittedFiles() {
    QFETCH(QString, name);
    const QString path = QFINDTESTDATA(QStringLiteral("../resources/") + name);
    QVERIFY2(!path.isEmpty(), qPrintable(name));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray embedded = resource(name);
    QVERIFY(!embedded.isEmpty());
    QCOMPARE(embedded, file.readAll());
}

void ArtworkTest::jpegsAreProgressiveYCbCr_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("note") << "note.jpg" << QSize(122, 110);
    QTest::newRow("note_lit") << "note_lit.jpg" << QSize(122, 110);
    QTest::newRow("farewell") << "farewell.jpg" << QSize(1024, 768);
}

void ArtworkTest::jpegsAreProgressiveYCbCr() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QByteArray jpeg = resource(name);
    const Frame frame = jpegFrame(jpeg);
    QCOMPARE(frame.marker, 0xC2);
    QCOMPARE(frame.precision, 8);
    QCOMPARE(QSize(frame.width, frame.height), size);
    QCOMPARE(frame.components, QList<int>({1, 2, 3})); // Y, Cb, Cr
    QCOMPARE(be16(jpeg, jpeg.size() - 2), 0xFFD9);
    const QImage image = QImage(QStringLiteral(":/resources/") + name);
    QCOMPARE(image.size(), size);
    QVERIFY(!image.isGrayscale());
}

void ArtworkTest::farewellJpegHasItsExactSize() {
    QCOMPARE(resource("farewell.jpg").size(), 284029);
    QFile file(QStringLiteral(":/resources/farewell.jpg"));
    QCOMPARE(file.size(), 284029);
}

void ArtworkTest::litNoteIsBrightAtTheCentre() {
    // The lit twin differs by its white flare in the middle; elsewhere both show the sky-blue tile.
    const QImage plain(QStringLiteral(":/resources/note.jpg"));
    const QImage lit(QStringLiteral(":/resources/note_lit.jpg"));
    const QColor flare = lit.pixelColor(61, 55);
    QVERIFY(flare.red() > 235 && flare.green() > 235 && flare.blue() > 235);
    QVERIFY(plain.pixelColor(61, 55) != flare);
    const QColor sky = plain.pixelColor(20, 90);
    QVERIFY2(sky.blue() > sky.red() + 60, qPrintable(sky.name()));
}

void ArtworkTest::iconsAreSixteenColoursWithMasks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<int>("fileSize");
    QTest::newRow("play") << "play.ico" << 1 << QList<int>({32, 16}) << 1078;
    QTest::newRow("about") << "about.ico" << 1 << QList<int>({48}) << 1662;
    QTest::newRow("farewell") << "farewell.ico" << 1 << QList<int>({32, 16}) << 1078;
    QTest::newRow("hand") << "hand.cur" << 2 << QList<int>({32}) << 766;
}

void ArtworkTest::iconsAreSixteenColoursWithMasks() {
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(QList<int>, sizes);
    QFETCH(int, fileSize);
    const QByteArray file = resource(name);
    QCOMPARE(file.size(), fileSize);
    QCOMPARE(le16(file, 0), 0);
    QCOMPARE(le16(file, 2), type);
    QCOMPARE(le16(file, 4), sizes.size());
    qint64 end = 6 + 16 * sizes.size();
    for (int i = 0; i < sizes.size(); ++i) {
        const qsizetype entry = 6 + 16 * i;
        const int side = sizes[i];
        QCOMPARE(u8(file, entry), side);
        QCOMPARE(u8(file, entry + 1), side);
        QCOMPARE(u8(file, entry + 2), 16); // colour count
        QCOMPARE(u8(file, entry + 3), 0);
        if (type == 1) {
            QCOMPARE(le16(file, entry + 4), 1);
            QCOMPARE(le16(file, entry + 6), 4);
        }
        const qint64 bytes = le32(file, entry + 8), offset = le32(file, entry + 12);
        QCOMPARE(offset, end);
        // Header, 16 palette entries, 4-bit colour rows and 1-bit mask rows, each row padded to 4 bytes.
        const int colourRow = (side * 4 + 31) / 32 * 4, maskRow = (side + 31) / 32 * 4;
        QCOMPARE(bytes, qint64(40 + 16 * 4 + (colourRow + maskRow) * side));
        QCOMPARE(le32(file, offset), qint64(40));
        QCOMPARE(le32(file, offset + 4), qint64(side));
        QCOMPARE(le32(file, offset + 8), qint64(2 * side)); // colour and mask stacked
        QCOMPARE(le16(file, offset + 12), 1);
        QCOMPARE(le16(file, offset + 14), 4);
        QCOMPARE(le32(file, offset + 16), qint64(0));
        for (int c = 0; c < 16; ++c)
            QCOMPARE(u8(file, offset + 40 + 4 * c + 3), 0);
        end = offset + bytes;
        const QImage image = decode(file, type == 1 ? "ico" : "cur", i);
        QCOMPARE(image.size(), QSize(side, side));
    }
    QCOMPARE(end, qint64(file.size()));
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QCOMPARE(QImageReader(&buffer, type == 1 ? "ico" : "cur").imageCount(), int(sizes.size()));
}

void ArtworkTest::iconMasksMakeCornersTransparent() {
    const QImage play = decode(resource("play.ico"), "ico", 0);
    QCOMPARE(play.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(play.pixelColor(16, 16).alpha(), 255);
    const QImage about = decode(resource("about.ico"), "ico");
    QCOMPARE(about.pixelColor(0, 0).alpha(), 0);
    const QImage hand = decode(resource("hand.cur"), "cur");
    QCOMPARE(hand.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(hand.pixelColor(31, 31).alpha(), 0);
    // The fingertip at the hot spot is drawn, so the pointer's tip is where it acts.
    QCOMPARE(hand.pixelColor(12, 1).alpha(), 255);
}

void ArtworkTest::cursorCarriesItsHotSpot() {
    const QByteArray file = resource("hand.cur");
    QCOMPARE(le16(file, 6 + 4), 12);
    QCOMPARE(le16(file, 6 + 6), 1);
    const QCursor cursor = loadCursorFile(QStringLiteral(":/resources/hand.cur"));
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), QPoint(12, 1));
    QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
}

void ArtworkTest::cursorFileHotSpotComesFromTheFile() {
    QByteArray file = resource("hand.cur");
    file[6 + 4] = char(5);
    file[6 + 6] = char(20);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile moved(dir.filePath(QStringLiteral("moved.cur")));
    QVERIFY(moved.open(QIODevice::WriteOnly));
    moved.write(file);
    moved.close();
    QCOMPARE(loadCursorFile(moved.fileName()).hotSpot(), QPoint(5, 20));
}

void ArtworkTest::unreadableCursorFileGivesTheArrow() {
    QCOMPARE(loadCursorFile(QStringLiteral(":/resources/no-such.cur")).shape(), Qt::ArrowCursor);
    // An icon is not a cursor: it has no hot spot.
    QCOMPARE(loadCursorFile(QStringLiteral(":/resources/play.ico")).shape(), Qt::ArrowCursor);
}

void ArtworkTest::emblemIsA32BitBottomUpBitmap() {
    const QByteArray file = resource("emblem.bmp");
    QCOMPARE(file.size(), 411196);
    QCOMPARE(file.left(2), QByteArray("BM"));
    QCOMPARE(le32(file, 2), qint64(411196));
    QCOMPARE(le32(file, 10), qint64(54));
    QCOMPARE(le32(file, 14), qint64(40));
    QCOMPARE(le32(file, 18), qint64(337));
    QCOMPARE(le32(file, 22), qint64(305)); // positive: rows bottom-up
    QCOMPARE(le16(file, 26), 1);
    QCOMPARE(le16(file, 28), 32);
    QCOMPARE(le32(file, 30), qint64(0)); // BI_RGB
    const qsizetype pixels = 337 * 305;
    QCOMPARE(54 + pixels * 4 + 2, file.size());
    qsizetype nonZero = 0;
    for (qsizetype i = 0; i < pixels; ++i)
        nonZero += file.at(54 + 4 * i + 3) != 0;
    QCOMPARE(nonZero, qsizetype(0));
    const QImage image(QStringLiteral(":/resources/emblem.bmp"));
    QCOMPARE(image.size(), QSize(337, 305));
    // Bottom-up: the file's first row is the picture's last. The gradient is darker at the bottom.
    const QColor top = image.pixelColor(3, 3), bottom = image.pixelColor(333, 301);
    QVERIFY2(top.lightness() > bottom.lightness(), qPrintable(top.name() + bottom.name()));
    const QColor centreRing = image.pixelColor(168, 40);
    QVERIFY2(centreRing.blue() > centreRing.red() + 40, qPrintable(centreRing.name()));
}

void ArtworkTest::desktopIconsHaveTheirSizes() {
    for (int side : {16, 32, 48, 128, 256}) {
        const QString path =
            QFINDTESTDATA(QStringLiteral("../resources/icons/tolvane-player-%1.png").arg(side));
        QVERIFY2(!path.isEmpty(), qPrintable(QString::number(side)));
        const QImage image(path);
        QCOMPARE(image.size(), QSize(side, side));
        QVERIFY(image.hasAlphaChannel());
        // The play triangle is dark, the button face around it light.
        QVERIFY(image.pixelColor(side * 45 / 100, side / 2).lightness() < 80);
        QVERIFY(image.pixelColor(side / 5, side / 2).lightness() > 150);
    }
}

void ArtworkTest::desktopSvgIconIsWellFormed() {
    QFile file(QFINDTESTDATA("../resources/icons/tolvane-player.svg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QStringLiteral("svg"));
    QCOMPARE(xml.attributes().value(QStringLiteral("viewBox")), QStringLiteral("0 0 32 32"));
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

QTEST_MAIN(ArtworkTest)
#include "test_artwork.moc"
