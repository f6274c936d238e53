#include "ThreadManager.h"

#include <QSharedPointer>

namespace {

QSharedPointer<ThreadManager> &instance()
{
    static QSharedPointer<ThreadManager> manager;
    return manager;
}

} // namespace

ThreadManager *ThreadManager::getInstance()
{
    if (!instance())
        instance().reset(new ThreadManager);
    return instance().data();
}

ThreadManager::~ThreadManager()
{
    stop();
    wait();
}

void ThreadManager::addThread(QThread *worker)
{
    QMutexLocker locker(&m_mutex);
    if (!worker || m_stopRequested)
        return;
    m_pending.append(worker);
    if (m_loopActive) {
        m_wake.wakeAll();
        return;
    }
    // A loop that has just decided to end may not have left run() yet; it touches nothing shared any more,
    // so waiting for it here is short, and the worker is not left behind in a manager that has gone.
    wait();
    m_loopActive = true;
    start(QThread::InheritPriority);
}

void ThreadManager::removeThread(QThread *worker)
{
    QMutexLocker locker(&m_mutex);
    if (!worker)
        return;
    m_pending.removeOne(worker);
    m_running.removeOne(worker);
    m_wake.wakeAll();
}

void ThreadManager::stop()
{
    QMutexLocker locker(&m_mutex);
    m_stopRequested = m_loopActive;
    m_wake.wakeAll();
}

void ThreadManager::onWorkerFinished(QThread *worker)
{
    QMutexLocker locker(&m_mutex);
    m_running.removeOne(worker);
    // The next worker is started right here, on the ending worker's thread (whose priority it inherits like
    // the manager's own): waking the manager's thread for it doubles the thread switches per thumbnail.
    if (!m_stopRequested)
        startPending();
    m_wake.wakeAll();
}

void ThreadManager::startPending()
{
    while (m_running.size() < kMaxRunning && !m_pending.isEmpty()) {
        QThread *worker = m_pending.takeFirst();
        if (!worker)
            continue;
        // finished() is emitted on the worker's thread while it still reports itself running, so the worker
        // leaves the running list from there rather than by being asked isRunning() later.
        connect(
            worker, &QThread::finished, this, [this, worker] { onWorkerFinished(worker); },
            Qt::ConnectionType(Qt::DirectConnection | Qt::SingleShotConnection));
        m_running.append(worker);
        worker->start(QThread::InheritPriority);
    }
}

void ThreadManager::run()
{
    QMutexLocker locker(&m_mutex);
    while ((!m_running.isEmpty() || !m_pending.isEmpty()) && !m_stopRequested) {
        startPending();
        m_wake.wait(&m_mutex);
    }
    m_pending.clear();
    for (QThread *worker : std::as_const(m_running)) {
        if (worker->isRunning())
            worker->exit(0);
    }
    m_running.clear();
    m_stopRequested = false;
    m_loopActive = false;
}
