#include "JobProbe.h"
#include "ProviderRig.h"
#include "SNJob.h"
#include "SNService.h"
#include "SocialNetworkManager.h"
#include "TestEnvironment.h"
#include "TwitpicProvider.h"
#include "UploadErrorCode.h"

// Which services the program's manager speaks, and the closed service's jobs.
class tst_UploadProviders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theProgramsManagerHasTheBuiltProviders_data();
    void theProgramsManagerHasTheBuiltProviders();
    void theClosedServiceFailsEveryJobUnsent_data();
    void theClosedServiceFailsEveryJobUnsent();
};

void tst_UploadProviders::theProgramsManagerHasTheBuiltProviders_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("file storage") << "dropboxOAuth";
    QTest::newRow("picture posting") << "twitpic";
    QTest::newRow("video") << "youtube";
    QTest::newRow("photos") << "picasa";
    QTest::newRow("social network") << "facebook";
}

void tst_UploadProviders::theProgramsManagerHasTheBuiltProviders()
{
    QFETCH(QString, name);
    SNService *handle = SocialNetworkManager::getSocialNetworkManager()->service(name);
    QVERIFY(handle);
    QCOMPARE(handle->name(), name);
    handle->release();
}

void tst_UploadProviders::theClosedServiceFailsEveryJobUnsent_data()
{
    QTest::addColumn<QString>("job");
    QTest::newRow("sign in") << "token";
    QTest::newRow("account check") << "check";
    QTest::newRow("upload") << "upload";
    QTest::newRow("scheduled video") << "scheduled";
    QTest::newRow("removal") << "remove";
}

void tst_UploadProviders::theClosedServiceFailsEveryJobUnsent()
{
    QFETCH(QString, job);
    ProviderRig rig(QStringLiteral("twitpic"), [] { return std::make_unique<TwitpicProvider>(); },
                    {QStringLiteral("api")});
    // An account stored by an older version, with its name only.
    rig.store->addAccount(QStringLiteral("twitpic"), {QString(), QStringLiteral("teacher"), QString()});
    const QString path = rig.writeFile(QStringLiteral("1.jpg"), 100);

    JobProbe::Report end;
    if (job == QLatin1String("token")) {
        JobProbe probe;
        AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
        SNJob *started = nullptr;
        QCOMPARE(rig.handle->requestToken(&account, &started, &probe), 0);
        QVERIFY(QTest::qWaitFor([&probe] { return probe.hasEnded(); }, 5000));
        end = probe.end();
    } else if (job == QLatin1String("check")) {
        end = rig.checkAccount();
    } else if (job == QLatin1String("upload")) {
        end = rig.upload(path);
    } else if (job == QLatin1String("scheduled")) {
        end = rig.uploadScheduled(path, true);
    } else {
        end = rig.remove(QStringLiteral("1.jpg"));
    }
    QCOMPARE(end.kind, QStringLiteral("failed"));
    QCOMPARE(end.code, int(SN_ERR_UNREACHABLE));
    QVERIFY(rig.server.requests().isEmpty());
    QCOMPARE(rig.store->storedAccount(QStringLiteral("twitpic")).userName, QStringLiteral("teacher"));
}

QUILLO_TEST_MAIN(tst_UploadProviders)
#include "tst_UploadProviders.moc"
