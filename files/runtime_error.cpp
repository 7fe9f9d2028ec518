#include "files/runtime_error.h"

QString RuntimeError::describe(int number) {
    switch (number) {
    case rterr::InvalidProcedureCall:
        return QStringLiteral("Invalid procedure call or argument");
    case rterr::FileNotFound:
        return QStringLiteral("File not found");
    case rterr::DeviceUnavailable:
        return QStringLiteral("Device unavailable");
    case rterr::PermissionDenied:
        return QStringLiteral("Permission denied");
    case rterr::PathFileAccessError:
        return QStringLiteral("Path/File access error");
    case rterr::PathNotFound:
        return QStringLiteral("Path not found");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

RuntimeError::RuntimeError(int number)
    : std::runtime_error(describe(number).toStdString()), number_(number) {}
