#include "JobProbe.h"
#include "LogCapture.h"
#include "NetworkJob.h"
#include "NetworkSNService.h"
#include "SNErrorMap.h"
#include "SNJob.h"
#include "SNProvider.h"
#include "SampleProvider.h"
#include "SampleRig.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"

#include <QApplication>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QTcpServer>

#include <limits>
#include <memory>

Q_DECLARE_METATYPE(HttpFault)

// The job engine against the local server: streaming, progress, resume, retries and back-off, stalls, and
// every failure mapped to the library's codes.
class tst_NetworkJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void streamedUploadWithProgress();
    void tinyFileStillReachesHundredOnce();
    void resumeAfterDropsReassemblesTheFile();
    void expiredSessionStartsAgain();
    void createIsNeverSentTwice_data();
    void createIsNeverSentTwice();
    void faultsMapToCodes_data();
    void faultsMapToCodes();
    void stallTimesOut_data();
    void stallTimesOut();
    void refusedConnection();
    void fileChecks();
    void fileVanishingBetweenChunks();
    void unconfiguredAndDiscontinuedServices();
    void scheduledUploadsWaitForASlot();
    void endpointsFromTheSettingsFile();
    void aDamagedSettingsFileSetsNoEndpoint();
    void shutdownEndsJobsWithoutReports();
    void transportErrors_data();
    void transportErrors();
    void statusCodes_data();
    void statusCodes();
    void retryAfter_data();
    void retryAfter();
    void answersAreBounded_data();
    void answersAreBounded();
    void tokenGoesOnlyToTheServicesServers_data();
    void tokenGoesOnlyToTheServicesServers();
    void sameServer_data();
    void sameServer();
};

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Uploads path for the rig's granted account and waits for the end.
std::unique_ptr<JobProbe> upload(SampleRig &rig, const QString &path)
{
    auto probe = std::make_unique<JobProbe>();
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    SNJob *job = nullptr;
    if (rig.handle->uploadFile(&account, QStringLiteral("Quillo"), path, QStringLiteral("Lesson"), QString(), QString(),
                               {}, {}, &job, probe.get())
        != 0)
        return probe;
    if (!QTest::qWaitFor([&probe] { return probe->hasEnded(); }, 20000))
        qWarning("the job did not end");
    return probe;
}

std::unique_ptr<JobProbe> checkAccount(SampleRig &rig)
{
    auto probe = std::make_unique<JobProbe>();
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    SNJob *job = nullptr;
    if (rig.handle->startAccessJob(&account, &job, probe.get()) != 0)
        return probe;
    if (!QTest::qWaitFor([&probe] { return probe->hasEnded(); }, 20000))
        qWarning("the job did not end");
    return probe;
}

class LimitedProvider : public SampleProvider
{
public:
    qint64 maximumFileSize(bool isVideo) const override { return isVideo ? 1000 : 10; }
};

class GoneProvider : public SampleProvider
{
public:
    bool isDiscontinued() const override { return true; }
};

} // namespace

void tst_NetworkJob::streamedUploadWithProgress()
{
    SampleRig rig;
    rig.addGrantedAccount();
    rig.handle->setParameter(QStringLiteral("simple_limit"), QString::number(8 * 1024 * 1024));
    const QString path = rig.writeFile(QStringLiteral("lesson.avi"), 3 * 1024 * 1024 + 17);
    rig.server.addFault("POST", QStringLiteral("/v1/files"), HttpFault::slowRead(128 * 1024, 5));

    const auto probe = upload(rig, path);
    QCOMPARE(probe->end().kind, QStringLiteral("uploaded"));
    QCOMPARE(rig.service.file(probe->end().id), contents(path));
    QCOMPARE(probe->end().url, rig.server.url(QStringLiteral("/view/") + probe->end().id).toString());
    const QList<int> percents = probe->percents();
    QVERIFY2(percents.size() >= 5, qPrintable(QStringLiteral("%1 progress reports").arg(percents.size())));
    QCOMPARE(percents.last(), 100);
    QCOMPARE(percents.count(100), 1);
    const RecordedRequest posted = rig.server.requests("POST", QStringLiteral("/v1/files")).value(0);
    QCOMPARE(posted.header("Content-Length").toLongLong(), QFile(path).size());
    QVERIFY(posted.header("Transfer-Encoding").isEmpty());
    QCOMPARE(posted.header("Authorization"), "Bearer " + rig.service.oauth().lastAccessToken().toLatin1());
    QCOMPARE(posted.query().queryItemValue(QStringLiteral("name")), QStringLiteral("lesson.avi"));
}

void tst_NetworkJob::tinyFileStillReachesHundredOnce()
{
    SampleRig rig;
    rig.addGrantedAccount();
    const auto probe = upload(rig, rig.writeFile(QStringLiteral("tiny.jpg"), 10));
    QCOMPARE(probe->end().kind, QStringLiteral("uploaded"));
    QCOMPARE(probe->percents().count(100), 1);
    QCOMPARE(probe->percents().last(), 100);
    QVERIFY(probe->rulesKept());
}

void tst_NetworkJob::resumeAfterDropsReassemblesTheFile()
{
    SampleRig rig;
    rig.addGrantedAccount();
    rig.handle->setParameter(QStringLiteral("simple_limit"), QStringLiteral("1000"));
    rig.handle->setParameter(QStringLiteral("chunk_size"), QString::number(256 * 1024));
    const QString path = rig.writeFile(QStringLiteral("lesson.avi"), 1024 * 1024 + 123);
    const QString sessions = QStringLiteral("/v1/sessions/*");
    // The second chunk is cut twice in a row, then a later one once.
    rig.server.addFault("PUT", sessions, HttpFault::dropAfterBodyBytes(100000), 2);
    rig.server.addFault("PUT", sessions, HttpFault::dropAfterBodyBytes(5000), 4);
    rig.server.addFault("PUT", sessions, HttpFault::closeAfterHeaders(), 7);

    const auto probe = upload(rig, path);
    QCOMPARE(probe->end().kind, QStringLiteral("uploaded"));
    QCOMPARE(rig.service.file(probe->end().id), contents(path));
    QCOMPARE(rig.service.fileCount(), 1);
    QCOMPARE(rig.server.requests("POST", QStringLiteral("/v1/sessions")).size(), 1);
    // After each cut the job asked how far the server got and went on from there, mid-chunk.
    QStringList ranges;
    const QList<RecordedRequest> puts = rig.server.requests("PUT", sessions);
    for (const RecordedRequest &put : puts)
        ranges.append(QString::fromLatin1(put.header("Content-Range")));
    QVERIFY2(ranges.count(QStringLiteral("bytes */1048699")) >= 3, qPrintable(ranges.join(QLatin1Char('|'))));
    QVERIFY2(ranges.contains(QStringLiteral("bytes 362144-624287/1048699")), qPrintable(ranges.join(QLatin1Char('|'))));
    QCOMPARE(probe->percents().count(100), 1);
}

void tst_NetworkJob::expiredSessionStartsAgain()
{
    SampleRig rig;
    rig.addGrantedAccount();
    rig.handle->setParameter(QStringLiteral("simple_limit"), QStringLiteral("1000"));
    rig.handle->setParameter(QStringLiteral("chunk_size"), QString::number(100 * 1024));
    const QString path = rig.writeFile(QStringLiteral("lesson.avi"), 300 * 1024);
    rig.server.addFault("PUT", QStringLiteral("/v1/sessions/*"), HttpFault::replyWith(HttpReply::json(404, {})), 2);

    const auto probe = upload(rig, path);
    QCOMPARE(probe->end().kind, QStringLiteral("uploaded"));
    QCOMPARE(rig.service.file(probe->end().id), contents(path));
    QCOMPARE(rig.server.requests("POST", QStringLiteral("/v1/sessions")).size(), 2);
}

void tst_NetworkJob::createIsNeverSentTwice_data()
{
    QTest::addColumn<HttpFault>("fault");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("stored");
    QTest::newRow("dropped mid-body") << HttpFault::dropAfterBodyBytes(50000) << int(SN_ERR_DISCONNECTED) << 0;
    QTest::newRow("taken, then closed without answer")
        << HttpFault::closeBeforeReply() << int(SN_ERR_DISCONNECTED) << 1;
    QTest::newRow("server error") << HttpFault::replyWith(HttpReply::json(500, {})) << int(SN_ERR_PROTOCOL) << 0;
    QTest::newRow("server unavailable") << HttpFault::replyWith(HttpReply::json(503, {})) << int(SN_ERR_UNREACHABLE)
                                        << 0;
    QTest::newRow("not HTTP") << HttpFault::notHttp("SSH-2.0-OpenSSH_9.2\r\n") << int(SN_ERR_DISCONNECTED) << 0;
}

void tst_NetworkJob::createIsNeverSentTwice()
{
    QFETCH(HttpFault, fault);
    QFETCH(int, code);
    QFETCH(int, stored);
    SampleRig rig;
    rig.addGrantedAccount();
    rig.server.addFault("POST", QStringLiteral("/v1/files"), fault);
    const auto probe = upload(rig, rig.writeFile(QStringLiteral("a.jpg"), 200 * 1024));
    QCOMPARE(probe->end().code, code);
    QCOMPARE(rig.server.requests("POST", QStringLiteral("/v1/files")).size(), 1);
    QCOMPARE(rig.service.fileCount(), stored);
}

void tst_NetworkJob::faultsMapToCodes_data()
{
    QTest::addColumn<QList<HttpFault>>("faults");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("requests");
    const auto status = [](int value) { return HttpFault::replyWith(HttpReply::json(value, {})); };
    const auto rateLimited = [](const QByteArray &after) {
        return HttpFault::replyWith(HttpReply::json(429, {}).header("Retry-After", after));
    };
    using Faults = QList<HttpFault>;
    QTest::newRow("400") << Faults{status(400)} << int(SN_ERR_PROTOCOL) << 1;
    QTest::newRow("403") << Faults{status(403)} << int(SN_ERR_PRIVILEGE) << 1;
    QTest::newRow("404") << Faults{status(404)} << int(SN_ERR_PROTOCOL) << 1;
    QTest::newRow("409") << Faults{status(409)} << int(SN_ERR_PROTOCOL) << 1;
    QTest::newRow("413") << Faults{status(413)} << int(SN_ERR_FILE_TOO_LARGE) << 1;
    QTest::newRow("429 waited out once") << Faults{rateLimited("0")} << 0 << 2;
    QTest::newRow("429 twice") << Faults{rateLimited("0"), rateLimited("0")} << int(SN_ERR_TOO_OFTEN) << 2;
    QTest::newRow("429 for too long") << Faults{rateLimited("120")} << int(SN_ERR_TOO_OFTEN) << 1;
    QTest::newRow("429 without a time") << Faults{status(429)} << int(SN_ERR_TOO_OFTEN) << 1;
    QTest::newRow("503 once") << Faults{status(503)} << 0 << 2;
    QTest::newRow("500 until the tries are used up") << Faults(6, status(500)) << int(SN_ERR_PROTOCOL) << 6;
    QTest::newRow("502 until the tries are used up") << Faults(6, status(502)) << int(SN_ERR_UNREACHABLE) << 6;
    // The network layer itself sends a bodiless request again once when its connection closes early, so
    // these count connections rather than tries.
    QTest::newRow("closed after the headers, twice") << Faults(2, HttpFault::closeAfterHeaders()) << 0 << -1;
    QTest::newRow("closed until the tries are used up")
        << Faults(60, HttpFault::closeAfterHeaders()) << int(SN_ERR_DISCONNECTED) << -1;
    QTest::newRow("never HTTP") << Faults(60, HttpFault::notHttp("SSH-2.0-OpenSSH_9.2\r\n")) << int(SN_ERR_DISCONNECTED)
                                << -1;
    QTest::newRow("unreadable answer") << Faults{HttpFault::replyWith(HttpReply::text(200, "<html>"))}
                                       << int(SN_ERR_PROTOCOL) << 1;
    QTest::newRow("401 with a token the server dropped: renewed, sent again") << Faults{status(401)} << 0 << 2;
}

void tst_NetworkJob::faultsMapToCodes()
{
    QFETCH(QList<HttpFault>, faults);
    QFETCH(int, code);
    QFETCH(int, requests);
    SampleRig rig;
    rig.addGrantedAccount();
    for (int i = 0; i < faults.size(); ++i)
        rig.server.addFault("GET", QStringLiteral("/v1/me"), faults[i], 1);
    const auto probe = checkAccount(rig);
    QCOMPARE(probe->end().code, code);
    QCOMPARE(probe->end().kind, code == 0 ? QStringLiteral("completed") : QStringLiteral("failed"));
    if (requests >= 0)
        QCOMPARE(rig.server.requests("GET", QStringLiteral("/v1/me")).size(), requests);
    QCOMPARE(probe->endCount(), 1);
}

void tst_NetworkJob::stallTimesOut_data()
{
    QTest::addColumn<bool>("scheduled");
    QTest::addColumn<bool>("whileSending");
    QTest::newRow("immediate, server stops reading") << false << true;
    QTest::newRow("immediate, server never answers") << false << false;
    QTest::newRow("scheduled, server stops reading") << true << true;
}

void tst_NetworkJob::stallTimesOut()
{
    QFETCH(bool, scheduled);
    QFETCH(bool, whileSending);
    SampleRig rig;
    SNTimings timings = SampleRig::quickTimings();
    // Each kind of job has its own limit: the other one would not end the test in time.
    (scheduled ? timings.scheduledStallMs : timings.interactiveStallMs) = 300;
    rig.manager.setTimings(timings);
    rig.addGrantedAccount();
    rig.handle->setParameter(QStringLiteral("simple_limit"), QString::number(64 * 1024 * 1024));
    const QString path = rig.writeFile(QStringLiteral("big.avi"), whileSending ? 2 * 1024 * 1024 : 1000);
    rig.server.addFault("POST", QStringLiteral("/v1/files"),
                        whileSending ? HttpFault::stallAfterBodyBytes(4096) : HttpFault::delayReply(20000));
    JobProbe probe;
    SNJob *job = nullptr;
    QElapsedTimer clock;
    clock.start();
    if (scheduled) {
        rig.handle->addAccount({QString(), QStringLiteral("teacher"), QString()});
        QCOMPARE(rig.handle->uploadVideo(QStringLiteral("Quillo"), path, QStringLiteral("t"), {}, {}, {}, {}, &job,
                                         &probe),
                 0);
    } else {
        AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
        QCOMPARE(rig.handle->uploadVideoFile(&account, QStringLiteral("Quillo"), path, QStringLiteral("t"), {}, {}, {},
                                             {}, &job, &probe),
                 0);
    }
    QTRY_VERIFY_WITH_TIMEOUT(probe.hasEnded(), 10000);
    QCOMPARE(probe.end().code, int(SN_ERR_TIMED_OUT));
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.server.requests("POST", QStringLiteral("/v1/files")).size(), 1);
}

void tst_NetworkJob::refusedConnection()
{
    SampleRig rig;
    rig.addGrantedAccount();
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress(QHostAddress::LocalHost), 0));
    const quint16 port = closed.serverPort();
    closed.close();
    rig.manager.setEndpoint(QString::fromLatin1(SampleRig::kService), QStringLiteral("api"),
                            QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)));
    QCOMPARE(checkAccount(rig)->end().code, int(SN_ERR_CANNOT_CONNECT));
}

void tst_NetworkJob::fileChecks()
{
    SampleRig rig;
    rig.addGrantedAccount();
    QCOMPARE(upload(rig, rig.folder.filePath(QStringLiteral("missing.jpg")))->end().code, int(SN_ERR_FILE_NOT_FOUND));
    QCOMPARE(upload(rig, rig.folder.path())->end().code, int(SN_ERR_FILE_NOT_FOUND));

    rig.manager.registerProvider(QStringLiteral("limited"), [] { return std::make_unique<LimitedProvider>(); });
    SNService *limited = rig.manager.service(QStringLiteral("limited"));
    limited->setParameter(QStringLiteral("client_id"), QString::fromLatin1(SampleServiceEmulation::kClientId));
    rig.store->setParams(QStringLiteral("limited"), QStringLiteral("teacher"),
                         rig.store->params(QString::fromLatin1(SampleRig::kService), QStringLiteral("teacher")));
    JobProbe probe;
    SNJob *job = nullptr;
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    QCOMPARE(limited->uploadFile(&account, {}, rig.writeFile(QStringLiteral("eleven.jpg"), 11), {}, {}, {}, {}, {},
                                 &job, &probe),
             0);
    QTRY_VERIFY(probe.hasEnded());
    QCOMPARE(probe.end().code, int(SN_ERR_FILE_TOO_LARGE));
    QVERIFY(rig.server.requests().isEmpty());
}

void tst_NetworkJob::fileVanishingBetweenChunks()
{
    SampleRig rig;
    rig.addGrantedAccount();
    rig.handle->setParameter(QStringLiteral("simple_limit"), QStringLiteral("1000"));
    rig.handle->setParameter(QStringLiteral("chunk_size"), QString::number(64 * 1024));
    const QString path = rig.writeFile(QStringLiteral("lesson.avi"), 200 * 1024);
    // The file goes while the server takes the first chunk.
    rig.server.addFault("PUT", QStringLiteral("/v1/sessions/*"), HttpFault::delayReply(100));
    QTimer::singleShot(0, [&rig, path] {
        QTRY_VERIFY(!rig.server.requests("PUT", QStringLiteral("/v1/sessions/*")).isEmpty());
        QFile::remove(path);
    });
    const auto probe = upload(rig, path);
    QCOMPARE(probe->end().code, int(SN_ERR_FILE_NOT_FOUND));
    QCOMPARE(rig.server.requests("PUT", QStringLiteral("/v1/sessions/*")).size(), 1);
}

void tst_NetworkJob::unconfiguredAndDiscontinuedServices()
{
    LogCapture log;
    SampleRig rig;
    rig.addGrantedAccount();
    rig.handle->setParameter(QStringLiteral("client_id"), QString());
    QCOMPARE(checkAccount(rig)->end().code, int(SN_ERR_NOT_CONFIGURED));
    QVERIFY(log.contains(QStringLiteral("sample is not configured: build with client_id set")));
    QVERIFY(rig.server.requests().isEmpty());

    rig.manager.registerProvider(QStringLiteral("gone"), [] { return std::make_unique<GoneProvider>(); });
    SNService *gone = rig.manager.service(QStringLiteral("gone"));
    JobProbe probe;
    SNJob *job = nullptr;
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    QCOMPARE(gone->requestToken(&account, &job, &probe), 0);
    QTRY_VERIFY(probe.hasEnded());
    QCOMPARE(probe.end().code, int(SN_ERR_UNREACHABLE));
}

void tst_NetworkJob::scheduledUploadsWaitForASlot()
{
    SampleRig rig;
    rig.manager.setStartupValues(100, 1);
    rig.manager.setTimings(SampleRig::quickTimings());
    rig.addGrantedAccount();
    const QString path = rig.writeFile(QStringLiteral("clip.avi"), 100 * 1024);
    rig.server.addFault("POST", QStringLiteral("/v1/files"), HttpFault::delayReply(300), 1);
    JobProbe first;
    JobProbe second;
    JobProbe immediate;
    SNJob *job = nullptr;
    QCOMPARE(rig.handle->uploadImage(QStringLiteral("Quillo"), path, QStringLiteral("a"), {}, {}, {}, {}, &job, &first),
             0);
    QCOMPARE(
        rig.handle->uploadImage(QStringLiteral("Quillo"), path, QStringLiteral("b"), {}, {}, {}, {}, &job, &second), 0);
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    QCOMPARE(rig.handle->uploadFile(&account, QStringLiteral("Quillo"), path, QStringLiteral("c"), {}, {}, {}, {}, &job,
                                    &immediate),
             0);
    // The immediate upload does not wait for the scheduled slot.
    QTRY_VERIFY(immediate.hasEnded());
    QVERIFY(!first.hasEnded());
    QVERIFY(second.reports().isEmpty());
    QTRY_VERIFY(first.hasEnded());
    QTRY_VERIFY(second.hasEnded());
    QCOMPARE(second.kinds().first(), QStringLiteral("connecting"));
    QCOMPARE(first.end().kind, QStringLiteral("uploaded"));
    QCOMPARE(second.end().kind, QStringLiteral("uploaded"));
    QCOMPARE(rig.service.fileCount(), 3);
}

void tst_NetworkJob::endpointsFromTheSettingsFile()
{
    SampleRig rig;
    rig.addGrantedAccount();
    LocalHttpServer elsewhere;
    SampleServiceEmulation other(elsewhere);
    // A demonstration points a role at another server through Settings.ini; the test seam wins over it.
    QSettings settings(SettingImpl::settingsFilePath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("upload/other/api"), elsewhere.url(QStringLiteral("/")).toString());
    settings.sync();
    rig.manager.registerProvider(QStringLiteral("other"), [] { return std::make_unique<SampleProvider>(); });
    SNService *service = rig.manager.service(QStringLiteral("other"));
    service->setParameter(QStringLiteral("client_id"), QString::fromLatin1(SampleServiceEmulation::kClientId));
    auto *context = static_cast<NetworkSNService *>(service);
    QCOMPARE(context->endpoint(QStringLiteral("api"), QStringLiteral("/v1/me")),
             elsewhere.url(QStringLiteral("/v1/me")));
    QCOMPARE(context->endpoint(QStringLiteral("content")), QUrl(QStringLiteral("https://content.sample.invalid")));
    rig.manager.setEndpoint(QStringLiteral("other"), QStringLiteral("api"), rig.server.url(QStringLiteral("/base/")));
    QCOMPARE(context->endpoint(QStringLiteral("api"), QStringLiteral("v1/me")),
             rig.server.url(QStringLiteral("/base/v1/me")));
    settings.remove(QStringLiteral("upload"));
}

// Settings are read through the settings service, which trusts nothing in a file it finds damaged: the
// service's own addresses stay.
void tst_NetworkJob::aDamagedSettingsFileSetsNoEndpoint()
{
    SampleRig rig;
    rig.manager.registerProvider(QStringLiteral("other"), [] { return std::make_unique<SampleProvider>(); });
    auto *context = static_cast<NetworkSNService *>(rig.manager.service(QStringLiteral("other")));
    const QUrl builtIn = context->endpoint(QStringLiteral("api"));
    {
        QSettings settings(SettingImpl::settingsFilePath(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("upload/other/api"), QStringLiteral("http://127.0.0.1:9/"));
    }
    QCOMPARE(context->endpoint(QStringLiteral("api")), QUrl(QStringLiteral("http://127.0.0.1:9/")));
    QFile file(SettingImpl::settingsFilePath());
    QVERIFY(file.open(QIODevice::Append));
    file.write("junk=\xff\xfe\n");
    file.close();
    const auto removeFile = qScopeGuard([] { QFile::remove(SettingImpl::settingsFilePath()); });
    QCOMPARE(context->endpoint(QStringLiteral("api")), builtIn);
}

void tst_NetworkJob::shutdownEndsJobsWithoutReports()
{
    SampleRig rig;
    rig.addGrantedAccount();
    rig.server.addFault("POST", QStringLiteral("/v1/files"), HttpFault::delayReply(2000));
    JobProbe probe;
    AccountRecord account{QString(), QStringLiteral("teacher"), QString()};
    SNJob *job = nullptr;
    QCOMPARE(rig.handle->uploadFile(&account, {}, rig.writeFile(QStringLiteral("a.jpg"), 1000), {}, {}, {}, {}, {},
                                    &job, &probe),
             0);
    QPointer<SNJob> watch(job);
    QTRY_VERIFY(!rig.server.requests("POST", QStringLiteral("/v1/files")).isEmpty());
    const qsizetype before = probe.reports().size();
    rig.manager.shutdown();
    QTest::qWait(100);
    QCOMPARE(probe.reports().size(), before);
    // The holder may still cancel and release it.
    QVERIFY(watch);
    job->cancel();
    job->release();
    QTRY_VERIFY(!watch);
    QVERIFY(!rig.handle->isAccountUsable(account));
}

void tst_NetworkJob::transportErrors_data()
{
    QTest::addColumn<QNetworkReply::NetworkError>("error");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("interruption");
    QTest::newRow("host not found") << QNetworkReply::HostNotFoundError << int(SN_ERR_UNREACHABLE) << false;
    QTest::newRow("network gone") << QNetworkReply::TemporaryNetworkFailureError << int(SN_ERR_UNREACHABLE) << false;
    QTest::newRow("no network session") << QNetworkReply::NetworkSessionFailedError << int(SN_ERR_UNREACHABLE) << false;
    QTest::newRow("proxy not found") << QNetworkReply::ProxyNotFoundError << int(SN_ERR_UNREACHABLE) << false;
    QTest::newRow("refused") << QNetworkReply::ConnectionRefusedError << int(SN_ERR_CANNOT_CONNECT) << false;
    QTest::newRow("TLS handshake") << QNetworkReply::SslHandshakeFailedError << int(SN_ERR_CANNOT_CONNECT) << false;
    QTest::newRow("proxy refused") << QNetworkReply::ProxyConnectionRefusedError << int(SN_ERR_CANNOT_CONNECT) << false;
    QTest::newRow("proxy wants a login") << QNetworkReply::ProxyAuthenticationRequiredError
                                         << int(SN_ERR_CANNOT_CONNECT) << false;
    QTest::newRow("closed by the host") << QNetworkReply::RemoteHostClosedError << int(SN_ERR_DISCONNECTED) << true;
    QTest::newRow("proxy closed") << QNetworkReply::ProxyConnectionClosedError << int(SN_ERR_DISCONNECTED) << true;
    QTest::newRow("body could not go again") << QNetworkReply::ContentReSendError << int(SN_ERR_DISCONNECTED) << true;
    QTest::newRow("timeout") << QNetworkReply::TimeoutError << int(SN_ERR_TIMED_OUT) << false;
    QTest::newRow("proxy timeout") << QNetworkReply::ProxyTimeoutError << int(SN_ERR_TIMED_OUT) << false;
    QTest::newRow("transfer timeout") << QNetworkReply::OperationCanceledError << int(SN_ERR_TIMED_OUT) << false;
    QTest::newRow("protocol failure") << QNetworkReply::ProtocolFailure << int(SN_ERR_PROTOCOL) << false;
    QTest::newRow("insecure redirect") << QNetworkReply::InsecureRedirectError << int(SN_ERR_PROTOCOL) << false;
}

void tst_NetworkJob::transportErrors()
{
    QFETCH(QNetworkReply::NetworkError, error);
    QFETCH(int, code);
    QFETCH(bool, interruption);
    QCOMPARE(SNErrorMap::transportCode(error), code);
    QCOMPARE(SNErrorMap::isInterruption(error), interruption);
}

void tst_NetworkJob::statusCodes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("transient");
    QTest::newRow("400") << 400 << int(SN_ERR_PROTOCOL) << false;
    QTest::newRow("401") << 401 << int(SN_ERR_AUTHORIZATION) << false;
    QTest::newRow("403") << 403 << int(SN_ERR_PRIVILEGE) << false;
    QTest::newRow("408") << 408 << int(SN_ERR_TIMED_OUT) << false;
    QTest::newRow("413") << 413 << int(SN_ERR_FILE_TOO_LARGE) << false;
    QTest::newRow("429") << 429 << int(SN_ERR_TOO_OFTEN) << false;
    QTest::newRow("500") << 500 << int(SN_ERR_PROTOCOL) << true;
    QTest::newRow("502") << 502 << int(SN_ERR_UNREACHABLE) << true;
    QTest::newRow("504") << 504 << int(SN_ERR_UNREACHABLE) << true;
    QTest::newRow("301") << 301 << int(SN_ERR_PROTOCOL) << false;
}

void tst_NetworkJob::statusCodes()
{
    QFETCH(int, status);
    QFETCH(int, code);
    QFETCH(bool, transient);
    QCOMPARE(SNErrorMap::httpStatusCode(status), code);
    QCOMPARE(SNErrorMap::isTransientStatus(status), transient);
}

void tst_NetworkJob::retryAfter_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qint64>("ms");
    QTest::newRow("seconds") << QByteArray("7") << qint64(7000);
    QTest::newRow("zero") << QByteArray(" 0 ") << qint64(0);
    QTest::newRow("HTTP date 90 s ahead") << QByteArray("Sun, 06 Nov 1994 08:50:37 GMT") << qint64(90000);
    QTest::newRow("HTTP date passed") << QByteArray("Sun, 06 Nov 1994 08:40:00 GMT") << qint64(0);
    QTest::newRow("negative") << QByteArray("-3") << qint64(-1);
    // A value no multiplication by 1000 survives must still read as "far too long", never as a short wait.
    QTest::newRow("beyond any clock") << QByteArray("9223372036854775807") << std::numeric_limits<qint64>::max();
    QTest::newRow("garbage") << QByteArray("soon") << qint64(-1);
    QTest::newRow("absent") << QByteArray() << qint64(-1);
}

void tst_NetworkJob::retryAfter()
{
    QFETCH(QByteArray, value);
    QFETCH(qint64, ms);
    const QDateTime now(QDate(1994, 11, 6), QTime(8, 49, 7), Qt::UTC);
    QCOMPARE(SNErrorMap::retryAfterMs(value, now).value_or(-1), ms);
}

void tst_NetworkJob::answersAreBounded_data()
{
    QTest::addColumn<HttpFault>("fault");
    QTest::addColumn<int>("deadlineMs");
    QTest::addColumn<int>("code");
    // The cap ends an endless answer long before a deadline a busy machine could reach.
    QTest::newRow("endless, at full socket speed") << HttpFault::endlessReply() << 60000 << int(SN_ERR_DISCONNECTED);
    QTest::newRow("dripping, a byte at a time") << HttpFault::dripReply(20) << 1000 << int(SN_ERR_TIMED_OUT);
}

void tst_NetworkJob::answersAreBounded()
{
    QFETCH(HttpFault, fault);
    QFETCH(int, deadlineMs);
    QFETCH(int, code);
    SampleRig rig;
    rig.addGrantedAccount();
    rig.checkBoundedAnswer("GET", QStringLiteral("/v1/me"), fault, deadlineMs, code);
}

void tst_NetworkJob::tokenGoesOnlyToTheServicesServers_data()
{
    QTest::addColumn<bool>("otherPort");
    QTest::newRow("session on another port") << true;
    QTest::newRow("session on another host name") << false;
}

void tst_NetworkJob::tokenGoesOnlyToTheServicesServers()
{
    QFETCH(bool, otherPort);
    SampleRig rig;
    rig.addGrantedAccount();
    rig.handle->setParameter(QStringLiteral("simple_limit"), QStringLiteral("1000"));
    LocalHttpServer elsewhere;
    SampleServiceEmulation other(elsewhere);
    const QUrl session = otherPort ? elsewhere.url(QStringLiteral("/v1/sessions/s1"))
                                   : QUrl(QStringLiteral("http://localhost:%1/v1/sessions/s1").arg(rig.server.port()));
    rig.server.addFault("POST", QStringLiteral("/v1/sessions"),
                        HttpFault::replyWith(HttpReply::json(200, {}).header("Location", session.toEncoded())));

    const auto probe = upload(rig, rig.writeFile(QStringLiteral("clip.avi"), 5000));
    QCOMPARE(probe->end().code, int(SN_ERR_PROTOCOL));
    QVERIFY(elsewhere.requests().isEmpty());
    QVERIFY(rig.server.requests("PUT", QStringLiteral("/v1/sessions/*")).isEmpty());
}

void tst_NetworkJob::sameServer_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("same");
    const QString api = QStringLiteral("https://api.example.test/v1");
    QTest::newRow("same server, other path") << "https://api.example.test/upload?id=7" << api << true;
    QTest::newRow("port named") << "https://api.example.test:443/upload" << api << true;
    QTest::newRow("host in capitals") << "https://API.example.test/upload" << api << true;
    QTest::newRow("plain http") << "http://api.example.test/upload" << api << false;
    QTest::newRow("plain http on 443") << "http://api.example.test:443/upload" << api << false;
    QTest::newRow("another port") << "https://api.example.test:8443/upload" << api << false;
    QTest::newRow("another host") << "https://api.example.test.evil.test/upload" << api << false;
    QTest::newRow("no host") << "https:///upload"
                             << "https:///v1" << false;
    QTest::newRow("local test server") << "http://127.0.0.1:8080/s"
                                       << "http://127.0.0.1:8080/" << true;
}

void tst_NetworkJob::sameServer()
{
    QFETCH(QString, address);
    QFETCH(QString, server);
    QFETCH(bool, same);
    QCOMPARE(SNProvider::sameServer(QUrl(address), QUrl(server)), same);
}

QUILLO_TEST_MAIN(tst_NetworkJob)
#include "tst_NetworkJob.moc"
