#include "MemoryWatch.h"

#include <QFile>
#include <QList>

#include <unistd.h>

namespace {

// Often enough to catch a buffer that grows by hundreds of megabytes a second before it is let go.
constexpr int kSampleMs = 2;

} // namespace

MemoryWatch::MemoryWatch()
    : m_start(residentBytes())
    , m_peak(m_start)
{
    QObject::connect(&m_sampler, &QTimer::timeout, &m_sampler, [this] { m_peak = qMax(m_peak, residentBytes()); });
    m_sampler.start(kSampleMs);
}

qint64 MemoryWatch::residentBytes()
{
    // The second field of statm: resident pages.
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}
