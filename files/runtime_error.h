#pragma once
// The errors a handler can raise; the run-time error report shows their number and text.

#include <QString>
#include <stdexcept>

namespace rterr {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
} // namespace rterr

class RuntimeError : public std::runtime_error {
  public:
    explicit RuntimeError(int number);
    int number() const { return number_; }
    QString description() const { return describe(number_); }
    static QString describe(int number);

  private:
    int number_;
};
