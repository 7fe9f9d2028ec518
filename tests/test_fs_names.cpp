#include "toolkit/fs_names.h"
#include "toolkit/natural_order.h"
#include <QRandomGenerator>
#include <QtTest>

class FsNamesTest : public QObject {
    Q_OBJECT
  private slots:
    void validUtf8DecodesAsUtf8_data();
    void validUtf8DecodesAsUtf8();
    void everyByteStringComesBack_data();
    void everyByteStringComesBack();
    void randomByteStringsComeBack();
    void displayShowsControlsAndBadBytesVisibly();
    void naturalOrder_data();
    void naturalOrder();
    void sortIsTotalAndStable();
};

void FsNamesTest::validUtf8DecodesAsUtf8_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("track 01.mp3") << QStringLiteral("track 01.mp3");
    QTest::newRow("accents") << QByteArray("caf\xc3\xa9 cr\xc3\xa8me.ogg")
                             << QStringLiteral(u"caf\u00e9 cr\u00e8me.ogg");
    QTest::newRow("cjk") << QByteArray("\xe9\x9f\xb3\xe6\xa5\xbd.flac")
                         << QStringLiteral(u"\u97f3\u697d.flac");
    QTest::newRow("outside the basic plane")
        << QByteArray("\xf0\x9f\x8e\xb5 song.mp3") << QStringLiteral(u"\U0001F3B5 song.mp3");
    // QString::fromUtf8 drops a leading byte order mark, which would name another file
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbfname") << QStringLiteral(u"\ufeffname");
}

void FsNamesTest::validUtf8DecodesAsUtf8() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(fsDecodeName(bytes), expected);
    QCOMPARE(fsEncodeName(fsDecodeName(bytes)), bytes);
}

void FsNamesTest::everyByteStringComesBack_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("latin-1 e acute") << QByteArray("caf\xe9.mp3");
    QTest::newRow("lone continuation") << QByteArray("a\x80z");
    QTest::newRow("truncated sequence at end") << QByteArray("abc\xe2\x82");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf");
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80");
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80");
    QTest::newRow("0xff and 0xfe") << QByteArray("\xff\xfe");
    QTest::newRow("valid 4-byte then bad byte") << QByteArray("\xf0\x9f\x8e\xb5\xb5");
    QTest::newRow("newline and tab") << QByteArray("a\nb\tc");
}

void FsNamesTest::everyByteStringComesBack() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(fsEncodeName(fsDecodeName(bytes)), bytes);
}

void FsNamesTest::randomByteStringsComeBack() {
    QRandomGenerator random(42);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes(random.bounded(1, 12), '\0');
        for (char& c : bytes)
            c = char(random.bounded(1, 256)); // a name holds any byte but NUL
        QCOMPARE(fsEncodeName(fsDecodeName(bytes)), bytes);
    }
}

void FsNamesTest::displayShowsControlsAndBadBytesVisibly() {
    QCOMPARE(fsDisplayName(fsDecodeName("two\nlines")), QString::fromUtf8("two\u21B5lines"));
    QCOMPARE(fsDisplayName(fsDecodeName("a\tb\x01")), QString::fromUtf8("a\u2192b\uFFFD"));
    QCOMPARE(fsDisplayName(fsDecodeName("caf\xe9")), QString::fromUtf8("caf\uFFFD"));
    QCOMPARE(fsDisplayName(fsDecodeName("del\x7f")), QString::fromUtf8("del\uFFFD"));
    // a real character whose low surrogate happens to lie among the escape codes stays itself
    const QByteArray music = "\xf0\x9f\x8e\xb5";
    QCOMPARE(fsDisplayName(fsDecodeName(music)), QString::fromUtf8(music));
    QCOMPARE(fsDisplayName("-rf \"quoted\" 'name'"), QStringLiteral("-rf \"quoted\" 'name'"));
}

void FsNamesTest::naturalOrder_data() {
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("numbers by value")
        << QStringList{"10", "2", "1", "100", "20"} << QStringList{"1", "2", "10", "20", "100"};
    QTest::newRow("numbers inside names")
        << QStringList{"track10.mp3", "track2.mp3", "Track1.mp3", "track1b.mp3"}
        << QStringList{"Track1.mp3", "track1b.mp3", "track2.mp3", "track10.mp3"};
    QTest::newRow("case ignored") << QStringList{"beta", "Alpha", "alpha2", "ALPHA10", "Gamma"}
                                  << QStringList{"Alpha", "alpha2", "ALPHA10", "beta", "Gamma"};
    QTest::newRow("leading zeros") << QStringList{"007", "8", "06"} << QStringList{"06", "007", "8"};
    QTest::newRow("digits before letters") << QStringList{"b", "9", "a"} << QStringList{"9", "a", "b"};
    QTest::newRow("numbers longer than 64 bits")
        << QStringList{"99999999999999999999999", "100000000000000000000000", "5"}
        << QStringList{"5", "99999999999999999999999", "100000000000000000000000"};
    QTest::newRow("prefix first") << QStringList{"ab", "a", "a1"} << QStringList{"a", "a1", "ab"};
    QTest::newRow("non-ascii case") << QStringList{QString::fromUtf8("\xc3\xa9t\xc3\xa9"), "z",
                                                   QString::fromUtf8("\xc3\x89t\xc3\xa9 2")}
                                    << QStringList{"z", QString::fromUtf8("\xc3\xa9t\xc3\xa9"),
                                                   QString::fromUtf8("\xc3\x89t\xc3\xa9 2")};
}

void FsNamesTest::naturalOrder() {
    QFETCH(QStringList, input);
    QFETCH(QStringList, expected);
    sortNaturally(input);
    QCOMPARE(input, expected);
    for (qsizetype i = 1; i < expected.size(); ++i)
        QVERIFY2(naturallyBefore(expected[i - 1], expected[i]),
                 qPrintable(expected[i - 1] + " / " + expected[i]));
}

void FsNamesTest::sortIsTotalAndStable() {
    // names equal but for case or zeros still get one fixed order, whatever order they came in
    QStringList one{"a", "A", "01", "1", "001"};
    QStringList two{"001", "1", "A", "01", "a"};
    sortNaturally(one);
    sortNaturally(two);
    QCOMPARE(one, two);
    QVERIFY(!naturallyBefore("a", "a"));
}

QTEST_GUILESS_MAIN(FsNamesTest)
#include "test_fs_names.moc"
