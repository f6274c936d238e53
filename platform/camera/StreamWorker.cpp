#include "StreamWorker.h"

#include "FrameSource.h"

namespace {

// How long one wait for the device may last before the thread looks at its stop flag again. Stopping
// also wakes the wait, so this only bounds the delay when a wake is lost to a faulty driver.
constexpr int kWaitMs = 200;

} // namespace

StreamWorker::StreamWorker(FrameSource *source, FrameHandler onFrame, EndHandler onEnd)
    : m_source(source)
    , m_onFrame(std::move(onFrame))
    , m_onEnd(std::move(onEnd))
{
}

StreamWorker::~StreamWorker()
{
    stop();
}

void StreamWorker::requestFrame()
{
    m_requested = true;
    m_source->wake();
}

void StreamWorker::setAdjust(const FrameAdjust &adjust, bool frozen)
{
    QMutexLocker locker(&m_adjustMutex);
    m_adjust = adjust;
    m_frozen = frozen;
}

void StreamWorker::stop()
{
    m_stopping = true;
    m_source->wake();
    wait();
}

QImage StreamWorker::nextPicture()
{
    FrameAdjust adjust;
    bool frozen;
    {
        QMutexLocker locker(&m_adjustMutex);
        adjust = m_adjust;
        frozen = m_frozen;
    }
    if (!frozen) {
        m_frozenPicture = QImage();
        m_lastPicture = m_source->takeFrame();
    } else if (m_frozenPicture.isNull()) {
        // Freezing holds what the presenter saw last; only when nothing was shown yet is a new frame taken.
        m_frozenPicture = m_lastPicture.isNull() ? m_source->takeFrame() : m_lastPicture;
    }
    return adjust.apply(frozen ? m_frozenPicture : m_lastPicture);
}

void StreamWorker::run()
{
    bool fresh = false;
    while (!m_stopping) {
        if (fresh && m_requested) {
            fresh = false;
            const QImage picture = nextPicture();
            // A frame that cannot be decoded is skipped; the request stays open for the next one.
            if (!picture.isNull()) {
                m_requested = false;
                m_onFrame(picture);
            }
            continue;
        }
        const int result = m_source->waitForFrame(kWaitMs);
        if (result < 0) {
            if (!m_stopping)
                m_onEnd(result);
            return;
        }
        if (result > 0)
            fresh = true;
    }
}
