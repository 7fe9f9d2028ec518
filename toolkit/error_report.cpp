#include "toolkit/error_report.h"
#include "product_version.h"
#include "toolkit/outside_text.h"
#include <QApplication>
#include <QMessageBox>
#include <memory>

void reportRuntimeError(const RuntimeError& error) {
    // The description may name a file or a folder.
    const std::unique_ptr<QMessageBox> box(OutsideText::messageBox(
        QMessageBox::Critical, QString::fromUtf8(product::name),
        QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number()).arg(error.description()),
        QApplication::activeWindow()));
    box->setObjectName(QStringLiteral("RuntimeErrorReport"));
    box->exec();
}
