#include "files/fs_folder_read.h"
#include "files/fs_names.h"
#include "files/natural_order.h"
#include "files/prefix_radix.h"
#include <QRandomGenerator>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList listOf(const SortedNames& sorted) {
    QStringList list;
    for (qsizetype i = 0; i < sorted.size(); ++i)
        list.append(sorted.at(i));
    return list;
}

// The names in the order a folder's read gives them: through the sorter it hands the raw names to.
QStringList sortedAsRead(const QStringList& names) {
    NaturalSorter sorter;
    for (const QString& name : names) {
        const QByteArray bytes = fsEncodeName(name);
        sorter.add(bytes.constData(), size_t(bytes.size()));
    }
    return listOf(sorter.sorted());
}

// The order the lists promise, written out plainly as the yardstick for the sorter's radix passes: units
// case-folded, a run of digits as '0', its length without leading zeros, then those digits.
QString orderKey(const QString& name) {
    QString key;
    for (qsizetype i = 0; i < name.size();) {
        qsizetype end = i;
        while (end < name.size() && name[end] >= u'0' && name[end] <= u'9')
            ++end;
        if (end == i) {
            key += name[i++].toCaseFolded();
            continue;
        }
        QStringView digits = QStringView(name).sliced(i, end - i);
        while (digits.startsWith(u'0'))
            digits = digits.sliced(1);
        key += u'0';
        key += QChar(char16_t(digits.size()));
        key += digits;
        i = end;
    }
    return key;
}

// Names with equal keys go by their bytes.
bool keyedBefore(const QString& a, const QString& b) {
    const int byKey = orderKey(a).compare(orderKey(b));
    return byKey != 0 ? byKey < 0 : fsEncodeName(a) < fsEncodeName(b);
}

} // namespace

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
    void manyNamesSortAsComparedOneByOne_data();
    void manyNamesSortAsComparedOneByOne();
    void prefixSortIsStable_data();
    void prefixSortIsStable();
    void folderReadsAlikeOnOneThreadOrTwo_data();
    void folderReadsAlikeOnOneThreadOrTwo();
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
    // keys that agree on their first eight bytes, the radix passes' whole prefix: the rest decides
    QTest::newRow("ties past eight key bytes")
        << QStringList{"Vacation photos", "vacation", "Album", "VACATION 2", "Vacation", "vacations"}
        << QStringList{"Album", "Vacation", "vacation", "VACATION 2", "Vacation photos", "vacations"};
    QTest::newRow("ties past sixteen key bytes")
        << QStringList{"holiday pictures 2019", "holiday pictures", "HOLIDAY PICTURES 9", "Best",
                       "Holiday Pictures"}
        << QStringList{"Best", "Holiday Pictures", "holiday pictures", "HOLIDAY PICTURES 9",
                       "holiday pictures 2019"};
}

void FsNamesTest::naturalOrder() {
    QFETCH(QStringList, input);
    QFETCH(QStringList, expected);
    QCOMPARE(sortedAsRead(input), expected);
    // the yardstick of the test below agrees with every table here
    for (qsizetype i = 1; i < expected.size(); ++i)
        QVERIFY2(keyedBefore(expected[i - 1], expected[i]),
                 qPrintable(expected[i - 1] + " / " + expected[i]));
}

void FsNamesTest::sortIsTotalAndStable() {
    // names equal but for case or zeros still get one fixed order, whatever order they came in
    const QStringList one = sortedAsRead({"a", "A", "01", "1", "001"});
    QCOMPARE(sortedAsRead({"001", "1", "A", "01", "a"}), one);
    QCOMPARE(one, (QStringList{"001", "01", "1", "A", "a"}));
}

void FsNamesTest::manyNamesSortAsComparedOneByOne_data() {
    // Groups big enough for the sorter's radix passes, whose names tie on eight key bytes or more.
    QTest::addColumn<QStringList>("names");
    QStringList albums, zeros, foreign, vacations;
    const QString albumNames[] = {QStringLiteral("One Long Album"), QStringLiteral("Two Long Albums"),
                                  QStringLiteral("Three Long Albums")};
    const QString accents[] = {QStringLiteral(u"\u00e9t\u00e9"),
                               QStringLiteral(u"\u00c9T\u00c9"),
                               QStringLiteral(u"\u03a3\u03c3\u03c2"),
                               QStringLiteral(u"stra\u00dfe"),
                               fsDecodeName("\xff\xfe"),
                               fsDecodeName("a\xe9")};
    for (int i = 0; i < 700; ++i) {
        albums << QStringLiteral("Artist - %1 - %2 Title.mp3")
                      .arg(albumNames[i % 3], QString::number(i % 240).rightJustified(i % 3, u'0'));
        // a run of zeros is a number of no digits: its key bytes are zeros, like the padding past a key
        zeros << QStringLiteral("x") + QString(i % 11, u'0') + (i % 2 ? u'a' : u'A') +
                     QString::number(i / 22);
        foreign << accents[i % 6] + QString::number(i % 50) + accents[(i / 6) % 6];
        // equal on eight key bytes, then ending, going on, or differing only in case
        const QString stem[] = {QStringLiteral("vacation"), QStringLiteral("Vacation photos"),
                                QStringLiteral("VACATION"), QStringLiteral("vacation "),
                                QStringLiteral("Album")};
        vacations << stem[i % 5] + (i % 3 ? QString::number(i / 5) : QString());
    }
    QTest::newRow("long shared starts") << albums;
    QTest::newRow("zeros and case") << zeros;
    QTest::newRow("non-ascii and escaped bytes") << foreign;
    QTest::newRow("ties on the first eight key bytes") << vacations;
}

void FsNamesTest::manyNamesSortAsComparedOneByOne() {
    QFETCH(QStringList, names);
    QStringList expected = names;
    std::stable_sort(expected.begin(), expected.end(), keyedBefore);
    QRandomGenerator shuffler(14);
    std::shuffle(names.begin(), names.end(), shuffler);
    QCOMPARE(sortedAsRead(names), expected);
}

void FsNamesTest::prefixSortIsStable_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<quint64>("mask"); // the prefix bits that vary
    const int two = int(kTwoThreadSortEntries);
    QTest::newRow("one thread") << two - 1 << ~quint64(0);
    QTest::newRow("two threads") << two + 7 << ~quint64(0);
    QTest::newRow("two threads, many ties, passes skipped") << two + 1 << quint64(0xF00000F0F);
}

void FsNamesTest::prefixSortIsStable() {
    QFETCH(int, count);
    QFETCH(quint64, mask);
    QRandomGenerator random{quint32(count)};
    std::vector<PrefixedEntry> entries(static_cast<size_t>(count));
    std::vector<PrefixedEntry> spare(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i] = {random.generate64() & mask, 0, quint32(i)};
    std::vector<PrefixedEntry> expected = entries;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const PrefixedEntry& a, const PrefixedEntry& b) { return a.prefix < b.prefix; });
    sortByPrefix(entries.data(), entries.data() + entries.size(), spare.data());
    QVERIFY(std::equal(entries.begin(), entries.end(), expected.begin(), [](const auto& a, const auto& b) {
        return a.prefix == b.prefix && a.name == b.name;
    }));
}

void FsNamesTest::folderReadsAlikeOnOneThreadOrTwo_data() {
    QTest::addColumn<bool>("big");
    QTest::newRow("small: one thread") << false;
    QTest::newRow("big: read beside its sorting") << true;
}

void FsNamesTest::folderReadsAlikeOnOneThreadOrTwo() {
    QFETCH(bool, big);
    // on the build tree's own file system, where a folder's size grows with its names as a user's does
    const QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/folder-XXXXXX"));
    const QByteArray root = fsEncodeName(dir.path()) + '/';
    const auto at = [&root](const char* name) { return QByteArray(root + name); };
    QStringList files{QStringLiteral("link")};
    const QString stem(200, u'n'); // long names cross the two-thread size in a few thousand
    struct stat folder {};
    do {
        for (int k = 0; k < 500; ++k) {
            files << stem + QString::number(files.size());
            QFile(dir.filePath(files.last())).open(QIODevice::WriteOnly);
        }
        QCOMPARE(::stat(root.constData(), &folder), 0);
    } while (big && folder.st_size < kTwoThreadFolderBytes);
    QCOMPARE(folder.st_size >= kTwoThreadFolderBytes, big);
    QVERIFY(::mkdir(at("sub"), 0700) == 0 && ::mkfifo(at("pipe"), 0600) == 0);
    QVERIFY(::symlink(fsEncodeName(files.last()), at("link")) == 0 && ::symlink("gone", at("dangling")) == 0);
    QVERIFY(::symlink("sub", at("linked folder")) == 0 && ::mkdir(at(".hidden"), 0700) == 0);
    QCOMPARE(listOf(readFolder(dir.path(), EntryKind::File)), sortedAsRead(files));
    QCOMPARE(listOf(readFolder(dir.path(), EntryKind::Folder)), (QStringList{"linked folder", "sub"}));
}

QTEST_GUILESS_MAIN(FsNamesTest)
#include "test_fs_names.moc"
