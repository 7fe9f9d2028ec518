#pragma once
#include <QCursor>
QCursor loadCursorFile(const QString& path);
