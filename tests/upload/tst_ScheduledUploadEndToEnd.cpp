#include "DialogWatchdog.h"
#include "DropboxProvider.h"
#include "DropboxServiceEmulation.h"
#include "LocalHttpServer.h"
#include "MessageBoxScript.h"
#include "OAuthGrant.h"
#include "RC4SimpleSNAccountFileStore.h"
#include "SNService.h"
#include "SampleRig.h"
#include "ScheduleItem.h"
#include "ScheduleManager.h"
#include "SocialNetworkManager.h"
#include "TestEnvironment.h"
#include "UploadImpl.h"
#include "UploadServiceBit.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>

// A queued upload through the real file-hosting protocol against its emulation on the local server: the
// account and its grant come from the account file, the job outlives a restart of the service and its
// manager, and the copy arrives byte for byte once its time has come.
class tst_ScheduledUploadEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void queuedUploadSurvivesARestart();
    // Last: after it the program's service is gone for good.
    void programServiceIsTakenDownAtQuit();
};

namespace {

const QString kDropbox = QStringLiteral("dropboxOAuth");

// The library's manager as the program has it, with the file-hosting protocol pointed at the server.
std::unique_ptr<SocialNetworkManager> managerFor(LocalHttpServer &server)
{
    auto manager = std::make_unique<SocialNetworkManager>();
    manager->setTimings(SampleRig::quickTimings());
    manager->registerProvider(kDropbox, [] { return std::make_unique<DropboxProvider>(); });
    for (const char *role : {"auth", "token", "api", "content"})
        manager->setEndpoint(kDropbox, QString::fromLatin1(role), server.url(QString()));
    return manager;
}

// The service over the data folder; the application's key is not built into test programs.
std::unique_ptr<UploadImpl> serviceOver(SocialNetworkManager *manager, const QString &folder,
                                        const UploadImpl::Clock &clock)
{
    auto service = std::make_unique<UploadImpl>(manager, folder, clock);
    service->serviceHandle(SERVICE_DROPBOX)
        ->setParameter(QStringLiteral("consumer_key"), QString::fromLatin1(DropboxServiceEmulation::kClientId));
    return service;
}

} // namespace

void tst_ScheduledUploadEndToEnd::queuedUploadSurvivesARestart()
{
    LocalHttpServer server;
    DropboxServiceEmulation emulation(server);
    QTemporaryDir folder;
    {
        // A grant the user gave in an earlier run, as the account file keeps it.
        RC4SimpleSNAccountFileStore store(folder.filePath(QStringLiteral("SNAccountFile.dat")),
                                          UploadImpl::accountFileKey());
        store.load();
        store.addAccount(kDropbox, {QString(), QStringLiteral("teacher"), QString()});
        OAuthGrant grant;
        const auto [access, refresh] = emulation.oauth().issueTokens();
        grant.accessToken = access;
        grant.refreshToken = refresh;
        grant.clientId = QString::fromLatin1(DropboxServiceEmulation::kClientId);
        grant.expiresAt = QDateTime::currentDateTimeUtc().addSecs(3600);
        QMap<QString, QString> params;
        grant.writeTo(params);
        store.setParams(kDropbox, QStringLiteral("teacher"), params);
    }
    const QString media = folder.filePath(QStringLiteral("Lesson board.png"));
    QByteArray picture(300 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7 + i / 251);
    {
        QFile file(media);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(picture);
    }

    qint64 offsetMs = 0;
    const UploadImpl::Clock clock = [&offsetMs] { return QDateTime::currentDateTime().addMSecs(offsetMs); };
    DialogWatchdog watchdog;
    MessageBoxScript boxes;
    const QDateTime due = clock().addSecs(3600);
    {
        auto manager = managerFor(server);
        auto service = serviceOver(manager.get(), folder.path(), clock);
        QCOMPARE(service->account(SERVICE_DROPBOX).userName, QStringLiteral("teacher"));
        service->queueImageUpload({{SERVICE_DROPBOX, due}}, media, QStringLiteral("Lesson board"), {}, {}, {});
        QCOMPARE(service->scheduleManager()->items().at(0)->state(), int(JOB_QUEUED));
    }
    QVERIFY(emulation.paths().isEmpty());

    auto manager = managerFor(server);
    auto service = serviceOver(manager.get(), folder.path(), clock);
    QVERIFY(boxes.shown().isEmpty());
    QSignalSpy succeeded(service.get(), &UploadIntf::uploadSucceeded);
    QSignalSpy failed(service.get(), &UploadIntf::uploadFailed);
    ScheduleItem *job = service->scheduleManager()->items().value(0);
    QVERIFY(job);
    QCOMPARE(job->time(), due);
    QVERIFY(job->armedInterval() > 0);

    // The time comes (the next look at the clock finds it due).
    offsetMs = 3601 * 1000;
    QVERIFY(QMetaObject::invokeMethod(job, "startTimerFired"));
    QTRY_COMPARE_WITH_TIMEOUT(succeeded.size() + failed.size(), 1, 30000);
    QCOMPARE(failed.size(), 0);
    const QList<QVariant> report = succeeded.at(0);
    QCOMPARE(report.at(0).toUInt(), uint(SERVICE_DROPBOX));
    QCOMPARE(report.at(1).toString(), media);
    QCOMPARE(report.at(2).toString(), QStringLiteral("Lesson board.png"));
    QVERIFY(!report.at(3).toString().isEmpty());
    QCOMPARE(emulation.file(QStringLiteral("/public/Quillo/Lesson board.png")), picture);
    QCOMPARE(job->state(), int(JOB_SUCCEEDED));
    QCOMPARE(job->result(), report.at(3).toString());
}

void tst_ScheduledUploadEndToEnd::programServiceIsTakenDownAtQuit()
{
    DialogWatchdog watchdog;
    UploadImpl *service = UploadImpl::getInstance();
    QVERIFY(service);
    QCOMPARE(UploadImpl::getInstance(), service);
    QPointer<ScheduleManager> manager = service->scheduleManager();
    service->queueVideoUpload({{SERVICE_YOUTUBE, QDateTime::currentDateTime().addDays(2)}}, QStringLiteral("/m/a.avi"),
                              QStringLiteral("T"), {}, {}, {});
    const QString file = UploadImpl::defaultDataFolder() + QStringLiteral("/SNScheduleFile.dat");
    QVERIFY(QFile::remove(file));

    QVERIFY(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
    // The last save ran while the application was still there, and nothing starts the service again.
    QVERIFY(!manager);
    QVERIFY(QFile::exists(file));
    QCOMPARE(UploadImpl::getInstance(), nullptr);
}

QUILLO_TEST_MAIN(tst_ScheduledUploadEndToEnd)
#include "tst_ScheduledUploadEndToEnd.moc"
