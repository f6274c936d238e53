#include "TestEnvironment.h"
#include "ThreadManager.h"

#include <QRandomGenerator>
#include <QSemaphore>

#include <atomic>
#include <memory>
#include <vector>

namespace {

// What the workers of one test share: how many run now, the most that ever ran together, and a gate that
// holds them until the test lets them go.
struct Crowd
{
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    QSemaphore gate;
    bool gated = false;
    // One for each worker that has run to its end.
    QSemaphore finished;
};

class Worker : public QThread
{
public:
    Worker(Crowd &crowd, int sleepUs = 0)
        : m_crowd(crowd)
        , m_sleepUs(sleepUs)
    {
    }
    ~Worker() override { wait(); }

    std::atomic<int> runs{0};

protected:
    void run() override
    {
        const int now = ++m_crowd.running;
        int most = m_crowd.mostRunning.load();
        while (now > most && !m_crowd.mostRunning.compare_exchange_weak(most, now)) {}
        ++runs;
        if (m_crowd.gated)
            m_crowd.gate.acquire();
        if (m_sleepUs > 0)
            QThread::usleep(m_sleepUs);
        --m_crowd.running;
        m_crowd.finished.release();
    }

private:
    Crowd &m_crowd;
    int m_sleepUs;
};

using Workers = std::vector<std::unique_ptr<Worker>>;

Workers makeWorkers(Crowd &crowd, int count, int sleepUs = 0)
{
    Workers workers;
    for (int i = 0; i < count; ++i)
        workers.push_back(std::make_unique<Worker>(crowd, sleepUs));
    return workers;
}

int startedCount(const Workers &workers)
{
    int started = 0;
    for (const auto &worker : workers)
        started += worker->runs.load();
    return started;
}

} // namespace

class TestThreadManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        ThreadManager *manager = ThreadManager::getInstance();
        while (manager->isRunning())
            manager->stop();
    }

    void atMostThreeRunOldestFirst()
    {
        ThreadManager *manager = ThreadManager::getInstance();
        Crowd crowd;
        crowd.gated = true;
        Workers workers = makeWorkers(crowd, 10);
        for (const auto &worker : workers)
            manager->addThread(worker.get());
        QTRY_COMPARE(crowd.running.load(), 3);
        QVERIFY(workers[0]->runs && workers[1]->runs && workers[2]->runs);
        // Held at the gate, the three leave room for nobody else.
        QTest::qWait(100);
        QCOMPARE(startedCount(workers), 3);

        crowd.gate.release(1);
        QTRY_COMPARE(startedCount(workers), 4);
        QCOMPARE(workers[3]->runs.load(), 1);
        crowd.gate.release(9);
        QVERIFY(crowd.finished.tryAcquire(10, 5000));
        QCOMPARE(crowd.mostRunning.load(), 3);
        for (const auto &worker : workers)
            QCOMPARE(worker->runs.load(), 1);
        QTRY_VERIFY(!manager->isRunning());
    }

    void manyShortWorkersUnderStress()
    {
        ThreadManager *manager = ThreadManager::getInstance();
        Crowd crowd;
        Workers workers;
        for (int i = 0; i < 300; ++i)
            workers.push_back(std::make_unique<Worker>(crowd, QRandomGenerator::global()->bounded(2000)));
        // Handed in in bursts, as tiles appear while the user scrolls.
        for (size_t i = 0; i < workers.size(); ++i) {
            manager->addThread(workers[i].get());
            if (i % 17 == 0)
                QTest::qWait(1);
        }
        QVERIFY(crowd.finished.tryAcquire(int(workers.size()), 10000));
        QVERIFY2(crowd.mostRunning.load() <= ThreadManager::kMaxRunning,
                 qPrintable(QString::number(crowd.mostRunning)));
        for (const auto &worker : workers)
            QCOMPARE(worker->runs.load(), 1);
    }

    void workerHandedInAsTheManagerEndsIsStarted()
    {
        // The manager's thread is held right after its loop has ended, while it still reports itself running,
        // until the next worker has been handed in (or a while has passed).
        ThreadManager *manager = ThreadManager::getInstance();
        QSemaphore loopEnded;
        QSemaphore handedIn;
        const QMetaObject::Connection hold = connect(
            manager, &QThread::finished, manager,
            [&] {
                loopEnded.release();
                handedIn.tryAcquire(1, 300);
            },
            Qt::DirectConnection);
        Crowd crowd;
        Worker first(crowd);
        Worker second(crowd);
        manager->addThread(&first);
        QVERIFY(loopEnded.tryAcquire(1, 5000));
        manager->addThread(&second);
        handedIn.release();
        QVERIFY(crowd.finished.tryAcquire(2, 5000));
        disconnect(hold);
        QCOMPARE(second.runs.load(), 1);
    }

    void workersHandedInOneByOneAreAllStarted()
    {
        // Each worker is handed in the moment the one before has run, so that now and then the hand-over
        // falls between the manager's loop ending and its thread reporting itself finished.
        ThreadManager *manager = ThreadManager::getInstance();
        Crowd crowd;
        Workers workers = makeWorkers(crowd, 2000);
        for (const auto &worker : workers) {
            manager->addThread(worker.get());
            QVERIFY2(crowd.finished.tryAcquire(1, 5000),
                     qPrintable(QStringLiteral("worker %1 was never started").arg(&worker - &workers.front())));
        }
    }

    void nullIsIgnored()
    {
        ThreadManager *manager = ThreadManager::getInstance();
        manager->addThread(nullptr);
        QVERIFY(!manager->isRunning());
    }

    void withdrawnWorkers()
    {
        ThreadManager *manager = ThreadManager::getInstance();
        Crowd crowd;
        crowd.gated = true;
        Workers workers = makeWorkers(crowd, 5);
        for (const auto &worker : workers)
            manager->addThread(worker.get());
        QTRY_COMPARE(crowd.running.load(), 3);
        // A queued worker withdrawn is never started; a running one runs on, unwatched.
        manager->removeThread(workers[3].get());
        manager->removeThread(workers[0].get());
        QVERIFY(workers[0]->isRunning());
        crowd.gate.release(1);
        QTRY_COMPARE(startedCount(workers), 4);
        QCOMPARE(workers[4]->runs.load(), 1);
        crowd.gate.release(4);
        QVERIFY(crowd.finished.tryAcquire(4, 5000));
        QTRY_VERIFY(!manager->isRunning());
        QCOMPARE(workers[3]->runs.load(), 0);
        QCOMPARE(workers[0]->runs.load(), 1);
    }

    void stopDropsQueuedWorkersAndTheManagerStartsAgain()
    {
        ThreadManager *manager = ThreadManager::getInstance();
        Crowd crowd;
        crowd.gated = true;
        Workers workers = makeWorkers(crowd, 5);
        for (const auto &worker : workers)
            manager->addThread(worker.get());
        QTRY_COMPARE(crowd.running.load(), 3);
        while (manager->isRunning())
            manager->stop();
        crowd.gate.release(5);
        QVERIFY(crowd.finished.tryAcquire(3, 5000));
        QCOMPARE(workers[3]->runs.load() + workers[4]->runs.load(), 0);

        Crowd later;
        Worker next(later);
        manager->addThread(&next);
        QVERIFY(later.finished.tryAcquire(1, 5000));
    }

    void stopOnAnIdleManagerLeavesNothingBehind()
    {
        ThreadManager *manager = ThreadManager::getInstance();
        QVERIFY(!manager->isRunning());
        manager->stop();
        Crowd crowd;
        Worker worker(crowd);
        manager->addThread(&worker);
        QVERIFY(crowd.finished.tryAcquire(1, 5000));
    }
};

QUILLO_TEST_MAIN(TestThreadManager)
#include "tst_ThreadManager.moc"
