#include "SampleRig.h"

#include "JobProbe.h"
#include "MemoryWatch.h"
#include "OAuthGrant.h"
#include "SampleProvider.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

SampleRig::SampleRig()
    : service(server)
    , store(new MemoryAccountStore)
{
    manager.setAccountStore(store);
    manager.setTimings(quickTimings());
    manager.registerProvider(QString::fromLatin1(kService), [] { return std::make_unique<SampleProvider>(); });
    for (const char *role : {"auth", "token", "api", "content"})
        manager.setEndpoint(QString::fromLatin1(kService), QString::fromLatin1(role), server.url(QString()));
    handle = manager.service(QString::fromLatin1(kService));
    handle->setParameter(QStringLiteral("client_id"), QString::fromLatin1(SampleServiceEmulation::kClientId));
}

SNTimings SampleRig::quickTimings()
{
    SNTimings timings;
    timings.backoffMs = {10, 20, 40, 80, 160};
    timings.retryAfterCapMs = 2000;
    timings.interactiveStallMs = 5000;
    timings.scheduledStallMs = 5000;
    timings.grantWaitMs = 20000;
    timings.devicePollMs = 20;
    return timings;
}

AccountRecord SampleRig::addGrantedAccount(const QString &label, int lifetimeSeconds)
{
    const AccountRecord account{QString(), label, QString()};
    store->addAccount(QString::fromLatin1(kService), account);
    OAuthGrant grant;
    const auto [access, refresh] = service.oauth().issueTokens();
    grant.accessToken = access;
    grant.refreshToken = refresh;
    grant.clientId = QString::fromLatin1(SampleServiceEmulation::kClientId);
    grant.expiresAt = QDateTime::currentDateTimeUtc().addSecs(lifetimeSeconds);
    QMap<QString, QString> params;
    grant.writeTo(params);
    store->setParams(QString::fromLatin1(kService), label, params);
    return store->storedAccount(QString::fromLatin1(kService));
}

QString SampleRig::writeFile(const QString &name, qint64 size)
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

void SampleRig::checkBoundedAnswer(const QByteArray &method, const QString &path, const HttpFault &fault,
                                   int deadlineMs, int code)
{
    SNTimings timings = quickTimings();
    timings.answerDeadlineMs = deadlineMs;
    manager.setTimings(timings);
    server.addFault(method, path, fault);
    const MemoryWatch memory;
    QElapsedTimer clock;
    clock.start();
    JobProbe probe;
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    SNJob *job = nullptr;
    QCOMPARE(handle->startAccessJob(&account, &job, &probe), 0);
    // Generous deadline: it catches a job that goes on reading.
    QVERIFY2(QTest::qWaitFor([&probe] { return probe.hasEnded(); }, 10000),
             qPrintable(QStringLiteral("still running after %1 ms").arg(clock.elapsed())));
    QCOMPARE(probe.end().code, code);
    qInfo("ended after %lld ms; memory rose by at most %lld KiB while the server sent %lld bytes", clock.elapsed(),
          memory.peakRise() / 1024, server.streamedBytes());
    QVERIFY2(memory.peakRise() < kAnswerMemoryBound, qPrintable(QString::number(memory.peakRise())));
}
