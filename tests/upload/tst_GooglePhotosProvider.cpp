#include "AnswerTable.h"
#include "GooglePhotosProvider.h"
#include "GooglePhotosServiceEmulation.h"
#include "JobProbe.h"
#include "LogCapture.h"
#include "ProviderRig.h"
#include "SNAccountStore.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(HttpFault)

// The photo provider against the library's documented shapes on the local server.
class tst_GooglePhotosProvider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void uploadsGoIntoTheProgramsAlbum_data();
    void uploadsGoIntoTheProgramsAlbum();
    void aForgottenAlbumIsFoundAgain_data();
    void aForgottenAlbumIsFoundAgain();
    void resumesWhereTheServerStopped_data();
    void resumesWhereTheServerStopped();
    void theTokenGoesOnlyToTheServicesServers_data();
    void theTokenGoesOnlyToTheServicesServers();
    void failuresMapToCodes_data();
    void failuresMapToCodes();
    void refusedItemsMapToCodes_data();
    void refusedItemsMapToCodes();
    void theAccountCheckReadsTheAlbums();
    void answersGiveOnlyWebAddressesAndPlainIds_data();
    void answersGiveOnlyWebAddressesAndPlainIds();
};

namespace {

const QString kService = QStringLiteral("picasa");

struct Rig
{
    Rig()
        : rig(kService, [] { return std::make_unique<GooglePhotosProvider>(); },
              {QStringLiteral("auth"), QStringLiteral("token"), QStringLiteral("api"), QStringLiteral("content")})
        , service(rig.server)
    {
        rig.handle->setParameter(QStringLiteral("devkey"),
                                 QString::fromLatin1(GooglePhotosServiceEmulation::kClientId));
        rig.addGrantedAccount(service.oauth(), QString::fromLatin1(GooglePhotosServiceEmulation::kClientId));
    }
    void useSessions()
    {
        rig.handle->setParameter(QStringLiteral("simple_limit"), QStringLiteral("1000"));
        rig.handle->setParameter(QStringLiteral("chunk_size"), QStringLiteral("4096"));
    }

    ProviderRig rig;
    GooglePhotosServiceEmulation service;
};

} // namespace

void tst_GooglePhotosProvider::aForgottenAlbumIsFoundAgain_data()
{
    QTest::addColumn<int>("otherAlbums");
    QTest::addColumn<bool>("albumThere");
    // The program lists 50 albums at a time.
    QTest::newRow("first in the list") << 0 << true;
    QTest::newRow("on the second list") << 60 << true;
    QTest::newRow("gone: a new one") << 3 << false;
}

void tst_GooglePhotosProvider::aForgottenAlbumIsFoundAgain()
{
    QFETCH(int, otherAlbums);
    QFETCH(bool, albumThere);
    Rig r;
    for (int n = 0; n < otherAlbums; ++n)
        r.service.addAlbum(QStringLiteral("Quillo %1").arg(n));
    // Made by the program before the account lost its id.
    const QString earlier = albumThere ? r.service.addAlbum(QStringLiteral("Quillo")) : QString();

    const QString path = r.rig.writeFile(QStringLiteral("1.jpg"), 100);
    const JobProbe::Report end = r.rig.upload(path);
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    const QString album = r.service.items().value(end.id).album;
    QCOMPARE(r.service.albumTitles().count(QStringLiteral("Quillo")), 1);
    QCOMPARE(r.service.albumId(QStringLiteral("Quillo")), album);
    if (albumThere)
        QCOMPARE(album, earlier);
    QCOMPARE(r.rig.server.requests("POST", QStringLiteral("/v1/albums")).size(), albumThere ? 0 : 1);

    // Found once, remembered: the next upload asks no list.
    r.rig.server.clearRecords();
    QCOMPARE(r.rig.upload(path).kind, QStringLiteral("uploaded"));
    QVERIFY(r.rig.server.requests("GET", QStringLiteral("/v1/albums")).isEmpty());
}

void tst_GooglePhotosProvider::uploadsGoIntoTheProgramsAlbum_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("sessions");
    QTest::addColumn<bool>("scheduled");
    QTest::addColumn<int>("descriptionLength");
    QTest::newRow("one request") << qint64(900) << false << false << 20;
    QTest::newRow("resumable") << qint64(3 * 4096 + 11) << true << false << 0;
    QTest::newRow("resumable, scheduled") << qint64(2 * 4096) << true << true << 1000;
    QTest::newRow("description over the limit") << qint64(100) << false << false << 1024;
}

void tst_GooglePhotosProvider::uploadsGoIntoTheProgramsAlbum()
{
    QFETCH(qint64, size);
    QFETCH(bool, sessions);
    QFETCH(bool, scheduled);
    QFETCH(int, descriptionLength);
    Rig r;
    if (sessions)
        r.useSessions();
    LogCapture log;
    const QString description(descriptionLength, QLatin1Char('d'));
    const QString first = r.rig.writeFile(QStringLiteral("1.jpg"), size);
    const QString second = r.rig.writeFile(QStringLiteral("2.jpg"), size + 1);

    QList<JobProbe::Report> ends;
    for (const QString &path : {first, second}) {
        ends.append(scheduled ? r.rig.uploadScheduled(path)
                              : r.rig.upload(path, false, QStringLiteral("Lesson"), description));
        QCOMPARE(ends.last().kind, QStringLiteral("uploaded"));
        const GooglePhotosServiceEmulation::Item item = r.service.items().value(ends.last().id);
        QCOMPARE(item.data, ProviderRig::contents(path));
        QCOMPARE(item.album, r.service.albumId(QStringLiteral("Quillo")));
        QCOMPARE(item.fileName, QFileInfo(path).fileName());
        QCOMPARE(ends.last().url, r.rig.server.url(QStringLiteral("/lr/photo/") + ends.last().id).toString());
        if (!scheduled)
            QCOMPARE(item.description, description.left(1000));
    }
    // One album for the application text, made once.
    QCOMPARE(r.service.albumTitles(), QStringList{QStringLiteral("Quillo")});
    QCOMPARE(r.rig.server.requests("POST", QStringLiteral("/v1/albums")).size(), 1);
    QCOMPARE(log.contains(QStringLiteral("description was cut")), descriptionLength > 1000);

    // The service deletes nothing: the removal fails with its own code and the item stays.
    const JobProbe::Report removed = r.rig.remove(ends.first().id);
    QCOMPARE(removed.kind, QStringLiteral("failed"));
    QCOMPARE(removed.code, int(SN_ERR_NOT_SUPPORTED));
    QCOMPARE(r.service.items().size(), 2);
}

void tst_GooglePhotosProvider::resumesWhereTheServerStopped_data()
{
    QTest::addColumn<HttpFault>("fault");
    QTest::addColumn<int>("nth");
    QTest::newRow("dropped halfway") << HttpFault::dropAfterBodyBytes(1000) << 2;
    QTest::newRow("closed after headers") << HttpFault::closeAfterHeaders() << 1;
    QTest::newRow("finalize answer lost") << HttpFault::closeBeforeReply() << 3;
    QTest::newRow("503") << HttpFault::replyWith(HttpReply::text(503)) << 2;
    QTest::newRow("session expired") << HttpFault::replyWith(HttpReply::text(404)) << 2;
}

void tst_GooglePhotosProvider::resumesWhereTheServerStopped()
{
    QFETCH(HttpFault, fault);
    QFETCH(int, nth);
    Rig r;
    r.useSessions();
    const QString path = r.rig.writeFile(QStringLiteral("clip.avi"), 2 * 4096 + 100);
    r.rig.server.addFault("POST", QStringLiteral("/v1/uploads/session/*"), fault, nth);

    const JobProbe::Report end = r.rig.upload(path, true);
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    QCOMPARE(r.service.items().value(end.id).data, ProviderRig::contents(path));
    QCOMPARE(r.service.items().size(), 1);
}

void tst_GooglePhotosProvider::theTokenGoesOnlyToTheServicesServers_data()
{
    QTest::addColumn<bool>("otherPort");
    QTest::newRow("upload address on another port") << true;
    QTest::newRow("upload address on another host name") << false;
}

void tst_GooglePhotosProvider::theTokenGoesOnlyToTheServicesServers()
{
    QFETCH(bool, otherPort);
    Rig r;
    r.useSessions();
    LocalHttpServer elsewhere;
    const QUrl address =
        otherPort ? elsewhere.url(QStringLiteral("/v1/uploads/session/s1"))
                  : QUrl(QStringLiteral("http://localhost:%1/v1/uploads/session/s1").arg(r.rig.server.port()));
    r.rig.server.addFault("POST", QStringLiteral("/v1/uploads"),
                          HttpFault::replyWith(HttpReply::text(200)
                                                   .header("X-Goog-Upload-Status", "active")
                                                   .header("X-Goog-Upload-URL", address.toEncoded())));

    const JobProbe::Report end = r.rig.upload(r.rig.writeFile(QStringLiteral("clip.avi"), 2 * 4096 + 100), true);
    QCOMPARE(end.code, int(SN_ERR_PROTOCOL));
    QVERIFY(elsewhere.requests().isEmpty());
    QVERIFY(r.rig.server.requests("POST", QStringLiteral("/v1/uploads/session/*")).isEmpty());
}

void tst_GooglePhotosProvider::failuresMapToCodes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("code");

    QTest::newRow("quota on the bytes") << "/v1/uploads" << 403 << "quotaExceeded" << QByteArray() << 1
                                        << int(SN_ERR_TOO_OFTEN);
    QTest::newRow("scope missing") << "/v1/albums" << 403 << "insufficientPermissions" << QByteArray() << 1
                                   << int(SN_ERR_PRIVILEGE);
    QTest::newRow("413 on the bytes") << "/v1/uploads" << 413 << "" << QByteArray() << 1 << int(SN_ERR_FILE_TOO_LARGE);
    QTest::newRow("429 on the creation, short wait")
        << "/v1/mediaItems:batchCreate" << 429 << "" << QByteArray("0") << 1 << 0;
    QTest::newRow("401 once on the creation: renewed")
        << "/v1/mediaItems:batchCreate" << 401 << "" << QByteArray() << 1 << 0;
    QTest::newRow("500 on the creation: never sent twice")
        << "/v1/mediaItems:batchCreate" << 500 << "" << QByteArray() << 1 << int(SN_ERR_PROTOCOL);
}

void tst_GooglePhotosProvider::failuresMapToCodes()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QString, reason);
    QFETCH(QByteArray, retryAfter);
    QFETCH(int, times);
    QFETCH(int, code);
    Rig r;
    const QJsonObject detail{{QStringLiteral("reason"), reason}};
    HttpReply reply = HttpReply::json(
        status, {{QStringLiteral("error"),
                  QJsonObject{{QStringLiteral("code"), status}, {QStringLiteral("errors"), QJsonArray{detail}}}}});
    if (!retryAfter.isEmpty())
        reply.header("Retry-After", retryAfter);
    for (int n = 0; n < times; ++n)
        r.rig.server.addFault("POST", path, HttpFault::replyWith(reply), n + 1);

    const JobProbe::Report end = r.rig.upload(r.rig.writeFile(QStringLiteral("1.jpg"), 300));
    QCOMPARE(end.kind, code == 0 ? QStringLiteral("uploaded") : QStringLiteral("failed"));
    QCOMPARE(end.code, code);
    QCOMPARE(r.service.items().size(), code == 0 ? 1 : 0);
    QVERIFY(r.rig.server.requests("POST", QStringLiteral("/v1/mediaItems:batchCreate")).size() <= (code == 0 ? 2 : 1));
}

void tst_GooglePhotosProvider::refusedItemsMapToCodes_data()
{
    QTest::addColumn<int>("rpcCode");
    QTest::addColumn<int>("code");
    QTest::newRow("invalid") << 3 << int(SN_ERR_PROTOCOL);
    QTest::newRow("permission denied") << 7 << int(SN_ERR_PRIVILEGE);
    QTest::newRow("storage or quota exhausted") << 8 << int(SN_ERR_TOO_OFTEN);
}

void tst_GooglePhotosProvider::refusedItemsMapToCodes()
{
    QFETCH(int, rpcCode);
    QFETCH(int, code);
    Rig r;
    r.service.refuseNextItem(rpcCode,
                             QStringLiteral("Failed: There was an error while trying to create this media item."));
    const JobProbe::Report end = r.rig.upload(r.rig.writeFile(QStringLiteral("1.jpg"), 300));
    QCOMPARE(end.kind, QStringLiteral("failed"));
    QCOMPARE(end.code, code);
}

void tst_GooglePhotosProvider::theAccountCheckReadsTheAlbums()
{
    Rig r;
    const JobProbe::Report checked = r.rig.checkAccount();
    QCOMPARE(checked.kind, QStringLiteral("completed"));
    QCOMPARE(checked.result.value(QStringLiteral("name")).toString(), QStringLiteral("teacher"));
    r.service.oauth().revokeAccessTokens();
    r.service.oauth().revokeRefreshTokens();
    QCOMPARE(r.rig.checkAccount().code, int(SN_ERR_AUTHORIZATION));
}

// The session address takes the file's bytes; the item's page is shown to the user; the status says
// where the bytes go on.
void tst_GooglePhotosProvider::answersGiveOnlyWebAddressesAndPlainIds_data()
{
    AnswerTable::addColumns();

    const QString session = QStringLiteral("session");
    const QString item = QStringLiteral("item");
    const QString status = QStringLiteral("status");
    QTest::newRow("session") << session << 200 << QByteArray("https://photoslibrary.googleapis.com/v1/uploads?id=1")
                             << QByteArray() << QStringLiteral("https://photoslibrary.googleapis.com/v1/uploads?id=1");
    QTest::newRow("session in a local file")
        << session << 200 << QByteArray("file:///tmp/x") << QByteArray() << QString();
    QTest::newRow("session relative") << session << 200 << QByteArray("v1/uploads?id=1") << QByteArray() << QString();
    const QByteArray made = R"({"newMediaItemResults":[{"status":{},"mediaItem":{"id":"AGj1","productUrl":"%1"}}]})";
    QTest::newRow("item page") << item << 200 << QByteArray()
                               << QByteArray(made).replace("%1", "https://photos.google.com/lr/photo/AGj1")
                               << QStringLiteral("AGj1 https://photos.google.com/lr/photo/AGj1");
    QTest::newRow("item page a script") << item << 200 << QByteArray()
                                        << QByteArray(made).replace("%1", "javascript:alert`1`")
                                        << QStringLiteral("AGj1 ");
    QTest::newRow("item id with a control character")
        << item << 200 << QByteArray()
        << QByteArray(R"({"newMediaItemResults":[{"status":{},"mediaItem":{"id":"AG\u001bj1"}}]})")
        << QStringLiteral(" ");
    QTest::newRow("active") << status << 200 << QByteArray("8388608") << QByteArray()
                            << QStringLiteral("active 8388608");
    QTest::newRow("active past the end") << status << 200 << QByteArray("10000001") << QByteArray()
                                         << QStringLiteral("refused");
    QTest::newRow("active negative") << status << 200 << QByteArray("-1") << QByteArray() << QStringLiteral("refused");
    QTest::newRow("active refused answer")
        << status << 503 << QByteArray("0") << QByteArray() << QStringLiteral("refused");
    QTest::newRow("upload token") << QStringLiteral("token") << 200 << QByteArray() << QByteArray("CAIS+QIAkOo6\n")
                                  << QStringLiteral("CAIS+QIAkOo6");
    QTest::newRow("upload token with a control character")
        << QStringLiteral("token") << 200 << QByteArray() << QByteArray("CAIS\x01QIA") << QString();
}

void tst_GooglePhotosProvider::answersGiveOnlyWebAddressesAndPlainIds()
{
    QFETCH(QString, reader);
    QFETCH(QString, expected);
    QFETCH(QByteArray, header);
    SNResponse response = AnswerTable::answer("X-Goog-Upload-URL");
    response.headers += {{"X-Goog-Upload-Status", "active"}, {"X-Goog-Upload-Size-Received", header}};
    const QHash<QString, std::function<QString()>> readers{
        {QStringLiteral("session"), [&] { return GooglePhotosProvider::readSessionAddress(response).toString(); }},
        {QStringLiteral("item"),
         [&] {
             const GooglePhotosProvider::CreatedItem created = GooglePhotosProvider::readCreatedItem(response);
             return created.id + QLatin1Char(' ') + created.address;
         }},
        {QStringLiteral("status"),
         [&] {
             const GooglePhotosProvider::UploadStatus status = GooglePhotosProvider::readUploadStatus(response,
                                                                                                      10000000);
             return status.state == GooglePhotosProvider::UploadStatus::ACTIVE
                        ? QStringLiteral("active %1").arg(status.received)
                        : QStringLiteral("refused");
         }},
        {QStringLiteral("token"), [&] { return GooglePhotosProvider::readUploadToken(response); }}};
    QCOMPARE(readers.value(reader)(), expected);
}

QUILLO_TEST_MAIN(tst_GooglePhotosProvider)
#include "tst_GooglePhotosProvider.moc"
