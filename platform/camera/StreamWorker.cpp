#include "StreamWorker.h"

#include "CameraCodes.h"
#include "FrameSource.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSet>

namespace {

// How long one wait for the device may last before the thread looks at its stop flag again. Stopping
// also wakes the wait, so this only bounds the delay when a wake is lost to a faulty driver.
constexpr int kWaitMs = 200;

// How long the end of the process waits for streams still tearing their devices down: a thread left
// running would draw or decode while the application is taken apart.
constexpr int kExitWaitMs = 3000;

// Workers retired but still tearing their device down, and workers retired but not yet deleted.
QMutex retiredMutex;
QWaitCondition retiredDone;
QSet<StreamWorker *> retiredWorkers;
QSet<StreamWorker *> undeletedWorkers;

// Run as the application object goes, when its event loop no longer deletes anything.
void reapRetiredWorkers()
{
    StreamWorker::waitForRetired(kExitWaitMs);
    QList<StreamWorker *> left;
    {
        QMutexLocker locker(&retiredMutex);
        left = undeletedWorkers.values();
    }
    for (StreamWorker *worker : std::as_const(left)) {
        // One whose driver never answered is left alone: deleting it would wait for the driver.
        if (worker->isFinished())
            delete worker;
    }
}

} // namespace

StreamWorker::StreamWorker(std::unique_ptr<FrameSource> source, FrameHandler onFrame, EndHandler onEnd)
    : m_source(std::move(source))
    , m_onFrame(std::move(onFrame))
    , m_onEnd(std::move(onEnd))
{
}

StreamWorker::~StreamWorker()
{
    m_stopping = true;
    m_source->wake();
    wait();
    QMutexLocker locker(&retiredMutex);
    undeletedWorkers.remove(this);
}

int StreamWorker::startStreaming(int timeoutMs)
{
    start();
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker locker(&m_setupMutex);
    while (!m_setupFinished) {
        if (!m_setupDone.wait(&m_setupMutex, deadline))
            return CameraCodes::DeviceError;
    }
    return m_setupResult;
}

void StreamWorker::setupFinished(int result)
{
    QMutexLocker locker(&m_setupMutex);
    m_setupResult = result;
    m_setupFinished = true;
    m_setupDone.wakeAll();
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

QImage StreamWorker::takeFreshPicture(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker locker(&m_captureMutex);
    if (m_stopping || isFinished())
        return {};
    const quint64 round = m_captureRound;
    ++m_captureWaiters;
    m_source->wake();
    while (round == m_captureRound && !m_stopping) {
        if (!m_captureReady.wait(&m_captureMutex, deadline))
            break;
    }
    --m_captureWaiters;
    return round == m_captureRound ? QImage() : m_capturePicture;
}

void StreamWorker::retire()
{
    {
        QMutexLocker handlers(&m_handlerMutex);
        m_retired = true;
    }
    {
        QMutexLocker captures(&m_captureMutex);
        m_stopping = true;
        m_captureReady.wakeAll();
    }
    m_source->wake();
    {
        // A thread that already ended (the device went away) has nothing left to tear down.
        static const bool reaperInstalled = [] {
            qAddPostRoutine(reapRetiredWorkers);
            return true;
        }();
        Q_UNUSED(reaperInstalled);
        QMutexLocker retired(&retiredMutex);
        undeletedWorkers.insert(this);
        if (!m_runEnded)
            retiredWorkers.insert(this);
    }
    connect(this, &QThread::finished, this, &QObject::deleteLater);
    // Never started, or already done: nothing will emit finished any more.
    if (!isRunning())
        deleteLater();
}

bool StreamWorker::waitForRetired(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker locker(&retiredMutex);
    while (!retiredWorkers.isEmpty()) {
        if (!retiredDone.wait(&retiredMutex, deadline))
            return false;
    }
    return true;
}

template<typename Call>
void StreamWorker::callHandler(Call call)
{
    QMutexLocker locker(&m_handlerMutex);
    if (!m_retired)
        call();
}

bool StreamWorker::captureWanted()
{
    QMutexLocker locker(&m_captureMutex);
    return m_captureWaiters > 0;
}

void StreamWorker::deliverCapture(const QImage &picture)
{
    QMutexLocker locker(&m_captureMutex);
    if (m_captureWaiters == 0)
        return;
    m_capturePicture = picture;
    ++m_captureRound;
    m_captureReady.wakeAll();
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
    const int opened = m_source->open();
    setupFinished(opened);
    bool fresh = false;
    while (opened == CameraCodes::Success && !m_stopping) {
        const bool forCapture = fresh && captureWanted();
        if (fresh && (m_requested || forCapture)) {
            fresh = false;
            const QImage picture = nextPicture();
            // A frame that cannot be decoded is skipped; the requests stay open for the next one. A capture
            // alone does not feed the view: a hidden view asks for nothing and gets nothing.
            if (!picture.isNull()) {
                if (forCapture)
                    deliverCapture(picture);
                if (m_requested.exchange(false))
                    callHandler([&] { m_onFrame(picture); });
            }
            continue;
        }
        const int result = m_source->waitForFrame(kWaitMs);
        if (result < 0) {
            if (!m_stopping)
                callHandler([&] { m_onEnd(result); });
            break;
        }
        if (result > 0)
            fresh = true;
    }
    m_source->close();
    {
        QMutexLocker locker(&m_captureMutex);
        m_stopping = true;
        m_captureReady.wakeAll();
    }
    QMutexLocker retired(&retiredMutex);
    m_runEnded = true;
    if (retiredWorkers.remove(this))
        retiredDone.wakeAll();
}
