#include "RecordingCounter.h"

#include <algorithm>

QString RecordingCounter::text(int seconds)
{
    const int n = std::max(0, seconds);
    const auto twoDigits = [](int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    return tr("Recording %1:%2:%3").arg(twoDigits(n / 3600), twoDigits((n / 60) % 60), twoDigits(n % 60));
}
