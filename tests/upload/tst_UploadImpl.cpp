#include "HiddenFileList.h"
#include "NetworkSNService.h"
#include "SNService.h"
#include "SampleProvider.h"
#include "SocialNetworkManager.h"
#include "TestEnvironment.h"
#include "UploadImpl.h"
#include "UploadServiceBit.h"
#include "UploadServiceParameters.h"

#include <QApplication>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

// The part of the upload service that sits on the library: the manager and its account file, the service
// handles and their parameters, the account cache and the emitters.
class tst_UploadImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handlesFollowTheServiceBits();
    void everyServiceGetsItsParameters();
    void accountsOutliveTheService();
    void emittersEmitTheServiceSignals();
};

namespace {

// The service with its account cache in reach.
class ServiceUnderTest : public UploadImpl
{
public:
    ServiceUnderTest(SocialNetworkManager *manager, const QString &folder)
        : UploadImpl(manager, folder)
    {
    }
    using UploadImpl::cachedAccount;
};

// A manager that speaks the sample protocol under every service name.
void registerEverywhere(SocialNetworkManager &manager)
{
    for (const UploadServiceName &entry : kUploadServiceNames)
        manager.registerProvider(entry.name.toString(), [] { return std::make_unique<SampleProvider>(); });
}

} // namespace

void tst_UploadImpl::handlesFollowTheServiceBits()
{
    QTemporaryDir folder;
    SocialNetworkManager manager;
    registerEverywhere(manager);
    {
        ServiceUnderTest service(&manager, folder.path());
        const QList<QPair<uint, QString>> expected{{SERVICE_YOUTUBE, QStringLiteral("youtube")},
                                                   {SERVICE_FACEBOOK, QStringLiteral("facebook")},
                                                   {SERVICE_PICASA, QStringLiteral("picasa")},
                                                   {SERVICE_TWITPIC, QStringLiteral("twitpic")},
                                                   {SERVICE_DROPBOX, QStringLiteral("dropboxOAuth")}};
        for (const auto &[bit, name] : expected) {
            QVERIFY(service.serviceHandle(bit));
            QCOMPARE(service.serviceHandle(bit)->name(), name);
            QVERIFY(service.cachedAccount(bit));
            QCOMPARE(static_cast<NetworkSNService *>(service.serviceHandle(bit))->holderCount(), 1);
        }
        for (const uint bit : {0u, 3u, 32u, 0xFFFFFFFFu}) {
            QVERIFY(!service.serviceHandle(bit));
            QVERIFY(!service.cachedAccount(bit));
        }
    }
    // The service gave every handle back.
    for (const UploadServiceName &entry : kUploadServiceNames) {
        auto *handle = static_cast<NetworkSNService *>(manager.service(entry.name.toString()));
        QCOMPARE(handle->holderCount(), 1);
    }
}

void tst_UploadImpl::everyServiceGetsItsParameters()
{
    QTemporaryDir folder;
    SocialNetworkManager manager;
    registerEverywhere(manager);
    ServiceUnderTest service(&manager, folder.path());
    const QList<UploadServiceParameters::Parameter> parameters = UploadServiceParameters::all();
    QCOMPARE(parameters.size(), 12);
    for (const UploadServiceParameters::Parameter &parameter : parameters) {
        auto *handle = static_cast<NetworkSNService *>(service.serviceHandle(uploadServiceBit(parameter.service)));
        QCOMPARE(handle->parameter(parameter.key), parameter.value);
    }
    QCOMPARE(
        static_cast<NetworkSNService *>(service.serviceHandle(SERVICE_DROPBOX))->parameter(QStringLiteral("app_name")),
        QStringLiteral("LumoQuillo"));
    QCOMPARE(UploadServiceParameters::buildOption(QStringLiteral("picasa"), QStringLiteral("devkey")),
             QStringLiteral("QUILLO_GOOGLE_CLIENT_ID"));
    QCOMPARE(UploadServiceParameters::buildOption(QStringLiteral("dropboxOAuth"), QStringLiteral("consumer_secrete")),
             QStringLiteral("QUILLO_DROPBOX_APP_SECRET"));
    QVERIFY(UploadServiceParameters::buildOption(QStringLiteral("twitpic"), QStringLiteral("consumer_key")).isEmpty());
}

void tst_UploadImpl::accountsOutliveTheService()
{
    QTemporaryDir folder;
    const QString data = folder.filePath(QStringLiteral("share/Quillo"));
    SocialNetworkManager manager;
    registerEverywhere(manager);
    {
        ServiceUnderTest first(&manager, data);
        QVERIFY(first.cachedAccount(SERVICE_DROPBOX)->userName.isEmpty());
        first.serviceHandle(SERVICE_DROPBOX)->addAccount({QStringLiteral("x"), QStringLiteral("teacher"), QString()});
        first.serviceHandle(SERVICE_YOUTUBE)->addAccount({QString(), QStringLiteral("channel"), QString()});
    }
    const QString file = data + QStringLiteral("/SNAccountFile.dat");
    QVERIFY(QFileInfo(file).isFile());
    QCOMPARE(QFileInfo(file).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());

    ServiceUnderTest second(&manager, data);
    QCOMPARE(second.cachedAccount(SERVICE_DROPBOX)->userName, QStringLiteral("teacher"));
    QCOMPARE(second.cachedAccount(SERVICE_DROPBOX)->extra, QStringLiteral("x"));
    QCOMPARE(second.cachedAccount(SERVICE_YOUTUBE)->userName, QStringLiteral("channel"));
    QVERIFY(second.cachedAccount(SERVICE_PICASA)->userName.isEmpty());
    QVERIFY(!QFileInfo::exists(file + QStringLiteral(".unreadable")));
    // File managers do not show it.
    QVERIFY(HiddenFileList::names(data).contains(QStringLiteral("SNAccountFile.dat")));
}

void tst_UploadImpl::emittersEmitTheServiceSignals()
{
    QTemporaryDir folder;
    SocialNetworkManager manager;
    ServiceUnderTest service(&manager, folder.path());
    QSignalSpy succeeded(&service, &UploadIntf::uploadSucceeded);
    QSignalSpy failed(&service, &UploadIntf::uploadFailed);
    QSignalSpy cancelled(&service, &UploadIntf::uploadCancelled);
    QSignalSpy retried(&service, &UploadIntf::uploadRetryTriggered);
    service.emitUploadSucceeded(SERVICE_DROPBOX, QStringLiteral("/m/a.jpg"), QStringLiteral("a.jpg"),
                                QStringLiteral("u"));
    service.emitUploadFailed(SERVICE_PICASA, QStringLiteral("/m/b.jpg"));
    service.emitUploadCancelled(SERVICE_YOUTUBE, QStringLiteral("/m/c.avi"));
    service.emitUploadRetryTriggered(SERVICE_FACEBOOK, QStringLiteral("/m/d.jpg"));
    QCOMPARE(succeeded.value(0), (QVariantList{uint(SERVICE_DROPBOX), QStringLiteral("/m/a.jpg"),
                                               QStringLiteral("a.jpg"), QStringLiteral("u")}));
    QCOMPARE(failed.value(0), (QVariantList{uint(SERVICE_PICASA), QStringLiteral("/m/b.jpg")}));
    QCOMPARE(cancelled.value(0), (QVariantList{uint(SERVICE_YOUTUBE), QStringLiteral("/m/c.avi")}));
    QCOMPARE(retried.value(0), (QVariantList{uint(SERVICE_FACEBOOK), QStringLiteral("/m/d.jpg")}));
    // Without protocols the library has no handles: the service holds none and says so for every bit.
    QVERIFY(!service.serviceHandle(SERVICE_DROPBOX));
}

QUILLO_TEST_MAIN(tst_UploadImpl)
#include "tst_UploadImpl.moc"
