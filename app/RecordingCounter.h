#pragma once

#include <QCoreApplication>
#include <QString>

// The running time of a recording as the tray menu shows it.
class RecordingCounter
{
    Q_DECLARE_TR_FUNCTIONS(RecordingCounter)

public:
    // "Recording HH:MM:SS": two digits at least for each part; hours go on past 99 rather than wrap.
    static QString text(int seconds);
};
