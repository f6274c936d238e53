#pragma once

#include <QList>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

// Runs the image-thumbnail worker threads of the media browser, at most three at a time, oldest first.
// Whoever hands a worker in keeps owning it and withdraws it with removeThread before deleting it. The
// manager is a thread of its own that sleeps until a worker is handed in, withdrawn or finishes, or until a
// stop is asked for; it ends when nothing is left to run and starts again with the next worker. A worker
// that finishes starts the next queued one itself.
class ThreadManager : public QThread
{
    Q_OBJECT

public:
    // How many workers may run at once: thumbnails are decoded on all cores but one or two stay free for the
    // window and the player.
    static constexpr int kMaxRunning = 3;

    // The one manager of the process, made on first use; GUI thread only.
    static ThreadManager *getInstance();
    ~ThreadManager() override;

    // Queues the worker; a null pointer, or any worker while a stop is under way, is ignored.
    void addThread(QThread *worker);
    // Forgets the worker: a queued one is never started; a running one keeps running unwatched.
    void removeThread(QThread *worker);
    // Ends the manager's loop: queued workers are dropped, running ones are asked to leave their event loops.
    // Has no effect on an idle manager.
    void stop();

protected:
    void run() override;

private:
    ThreadManager() = default;
    void onWorkerFinished(QThread *worker);
    // Starts queued workers while fewer than kMaxRunning run; under the mutex.
    void startPending();

    QList<QThread *> m_running;
    QList<QThread *> m_pending;
    bool m_stopRequested = false;
    // True from the start of the manager's loop until it has decided to end, under the mutex; the thread
    // itself reports running a little longer.
    bool m_loopActive = false;
    QMutex m_mutex;
    QWaitCondition m_wake;
};
