#include "AnswerTable.h"
#include "JobProbe.h"
#include "LogCapture.h"
#include "OAuthGrant.h"
#include "ProviderRig.h"
#include "SNAccountStore.h"
#include "TestBrowser.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"
#include "YouTubeProvider.h"
#include "YouTubeServiceEmulation.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>

#include <functional>

Q_DECLARE_METATYPE(HttpFault)

// The video provider against the service's documented shapes on the local server.
class tst_YouTubeProvider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signInAndCheckTheChannel();
    void anAccountWithoutChannelMayNotUpload();
    void uploadAndRemove_data();
    void uploadAndRemove();
    void resumesWhereTheServerStopped_data();
    void resumesWhereTheServerStopped();
    void aServerThatNeverGoesFurtherEndsTheUpload();
    void theTokenGoesOnlyToTheServicesServers_data();
    void theTokenGoesOnlyToTheServicesServers();
    void failuresMapToCodes_data();
    void failuresMapToCodes();
    void textsAreCutToWhatTheServiceTakes_data();
    void textsAreCutToWhatTheServiceTakes();
    void resumeOffsetStaysInTheFile_data();
    void resumeOffsetStaysInTheFile();
    void answersGiveOnlyWebAddressesAndPlainIds_data();
    void answersGiveOnlyWebAddressesAndPlainIds();
};

namespace {

const QString kService = QStringLiteral("youtube");
// The service asks for requests in multiples of 256 KiB; the smallest keeps the test files small.
constexpr qint64 kChunk = 256 * 1024;

struct Rig
{
    Rig()
        : rig(kService, [] { return std::make_unique<YouTubeProvider>(); },
              {QStringLiteral("auth"), QStringLiteral("token"), QStringLiteral("api"), QStringLiteral("content"),
               QStringLiteral("watch")})
        , service(rig.server)
    {
        rig.handle->setParameter(QStringLiteral("devkey"), QString::fromLatin1(YouTubeServiceEmulation::kClientId));
        rig.handle->setParameter(QStringLiteral("chunk_size"), QString::number(kChunk));
    }
    void grant() { rig.addGrantedAccount(service.oauth(), QString::fromLatin1(YouTubeServiceEmulation::kClientId)); }

    ProviderRig rig;
    YouTubeServiceEmulation service;
};

} // namespace

void tst_YouTubeProvider::signInAndCheckTheChannel()
{
    Rig r;
    const QUrl consent = r.rig.requestToken();
    QCOMPARE(consent.path(), QStringLiteral("/o/oauth2/v2/auth"));
    const QUrlQuery asked(consent);
    QCOMPARE(asked.queryItemValue(QStringLiteral("access_type")), QStringLiteral("offline"));
    QCOMPARE(asked.queryItemValue(QStringLiteral("prompt")), QStringLiteral("consent"));
    QCOMPARE(QUrl(asked.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded)).host(),
             QStringLiteral("127.0.0.1"));
    QCOMPARE(TestBrowser::open(consent, 3).status, 200);
    QTRY_VERIFY(
        !OAuthGrant::fromParams(r.rig.store->params(kService, QStringLiteral("teacher"))).refreshToken.isEmpty());

    const JobProbe::Report checked = r.rig.checkAccount();
    QCOMPARE(checked.kind, QStringLiteral("completed"));
    QCOMPARE(checked.result.value(QStringLiteral("id")).toString(),
             QString::fromLatin1(YouTubeServiceEmulation::kChannelId));
    QCOMPARE(checked.result.value(QStringLiteral("name")).toString(), QStringLiteral("Ms Teacher"));
}

void tst_YouTubeProvider::anAccountWithoutChannelMayNotUpload()
{
    Rig r;
    r.grant();
    r.service.setHasChannel(false);
    const JobProbe::Report checked = r.rig.checkAccount();
    QCOMPARE(checked.kind, QStringLiteral("failed"));
    QCOMPARE(checked.code, int(SN_ERR_PRIVILEGE));
}

void tst_YouTubeProvider::uploadAndRemove_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("scheduled");
    QTest::newRow("one request") << qint64(1000) << false;
    QTest::newRow("three requests") << qint64(2 * kChunk + 77) << false;
    QTest::newRow("exactly two requests, scheduled") << qint64(2 * kChunk) << true;
    QTest::newRow("empty") << qint64(0) << false;
}

void tst_YouTubeProvider::uploadAndRemove()
{
    QFETCH(qint64, size);
    QFETCH(bool, scheduled);
    Rig r;
    r.grant();
    const QString path = r.rig.writeFile(QStringLiteral("lesson.avi"), size);

    const JobProbe::Report end = scheduled ? r.rig.uploadScheduled(path, true) : r.rig.upload(path, true);
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    QCOMPARE(r.service.video(end.id), ProviderRig::contents(path));
    QCOMPARE(end.url, r.rig.server.url(QStringLiteral("/watch")).toString() + QStringLiteral("?v=") + end.id);
    const QJsonObject sent = r.service.metadata(end.id);
    QCOMPARE(sent.value(QStringLiteral("status")).toObject().value(QStringLiteral("privacyStatus")),
             QStringLiteral("unlisted"));
    QCOMPARE(sent.value(QStringLiteral("snippet")).toObject().value(QStringLiteral("title")), QStringLiteral("Lesson"));
    const QList<RecordedRequest> puts = r.rig.server.requests("PUT", QStringLiteral("/upload/youtube/v3/videos"));
    QCOMPARE(puts.size(), int(qMax<qint64>(1, (size + kChunk - 1) / kChunk)));

    const JobProbe::Report removed = r.rig.remove(end.id);
    QCOMPARE(removed.kind, QStringLiteral("completed"));
    QCOMPARE(r.service.videoCount(), 0);
    QCOMPARE(r.rig.remove(end.id).code, int(SN_ERR_PROTOCOL));
}

void tst_YouTubeProvider::resumesWhereTheServerStopped_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<HttpFault>("fault");
    QTest::addColumn<int>("nth");
    const HttpReply expired = HttpReply::json(404, {});
    QTest::newRow("dropped halfway") << QByteArray("PUT") << HttpFault::dropAfterBodyBytes(100000) << 2;
    QTest::newRow("closed after headers") << QByteArray("PUT") << HttpFault::closeAfterHeaders() << 1;
    QTest::newRow("last answer lost") << QByteArray("PUT") << HttpFault::closeBeforeReply() << 3;
    QTest::newRow("503") << QByteArray("PUT") << HttpFault::replyWith(HttpReply::text(503)) << 2;
    QTest::newRow("session expired") << QByteArray("PUT") << HttpFault::replyWith(expired) << 2;
    QTest::newRow("session request 500") << QByteArray("POST") << HttpFault::replyWith(HttpReply::text(500)) << 1;
}

void tst_YouTubeProvider::resumesWhereTheServerStopped()
{
    QFETCH(QByteArray, method);
    QFETCH(HttpFault, fault);
    QFETCH(int, nth);
    Rig r;
    r.grant();
    const QString path = r.rig.writeFile(QStringLiteral("lesson.avi"), 2 * kChunk + 5000);
    r.rig.server.addFault(method, QStringLiteral("/upload/youtube/v3/videos"), fault, nth);

    const JobProbe::Report end = r.rig.upload(path, true);
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    QCOMPARE(r.service.video(end.id), ProviderRig::contents(path));
    QCOMPARE(r.service.videoCount(), 1);
}

void tst_YouTubeProvider::aServerThatNeverGoesFurtherEndsTheUpload()
{
    Rig r;
    r.grant();
    const QString path = r.rig.writeFile(QStringLiteral("lesson.avi"), 3 * kChunk + 5000);
    // Every chunk is answered as if only the first had arrived.
    r.rig.server.route("PUT", QStringLiteral("/upload/youtube/v3/videos"), [](const RecordedRequest &) {
        return HttpReply::text(308).header("Range", "bytes=0-" + QByteArray::number(kChunk - 1));
    });

    const JobProbe::Report end = r.rig.upload(path, true);
    QCOMPARE(end.kind, QStringLiteral("failed"));
    QCOMPARE(end.code, int(SN_ERR_PROTOCOL));
    const qsizetype rounds = r.rig.server.requests("PUT", QStringLiteral("/upload/youtube/v3/videos")).size();
    QVERIFY2(rounds <= 5, qPrintable(QString::number(rounds)));
}

void tst_YouTubeProvider::theTokenGoesOnlyToTheServicesServers_data()
{
    QTest::addColumn<bool>("otherPort");
    QTest::newRow("session on another port") << true;
    QTest::newRow("session on another host name") << false;
}

void tst_YouTubeProvider::theTokenGoesOnlyToTheServicesServers()
{
    QFETCH(bool, otherPort);
    Rig r;
    r.grant();
    LocalHttpServer elsewhere;
    QUrl session = otherPort
                       ? elsewhere.url(QStringLiteral("/upload/youtube/v3/videos"))
                       : QUrl(QStringLiteral("http://localhost:%1/upload/youtube/v3/videos").arg(r.rig.server.port()));
    session.setQuery(QStringLiteral("uploadType=resumable&upload_id=u1"));
    r.rig.server.addFault("POST", QStringLiteral("/upload/youtube/v3/videos"),
                          HttpFault::replyWith(HttpReply::json(200, {}).header("Location", session.toEncoded())));

    const JobProbe::Report end = r.rig.upload(r.rig.writeFile(QStringLiteral("lesson.avi"), 5000), true);
    QCOMPARE(end.code, int(SN_ERR_PROTOCOL));
    QVERIFY(elsewhere.requests().isEmpty());
    QVERIFY(r.rig.server.requests("PUT", QStringLiteral("/upload/youtube/v3/videos")).isEmpty());
}

void tst_YouTubeProvider::failuresMapToCodes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("code");

    QTest::newRow("quota") << 403 << "quotaExceeded" << QByteArray() << 1 << int(SN_ERR_TOO_OFTEN);
    QTest::newRow("rate") << 403 << "rateLimitExceeded" << QByteArray() << 1 << int(SN_ERR_TOO_OFTEN);
    QTest::newRow("forbidden") << 403 << "forbidden" << QByteArray() << 1 << int(SN_ERR_PRIVILEGE);
    QTest::newRow("no channel") << 401 << "youtubeSignupRequired" << QByteArray() << 2 << int(SN_ERR_AUTHORIZATION);
    QTest::newRow("too long for the account")
        << 400 << "uploadLimitExceeded" << QByteArray() << 1 << int(SN_ERR_FILE_TOO_LONG);
    QTest::newRow("413") << 413 << "" << QByteArray() << 1 << int(SN_ERR_FILE_TOO_LARGE);
    QTest::newRow("429 once, short wait") << 429 << "" << QByteArray("0") << 1 << 0;
    QTest::newRow("429, long wait") << 429 << "" << QByteArray("600") << 1 << int(SN_ERR_TOO_OFTEN);
    QTest::newRow("401 once: renewed") << 401 << "authError" << QByteArray() << 1 << 0;
    QTest::newRow("503 throughout") << 503 << "backendError" << QByteArray() << 6 << int(SN_ERR_UNREACHABLE);
}

void tst_YouTubeProvider::failuresMapToCodes()
{
    QFETCH(int, status);
    QFETCH(QString, reason);
    QFETCH(QByteArray, retryAfter);
    QFETCH(int, times);
    QFETCH(int, code);
    Rig r;
    r.grant();
    const QJsonObject detail{{QStringLiteral("reason"), reason}};
    HttpReply reply = HttpReply::json(
        status, {{QStringLiteral("error"),
                  QJsonObject{{QStringLiteral("code"), status}, {QStringLiteral("errors"), QJsonArray{detail}}}}});
    if (!retryAfter.isEmpty())
        reply.header("Retry-After", retryAfter);
    for (int n = 0; n < times; ++n)
        r.rig.server.addFault("POST", QStringLiteral("/upload/youtube/v3/videos"), HttpFault::replyWith(reply), n + 1);

    const JobProbe::Report end = r.rig.upload(r.rig.writeFile(QStringLiteral("lesson.avi"), 3000), true);
    QCOMPARE(end.kind, code == 0 ? QStringLiteral("uploaded") : QStringLiteral("failed"));
    QCOMPARE(end.code, code);
    QCOMPARE(r.service.videoCount(), code == 0 ? 1 : 0);
}

void tst_YouTubeProvider::textsAreCutToWhatTheServiceTakes_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<QString>("expectedTitle");
    QTest::addColumn<QStringList>("expectedTags");
    QTest::addColumn<bool>("cut");

    const QString hundred(100, QLatin1Char('t'));
    const QString tag99(99, QLatin1Char('k'));
    QTest::newRow("fits") << "Fractions" << QStringList{"maths", "year 5"} << "Fractions"
                          << QStringList{"maths", "year 5"} << false;
    QTest::newRow("angles") << "a <b> c" << QStringList{"<x>"} << "a b c" << QStringList{"x"} << true;
    QTest::newRow("101 characters") << hundred + "u" << QStringList() << hundred << QStringList() << true;
    // Five tags of 99 and four commas make 499; a sixth does not fit.
    QTest::newRow("tags over 500") << "T" << QStringList{tag99, tag99, tag99, tag99, tag99, "z"} << "T"
                                   << QStringList{tag99, tag99, tag99, tag99, tag99} << true;
    // A space makes the service count quotes: 98 + 2 each, five tags and four commas make 504.
    const QString spaced = QString(48, QLatin1Char('q')) + QLatin1Char(' ') + QString(49, QLatin1Char('q'));
    QTest::newRow("quoted tags count their quotes")
        << "T" << QStringList(5, spaced) << "T" << QStringList(4, spaced) << true;
}

void tst_YouTubeProvider::textsAreCutToWhatTheServiceTakes()
{
    QFETCH(QString, title);
    QFETCH(QStringList, tags);
    QFETCH(QString, expectedTitle);
    QFETCH(QStringList, expectedTags);
    QFETCH(bool, cut);
    const YouTubeProvider::Metadata metadata = YouTubeProvider::acceptable(title, tags);
    QCOMPARE(metadata.title, expectedTitle);
    QCOMPARE(metadata.tags, expectedTags);
    QCOMPARE(metadata.cut, cut);

    Rig r;
    r.grant();
    LogCapture log;
    const JobProbe::Report end = r.rig.upload(r.rig.writeFile(QStringLiteral("lesson.avi"), 100), true, title,
                                              QString(), tags);
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    const QJsonObject snippet = r.service.metadata(end.id).value(QStringLiteral("snippet")).toObject();
    QCOMPARE(snippet.value(QStringLiteral("title")).toString(), expectedTitle);
    QCOMPARE(snippet.value(QStringLiteral("tags")).toVariant().toStringList(), expectedTags);
    QCOMPARE(log.contains(QStringLiteral("were cut")), cut);
}

void tst_YouTubeProvider::resumeOffsetStaysInTheFile_data()
{
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<qint64>("expected");

    constexpr qint64 refused = -1;
    QTest::newRow("nothing held") << QByteArray() << qint64(0);
    QTest::newRow("part held") << QByteArray("bytes=0-262143") << qint64(262144);
    QTest::newRow("all held") << QByteArray("bytes=0-999999") << qint64(1000000);
    QTest::newRow("past the end") << QByteArray("bytes=0-1000000") << refused;
    QTest::newRow("not from the start") << QByteArray("bytes=100-200") << refused;
    QTest::newRow("no number") << QByteArray("bytes=0-") << refused;
    QTest::newRow("negative last byte") << QByteArray("bytes=0--5") << refused;
    QTest::newRow("last byte at the end of qint64") << QByteArray("bytes=0-9223372036854775807") << refused;
}

void tst_YouTubeProvider::resumeOffsetStaysInTheFile()
{
    QFETCH(QByteArray, range);
    QFETCH(qint64, expected);
    QCOMPARE(YouTubeProvider::resumeOffset(range, 1000000).value_or(-1), expected);
}

// The session address goes into the next requests (which carry the bearer token and the file's bytes):
// a local file would be written, a relative one is no server at all.
void tst_YouTubeProvider::answersGiveOnlyWebAddressesAndPlainIds_data()
{
    AnswerTable::addColumns();

    const QString session = QStringLiteral("session");
    const QByteArray video = R"({"id":"Ks-_Mh1QhMc"})";
    const QByteArray channels = R"({"items":[{"id":"UC_x5XG1","snippet":{"title":"Class 5b"}}]})";
    QTest::newRow("session on the web") << session << 200 << QByteArray("https://www.googleapis.com/upload?upload_id=1")
                                        << QByteArray()
                                        << QStringLiteral("https://www.googleapis.com/upload?upload_id=1");
    QTest::newRow("session in a local file")
        << session << 200 << QByteArray("file:///tmp/lesson.avi") << QByteArray() << QString();
    QTest::newRow("session relative") << session << 200 << QByteArray("/upload?upload_id=1") << QByteArray()
                                      << QString();
    QTest::newRow("session without host")
        << session << 200 << QByteArray("https:///upload") << QByteArray() << QString();
    QTest::newRow("session of a refused answer")
        << session << 400 << QByteArray("https://www.googleapis.com/upload") << QByteArray() << QString();
    QTest::newRow("video id") << QStringLiteral("video") << 200 << QByteArray() << video
                              << QStringLiteral("Ks-_Mh1QhMc");
    QTest::newRow("video id with a line break")
        << QStringLiteral("video") << 200 << QByteArray() << QByteArray(R"({"id":"Ks-\nMh1"})") << QString();
    QTest::newRow("video id of a refused answer")
        << QStringLiteral("video") << 500 << QByteArray() << video << QString();
    QTest::newRow("channel") << QStringLiteral("channel") << 200 << QByteArray() << channels
                             << QStringLiteral("UC_x5XG1");
    QTest::newRow("channel id with a NUL") << QStringLiteral("channel") << 200 << QByteArray()
                                           << QByteArray(R"({"items":[{"id":"UC\u0000x"}]})") << QString();
}

void tst_YouTubeProvider::answersGiveOnlyWebAddressesAndPlainIds()
{
    QFETCH(QString, reader);
    QFETCH(QString, expected);
    const SNResponse response = AnswerTable::answer("Location");
    const QHash<QString, std::function<QString()>> readers{
        {QStringLiteral("session"), [&] { return YouTubeProvider::readSessionAddress(response).toString(); }},
        {QStringLiteral("video"), [&] { return YouTubeProvider::readVideoId(response); }},
        {QStringLiteral("channel"), [&] { return YouTubeProvider::readChannel(response).id; }}};
    QCOMPARE(readers.value(reader)(), expected);
}

QUILLO_TEST_MAIN(tst_YouTubeProvider)
#include "tst_YouTubeProvider.moc"
