#include "ProviderRig.h"

#include "OAuthGrant.h"
#include "OAuthServerEmulation.h"
#include "SNJob.h"
#include "SampleRig.h"
#include "TestEnvironment.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

// Long enough for a few megabytes with retries on a loaded machine; a job that hangs still fails the test.
constexpr int kJobWaitMs = 30000;

AccountRecord teacher(const QString &label = QStringLiteral("teacher"))
{
    return {QString(), label, QString()};
}

JobProbe::Report waitForEnd(JobProbe &probe, int started)
{
    if (started != 0) {
        JobProbe::Report refused;
        refused.kind = QStringLiteral("refused");
        refused.code = started;
        return refused;
    }
    if (!QTest::qWaitFor([&probe] { return probe.hasEnded(); }, kJobWaitMs))
        return {};
    return probe.end();
}

} // namespace

ProviderRig::ProviderRig(const QString &name, SocialNetworkManager::ProviderFactory factory, const QStringList &roles)
    : store(new MemoryAccountStore)
    , serviceName(name)
{
    manager.setAccountStore(store);
    manager.setTimings(SampleRig::quickTimings());
    manager.registerProvider(name, std::move(factory));
    for (const QString &role : roles)
        manager.setEndpoint(name, role, server.url(QString()));
    handle = manager.service(name);
}

void ProviderRig::addGrantedAccount(OAuthServerEmulation &oauth, const QString &clientId, const QString &label)
{
    store->addAccount(serviceName, teacher(label));
    OAuthGrant grant;
    const auto [access, refresh] = oauth.issueTokens();
    grant.accessToken = access;
    grant.refreshToken = refresh;
    grant.clientId = clientId;
    grant.expiresAt = QDateTime::currentDateTimeUtc().addSecs(3600);
    QMap<QString, QString> params;
    grant.writeTo(params);
    store->setParams(serviceName, label, params);
}

QString ProviderRig::writeFile(const QString &name, qint64 size)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QRandomGenerator random(static_cast<quint32>(size));
    QByteArray block(64 * 1024, Qt::Uninitialized);
    for (qint64 written = 0; written < size;) {
        random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        written += file.write(block.constData(), qMin<qint64>(block.size(), size - written));
    }
    return path;
}

QByteArray ProviderRig::contents(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

JobProbe::Report ProviderRig::checkAccount(const QString &label)
{
    JobProbe probe;
    AccountRecord account = teacher(label);
    SNJob *job = nullptr;
    return waitForEnd(probe, handle->startAccessJob(&account, &job, &probe));
}

JobProbe::Report ProviderRig::upload(const QString &path, bool isVideo, const QString &title,
                                     const QString &description, const QStringList &keywords)
{
    JobProbe probe;
    AccountRecord account = teacher();
    SNJob *job = nullptr;
    const QString app = QString::fromLatin1(kAppText);
    const int started =
        isVideo
            ? handle->uploadVideoFile(&account, app, path, title, QString(), description, keywords, {}, &job, &probe)
            : handle->uploadFile(&account, app, path, title, QString(), description, keywords, {}, &job, &probe);
    return waitForEnd(probe, started);
}

JobProbe::Report ProviderRig::uploadScheduled(const QString &path, bool isVideo)
{
    JobProbe probe;
    SNJob *job = nullptr;
    const QString app = QString::fromLatin1(kAppText);
    const int started =
        isVideo ? handle->uploadVideo(app, path, QStringLiteral("Lesson"), QString(), QString(), {}, {}, &job, &probe)
                : handle->uploadImage(app, path, QStringLiteral("Lesson"), QString(), QString(), {}, {}, &job, &probe);
    return waitForEnd(probe, started);
}

JobProbe::Report ProviderRig::remove(const QString &path)
{
    JobProbe probe;
    SNJob *job = nullptr;
    return waitForEnd(probe, handle->removeFile(path, &job, &probe));
}

QUrl ProviderRig::requestToken(const QString &label)
{
    TestEnvironment::clearOpenedUrls();
    JobProbe probe;
    AccountRecord account = teacher(label);
    SNJob *job = nullptr;
    const JobProbe::Report end = waitForEnd(probe, handle->requestToken(&account, &job, &probe));
    if (end.kind != QLatin1String("completed"))
        return {};
    QDesktopServices::openUrl(QUrl(end.result.value(QStringLiteral("redirect")).toString()));
    if (!QTest::qWaitFor([] { return !TestEnvironment::openedUrls().isEmpty(); }, 5000))
        return {};
    return TestEnvironment::openedUrls().value(0);
}
