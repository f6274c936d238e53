#pragma once

#include <QTimer>
#include <QtGlobal>

// How far the process's resident memory rises above where it was when the watch started, sampled every few
// milliseconds by the event loop while a test waits (so it sees what the program holds between its reads).
class MemoryWatch
{
public:
    MemoryWatch();

    // The highest rise seen so far, in bytes.
    qint64 peakRise() const { return m_peak - m_start; }

    static qint64 residentBytes();

private:
    QTimer m_sampler;
    qint64 m_start;
    qint64 m_peak;
};
