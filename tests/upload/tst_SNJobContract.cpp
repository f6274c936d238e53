#include "FakeSNService.h"
#include "JobProbe.h"
#include "SNJob.h"
#include "SampleProvider.h"
#include "SampleRig.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTimer>

#include <memory>

// The rules every job of the upload library keeps, checked the same way on the scripted fake service and on
// the job engine against the local server.
class tst_SNJobContract : public QObject
{
    Q_OBJECT

public:
    enum Subject { FAKE, ENGINE };
    enum Scenario {
        SUCCESS,
        FAILURE,
        CANCEL_BEFORE_CONNECT,
        CANCEL_MID_BODY,
        CANCEL_DURING_PROCESSING,
        CANCEL_AFTER_END,
        LISTENER_DELETED,
    };
    Q_ENUM(Subject)
    Q_ENUM(Scenario)

private Q_SLOTS:
    void uploadJobs_data();
    void uploadJobs();
    void accessJobs_data();
    void accessJobs();
    void refusedAtOnceOnlyForMissingArgumentsAndTheAtSign();
    void releaseInsideTheEndReportFreesTheJob();
    void reportsQueuedBeforeCancelAreDropped();
    void unreleasedJobGoesWithItsListener();
};

namespace {

// Waits until the end report, then a little longer, so that a second end would show.
void settle(const JobProbe &probe)
{
    QTRY_VERIFY_WITH_TIMEOUT(probe.hasEnded(), 15000);
    QTest::qWait(60);
}

void checkProgress(const JobProbe &probe)
{
    const QList<int> percents = probe.percents();
    for (qsizetype i = 1; i < percents.size(); ++i)
        QVERIFY2(percents[i] > percents[i - 1], "progress only rises");
    const qsizetype hundreds = percents.count(100);
    const bool uploaded = probe.end().kind == QLatin1String("uploaded");
    QCOMPARE(hundreds, uploaded ? 1 : 0);
    if (uploaded) {
        const QStringList kinds = probe.kinds();
        QCOMPARE(kinds.value(kinds.size() - 2), QStringLiteral("progress"));
        QCOMPARE(percents.last(), 100);
    }
}

} // namespace

void tst_SNJobContract::uploadJobs_data()
{
    QTest::addColumn<Subject>("subject");
    QTest::addColumn<Scenario>("scenario");
    for (const Subject subject : {FAKE, ENGINE}) {
        const char *name = subject == FAKE ? "fake" : "engine";
        QTest::addRow("%s: success", name) << subject << SUCCESS;
        QTest::addRow("%s: failure", name) << subject << FAILURE;
        QTest::addRow("%s: cancel before connect", name) << subject << CANCEL_BEFORE_CONNECT;
        QTest::addRow("%s: cancel mid-body", name) << subject << CANCEL_MID_BODY;
        QTest::addRow("%s: cancel during server processing", name) << subject << CANCEL_DURING_PROCESSING;
        QTest::addRow("%s: cancel after the end", name) << subject << CANCEL_AFTER_END;
        QTest::addRow("%s: listener deleted mid-job", name) << subject << LISTENER_DELETED;
    }
}

void tst_SNJobContract::uploadJobs()
{
    QFETCH(Subject, subject);
    QFETCH(Scenario, scenario);

    std::unique_ptr<SampleRig> rig;
    std::unique_ptr<FakeSNService> fake;
    SNService *service = nullptr;
    QString path;
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    // Whether the work has gone past the whole body and waits for the server's answer.
    std::function<bool()> processing;

    if (subject == FAKE) {
        fake = std::make_unique<FakeSNService>(QStringLiteral("sample"));
        service = fake.get();
        path = QStringLiteral("/nowhere/clip.avi");
        const QList<FakeStep> start{FakeStep::connecting(), FakeStep::working()};
        switch (scenario) {
        case SUCCESS:
        case CANCEL_AFTER_END:
            fake->scriptNext(FakeSNService::OP_UPLOAD,
                             start
                                 + QList<FakeStep>{FakeStep::progress(10), FakeStep::progress(10),
                                                   FakeStep::progress(60), FakeStep::uploaded({}, {})});
            break;
        case FAILURE:
            fake->scriptNext(FakeSNService::OP_UPLOAD,
                             start + QList<FakeStep>{FakeStep::progress(40), FakeStep::fail(SN_ERR_PROTOCOL)});
            break;
        case CANCEL_MID_BODY:
            fake->scriptNext(FakeSNService::OP_UPLOAD,
                             start
                                 + QList<FakeStep>{FakeStep::progress(30), FakeStep::hold(), FakeStep::progress(80),
                                                   FakeStep::uploaded({}, {})});
            break;
        case CANCEL_DURING_PROCESSING:
            fake->scriptNext(FakeSNService::OP_UPLOAD, start
                                                           + QList<FakeStep>{FakeStep::progress(100), FakeStep::hold(),
                                                                             FakeStep::uploaded({}, {})});
            processing = [&fake] { return fake->lastJob() && fake->lastJob()->isHeld(); };
            break;
        case LISTENER_DELETED:
            fake->scriptNext(FakeSNService::OP_UPLOAD,
                             start
                                 + QList<FakeStep>{FakeStep::progress(30), FakeStep::wait(50), FakeStep::progress(70),
                                                   FakeStep::wait(50), FakeStep::uploaded({}, {})});
            break;
        case CANCEL_BEFORE_CONNECT:
            break;
        }
    } else {
        rig = std::make_unique<SampleRig>();
        service = rig->handle;
        rig->addGrantedAccount(account.userName);
        const bool large = scenario == CANCEL_MID_BODY || scenario == LISTENER_DELETED;
        path = rig->writeFile(QStringLiteral("clip.avi"), large ? 900 * 1024 : 300 * 1024);
        rig->handle->setParameter(QStringLiteral("simple_limit"), QString::number(4 * 1024 * 1024));
        const QString files = QStringLiteral("/v1/files");
        switch (scenario) {
        case SUCCESS:
        case CANCEL_AFTER_END:
        case CANCEL_MID_BODY:
        case LISTENER_DELETED:
            // Read slowly, so that the transfer shows progress on its way.
            rig->server.addFault("POST", files, HttpFault::slowRead(32 * 1024, 5));
            break;
        case FAILURE:
            rig->server.addFault("POST", files, HttpFault::replyWith(HttpReply::json(403, {})));
            break;
        case CANCEL_DURING_PROCESSING:
            rig->server.addFault("POST", files, HttpFault::delayReply(5000));
            processing = [&rig, files] {
                const QList<RecordedRequest> posted = rig->server.requests("POST", files);
                return !posted.isEmpty() && posted.first().complete;
            };
            break;
        case CANCEL_BEFORE_CONNECT:
            break;
        }
    }

    QPointer<JobProbe> probe = new JobProbe;
    if (scenario == SUCCESS) {
        // A listener that waits in a nested event loop gets no other report of its job meanwhile.
        probe->reaction = [](const JobProbe::Report &report) {
            if (report.kind == QLatin1String("working")) {
                QEventLoop loop;
                QTimer::singleShot(80, &loop, &QEventLoop::quit);
                loop.exec();
            }
        };
    }
    if (scenario == CANCEL_MID_BODY) {
        probe->reaction = [](const JobProbe::Report &report) {
            if (report.kind == QLatin1String("progress") && report.percent > 0)
                report.job->cancel();
        };
    }
    if (scenario == CANCEL_AFTER_END) {
        probe->releaseAtEnd = false;
        probe->reaction = [](const JobProbe::Report &report) {
            if (report.kind == QLatin1String("uploaded"))
                report.job->cancel();
        };
    }

    SNJob *job = nullptr;
    probe->starting = true;
    const int started = service->uploadFile(&account, QStringLiteral("Quillo"), path, QStringLiteral("Lesson"),
                                            QString(), QString(), {}, {}, &job, probe);
    probe->starting = false;
    QCOMPARE(started, 0);
    QVERIFY(job);
    QPointer<SNJob> watch(job);
    QVERIFY(probe->reports().isEmpty());

    switch (scenario) {
    case CANCEL_BEFORE_CONNECT:
        job->cancel();
        break;
    case CANCEL_DURING_PROCESSING:
        QTRY_VERIFY_WITH_TIMEOUT(processing(), 10000);
        job->cancel();
        break;
    case LISTENER_DELETED: {
        QTRY_VERIFY_WITH_TIMEOUT(probe->percents().value(1, 0) > 0, 10000);
        delete probe;
        // The work goes on to its end unreported, then the job frees itself.
        QTRY_VERIFY_WITH_TIMEOUT(!watch, 15000);
        if (rig)
            QCOMPARE(rig->service.fileCount(), 1);
        return;
    }
    default:
        break;
    }

    QElapsedTimer clock;
    clock.start();
    settle(*probe);
    QVERIFY(probe->rulesKept());
    QCOMPARE(probe->endCount(), 1);
    checkProgress(*probe);
    const JobProbe::Report end = probe->end();
    switch (scenario) {
    case SUCCESS:
    case CANCEL_AFTER_END:
        QCOMPARE(end.kind, QStringLiteral("uploaded"));
        QVERIFY(!end.id.isEmpty());
        if (rig) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            QCOMPARE(rig->service.file(end.id), file.readAll());
            QVERIFY(probe->percents().size() >= 3);
        }
        if (scenario == CANCEL_AFTER_END) {
            job->cancel();
            QTest::qWait(30);
            QCOMPARE(probe->endCount(), 1);
            job->release();
        }
        break;
    case FAILURE:
        QCOMPARE(end.kind, QStringLiteral("failed"));
        QCOMPARE(end.code, subject == FAKE ? int(SN_ERR_PROTOCOL) : int(SN_ERR_PRIVILEGE));
        break;
    case CANCEL_BEFORE_CONNECT:
        QCOMPARE(probe->kinds(), QStringList{QStringLiteral("failed")});
        QCOMPARE(end.code, int(SN_ERR_CANCELLED));
        if (rig)
            QVERIFY(rig->server.requests("POST", QStringLiteral("/v1/files")).isEmpty());
        break;
    case CANCEL_MID_BODY:
    case CANCEL_DURING_PROCESSING:
        QCOMPARE(end.kind, QStringLiteral("failed"));
        QCOMPARE(end.code, int(SN_ERR_CANCELLED));
        QVERIFY2(clock.elapsed() < 3000, "cancel ends the job at once");
        if (rig && scenario == CANCEL_MID_BODY) {
            QVERIFY(!rig->server.requests("POST", QStringLiteral("/v1/files")).first().complete);
            QCOMPARE(rig->service.fileCount(), 0);
        }
        break;
    case LISTENER_DELETED:
        break;
    }
    // The listener released the job at its end (or the test did): it is gone.
    QTRY_VERIFY(!watch);
    delete probe;
}

void tst_SNJobContract::accessJobs_data()
{
    QTest::addColumn<Subject>("subject");
    QTest::addColumn<bool>("cancelAtOnce");
    QTest::addColumn<bool>("granted");
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<int>("code");
    const QStringList ok{QStringLiteral("connecting"), QStringLiteral("working"), QStringLiteral("completed")};
    const QStringList cancelled{QStringLiteral("failed")};
    QTest::newRow("fake: checked") << FAKE << false << true << ok << 0;
    QTest::newRow("fake: cancelled at once") << FAKE << true << true << cancelled << int(SN_ERR_CANCELLED);
    QTest::newRow("engine: checked") << ENGINE << false << true << ok << 0;
    QTest::newRow("engine: cancelled at once") << ENGINE << true << true << cancelled << int(SN_ERR_CANCELLED);
    // No grant is a failure on the next turn, never a refusal inside the call.
    QTest::newRow("engine: no grant") << ENGINE << false << false
                                      << QStringList{QStringLiteral("connecting"), QStringLiteral("failed")}
                                      << int(SN_ERR_AUTHORIZATION);
}

void tst_SNJobContract::accessJobs()
{
    QFETCH(Subject, subject);
    QFETCH(bool, cancelAtOnce);
    QFETCH(bool, granted);
    QFETCH(QStringList, kinds);
    QFETCH(int, code);

    std::unique_ptr<SampleRig> rig;
    std::unique_ptr<FakeSNService> fake;
    SNService *service = nullptr;
    if (subject == FAKE) {
        fake = std::make_unique<FakeSNService>(QStringLiteral("sample"));
        service = fake.get();
    } else {
        rig = std::make_unique<SampleRig>();
        service = rig->handle;
        if (granted)
            rig->addGrantedAccount(QStringLiteral("teacher"));
    }
    JobProbe probe;
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    SNJob *job = nullptr;
    probe.starting = true;
    QCOMPARE(service->startAccessJob(&account, &job, &probe), 0);
    probe.starting = false;
    QVERIFY(job);
    if (cancelAtOnce)
        job->cancel();
    settle(probe);
    QVERIFY(probe.rulesKept());
    QCOMPARE(probe.kinds(), kinds);
    QCOMPARE(probe.end().code, code);
}

void tst_SNJobContract::refusedAtOnceOnlyForMissingArgumentsAndTheAtSign()
{
    SampleRig rig;
    FakeSNService fake(QStringLiteral("youtube"));
    rig.manager.registerProvider(QStringLiteral("youtube"), [] { return std::make_unique<SampleProvider>(); });
    SNService *engine = rig.manager.service(QStringLiteral("youtube"));
    JobProbe probe;
    SNJob *job = nullptr;
    AccountRecord at{QString(), QStringLiteral("teacher@school.org"), QString()};
    for (SNService *service : {static_cast<SNService *>(&fake), engine}) {
        QCOMPARE(service->startAccessJob(&at, &job, &probe), int(SN_ERR_CREDENTIALS_REFUSED));
        QCOMPARE(service->startAccessJob(nullptr, &job, &probe) < 0, true);
        QCOMPARE(service->startAccessJob(&at, nullptr, &probe) < 0, true);
    }
    QVERIFY(!job);
    // Other services take the "@", and so does the video-sharing service for anything but the account check.
    AccountRecord plain{QString(), QStringLiteral("teacher@school.org"), QString()};
    QCOMPARE(rig.handle->startAccessJob(&plain, &job, &probe), 0);
    QVERIFY(job);
    job->release();
    job = nullptr;
    QCOMPARE(engine->requestToken(&at, &job, &probe), 0);
    job->release();
    QTest::qWait(30);
    QVERIFY(probe.reports().isEmpty());
}

void tst_SNJobContract::releaseInsideTheEndReportFreesTheJob()
{
    FakeSNService fake(QStringLiteral("sample"));
    JobProbe probe;
    // A listener that starts its next job from inside the end report of the first.
    SNJob *second = nullptr;
    QPointer<SNJob> watchSecond;
    probe.reaction = [&](const JobProbe::Report &report) {
        if (report.kind == QLatin1String("completed") && !second) {
            AccountRecord account{QString(), QStringLiteral("t"), QString()};
            QCOMPARE(fake.startAccessJob(&account, &second, &probe), 0);
            watchSecond = second;
        }
    };
    AccountRecord account{QString(), QStringLiteral("t"), QString()};
    SNJob *first = nullptr;
    QCOMPARE(fake.startAccessJob(&account, &first, &probe), 0);
    QPointer<SNJob> watchFirst(first);
    QTRY_COMPARE(probe.endCount(), 2);
    QTRY_VERIFY(!watchFirst && !watchSecond);
    QVERIFY(probe.rulesKept());
}

void tst_SNJobContract::reportsQueuedBeforeCancelAreDropped()
{
    FakeSNService fake(QStringLiteral("sample"));
    fake.scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::connecting(), FakeStep::working(), FakeStep::progress(10),
                                               FakeStep::progress(20), FakeStep::hold(), FakeStep::uploaded({}, {})});
    JobProbe probe;
    probe.reaction = [](const JobProbe::Report &report) {
        if (report.kind == QLatin1String("connecting"))
            report.job->cancel();
    };
    AccountRecord account{QString(), QStringLiteral("t"), QString()};
    SNJob *job = nullptr;
    QCOMPARE(fake.uploadFile(&account, {}, QStringLiteral("/a.jpg"), {}, {}, {}, {}, {}, &job, &probe), 0);
    settle(probe);
    QCOMPARE(probe.kinds(), (QStringList{QStringLiteral("connecting"), QStringLiteral("failed")}));
    QCOMPARE(probe.end().code, int(SN_ERR_CANCELLED));
}

void tst_SNJobContract::unreleasedJobGoesWithItsListener()
{
    SampleRig rig;
    rig.addGrantedAccount();
    const QString path = rig.writeFile(QStringLiteral("a.jpg"), 1000);
    QPointer<JobProbe> probe = new JobProbe;
    probe->releaseAtEnd = false;
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    SNJob *job = nullptr;
    QCOMPARE(rig.handle->uploadFile(&account, {}, path, {}, {}, {}, {}, {}, &job, probe), 0);
    QPointer<SNJob> watch(job);
    settle(*probe);
    // Its caller never released it; it stays while the listener might still use it.
    QVERIFY(watch);
    delete probe;
    QTRY_VERIFY(!watch);
}

QUILLO_TEST_MAIN(tst_SNJobContract)
#include "tst_SNJobContract.moc"
