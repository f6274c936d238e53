#include "VirtualFrameSource.h"

#include "VirtualPicture.h"

#include <QDeadlineTimer>

VirtualFrameSource::VirtualFrameSource(const QSize &size, int framesPerSecond, const QString &cameraName,
                                       int openResult)
    : m_size(size)
    , m_framesPerSecond(qMax(1, framesPerSecond))
    , m_cameraName(cameraName)
    , m_openResult(openResult)
{
}

VirtualFrameSource::~VirtualFrameSource() = default;

int VirtualFrameSource::open()
{
    if (m_openResult < 0)
        return m_openResult;
    m_clock.start();
    return 0;
}

void VirtualFrameSource::close()
{
}

int VirtualFrameSource::waitForFrame(int timeoutMs)
{
    const qint64 period = 1000000000LL / m_framesPerSecond;
    QDeadlineTimer timeout(timeoutMs, Qt::PreciseTimer);
    QMutexLocker locker(&m_mutex);
    for (;;) {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 current = now / period;
        if (current > m_frameNumber) {
            m_frameNumber = current;
            return 1;
        }
        if (m_woken) {
            m_woken = false;
            return 0;
        }
        if (timeout.hasExpired())
            return 0;
        const qint64 untilNext = (current + 1) * period - now;
        QDeadlineTimer next(untilNext / 1000000 + 1, Qt::PreciseTimer);
        m_condition.wait(&m_mutex, next.deadline() < timeout.deadline() ? next : timeout);
    }
}

void VirtualFrameSource::wake()
{
    QMutexLocker locker(&m_mutex);
    m_woken = true;
    m_condition.wakeAll();
}

QImage VirtualFrameSource::takeFrame()
{
    // Drawn on the worker thread at the first frame: the page takes a few milliseconds to lay out.
    if (!m_picture)
        m_picture = std::make_unique<VirtualPicture>(m_size, m_cameraName);
    qint64 frame;
    {
        QMutexLocker locker(&m_mutex);
        frame = m_frameNumber;
    }
    return m_picture->render(frame, m_framesPerSecond);
}
