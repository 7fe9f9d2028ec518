#include "media/clock_text.h"

#include "media/playback.h"

#include <algorithm>
#include <cmath>

double boundedSeconds(double seconds) {
    return std::clamp(std::isfinite(seconds) ? seconds : 0.0, 0.0, Playback::kLongestLength);
}

QString clockText(double seconds) {
    const int total = int(std::floor(boundedSeconds(seconds)));
    const int h = total / 3600, m = total / 60 % 60, s = total % 60;
    return h > 0 ? QStringLiteral("%1:%2:%3")
                       .arg(h)
                       .arg(m, 2, 10, QLatin1Char('0'))
                       .arg(s, 2, 10, QLatin1Char('0'))
                 : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}
