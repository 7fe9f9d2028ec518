#include "toolkit/error_report.h"
#include "product_version.h"
#include <QApplication>
#include <QMessageBox>

void reportRuntimeError(const RuntimeError& error) {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(product::name),
                    QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number()).arg(error.description()),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("RuntimeErrorReport"));
    box.exec();
}
