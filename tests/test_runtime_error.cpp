#include "files/runtime_error.h"
#include <QtTest>

class RuntimeErrorTest : public QObject {
    Q_OBJECT
  private slots:
    void numbersCarryTheirTexts();
};

void RuntimeErrorTest::numbersCarryTheirTexts() {
    QCOMPARE(RuntimeError(76).description(), QStringLiteral("Path not found"));
    QCOMPARE(RuntimeError(70).description(), QStringLiteral("Permission denied"));
    QCOMPARE(RuntimeError(68).description(), QStringLiteral("Device unavailable"));
    QCOMPARE(RuntimeError(68).number(), 68);
}

QTEST_MAIN(RuntimeErrorTest)
#include "test_runtime_error.moc"
