// Handlers that fail: the steps before the failure stay done, the report names the error, the program goes
// on.
#include "toolkit/error_report.h"
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class ErrorReportTest : public QObject {
    Q_OBJECT
    QString shownTitle, shownText;

    // Reads and dismisses the report as soon as it is up, as a user pressing OK would.
    void answerNextReport() {
        QTimer::singleShot(0, this, [this] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownTitle = box->windowTitle();
            shownText = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
    }

  private slots:
    void failingStepStopsTheHandlerAndIsReported();
    void handlerWithoutErrorShowsNothing();
    void guardedHandlersGetTheSignalsArgumentsOrNone();
};

void ErrorReportTest::failingStepStopsTheHandlerAndIsReported() {
    QStringList done;
    answerNextReport();
    runHandler([&] {
        done << "first";
        throw RuntimeError(rterr::PathNotFound);
        done << "second"; // NOLINT: never reached, which is the point
    });
    QCOMPARE(done, QStringList{"first"});
    QCOMPARE(shownTitle, QStringLiteral("Tolvane URL Media Player"));
    QCOMPARE(shownText, QStringLiteral("Run-time error '76':\n\nPath not found"));
    // The program goes on: a later handler runs normally.
    runHandler([&] { done << "later"; });
    QCOMPARE(done, (QStringList{"first", "later"}));
}

void ErrorReportTest::handlerWithoutErrorShowsNothing() {
    bool ran = false;
    runHandler([&] { ran = true; });
    QVERIFY(ran);
    QVERIFY(!QApplication::activeModalWidget());
}

struct Target {
    QStringList calls;
    void withArgs(int a, const QString& b) { calls << QStringLiteral("%1 %2").arg(a).arg(b); }
    void withoutArgs() { calls << QStringLiteral("none"); }
    void failing() { throw RuntimeError(rterr::PermissionDenied); }
};

void ErrorReportTest::guardedHandlersGetTheSignalsArgumentsOrNone() {
    Target target;
    guarded(&target, &Target::withArgs)(7, QStringLiteral("x"));
    guarded(&target, &Target::withoutArgs)(true); // a menu action's "checked" flag is dropped
    QCOMPARE(target.calls, (QStringList{"7 x", "none"}));
    answerNextReport();
    guarded(&target, &Target::failing)();
    QCOMPARE(shownText, QStringLiteral("Run-time error '70':\n\nPermission denied"));
}

QTEST_MAIN(ErrorReportTest)
#include "test_error_report.moc"
