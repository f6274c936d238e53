#include "FacebookProvider.h"
#include "FacebookServiceEmulation.h"
#include "JobProbe.h"
#include "OAuthGrant.h"
#include "ProviderRig.h"
#include "SNAccountStore.h"
#include "SNResponse.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(HttpFault)

// The social-network provider against the network's documented Graph shapes on the local server: Pages
// named by the account, photos and resumable videos, and the error answers.
class tst_FacebookProvider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deviceLoginThenTheNamedPage();
    void findingThePage_data();
    void findingThePage();
    void uploadAndPublish_data();
    void uploadAndPublish();
    void videosResumeWhereTheServerStopped_data();
    void videosResumeWhereTheServerStopped();
    void failuresMapToCodes_data();
    void failuresMapToCodes();
    void removalIsLeftToTheUser();
    void heldOffsetStaysInTheFile_data();
    void heldOffsetStaysInTheFile();
    void answersGiveOnlyWebAddressesAndPlainIds_data();
    void answersGiveOnlyWebAddressesAndPlainIds();
};

namespace {

const QString kService = QStringLiteral("facebook");
const QString kPageId = FacebookServiceEmulation::classPage().id;

struct Rig
{
    Rig()
        : rig(kService, [] { return std::make_unique<FacebookProvider>(); },
              {QStringLiteral("api"), QStringLiteral("video"), QStringLiteral("web")})
        , service(rig.server)
    {
        rig.handle->setParameter(QStringLiteral("appID"), QString::fromLatin1(FacebookServiceEmulation::kAppId));
        rig.handle->setParameter(QStringLiteral("client_token"),
                                 QString::fromLatin1(FacebookServiceEmulation::kClientToken));
    }
    // The account "teacher" with a user token as device login gives it: long-lived, without a refresh token.
    void grant(const QString &label = QStringLiteral("teacher"))
    {
        rig.store->addAccount(kService, {QString(), label, QString()});
        OAuthGrant grant;
        grant.accessToken = service.issueUserToken();
        grant.clientId = QString::fromLatin1(FacebookServiceEmulation::kAppId);
        grant.expiresAt = QDateTime::currentDateTimeUtc().addDays(60);
        QMap<QString, QString> params;
        grant.writeTo(params);
        rig.store->setParams(kService, label, params);
    }

    ProviderRig rig;
    FacebookServiceEmulation service;
};

FacebookServiceEmulation::Page page(const QString &id, const QString &name, const QStringList &tasks)
{
    return {id, name, QStringLiteral("token-of-") + id, tasks};
}

QByteArray fetch(const QUrl &url)
{
    QNetworkAccessManager browser;
    std::unique_ptr<QNetworkReply> reply(browser.get(QNetworkRequest(url)));
    if (!QTest::qWaitFor([&reply] { return reply->isFinished(); }, 10000))
        return {};
    return reply->readAll();
}

} // namespace

void tst_FacebookProvider::deviceLoginThenTheNamedPage()
{
    Rig r;
    const QString label = FacebookServiceEmulation::classPage().name;
    r.rig.store->addAccount(kService, {QString(), label, QString()});

    // Our own page shows the code and where to enter it; the program waits for the grant meanwhile.
    const QUrl local = r.rig.requestToken(label);
    QCOMPARE(local.host(), QStringLiteral("127.0.0.1"));
    const QByteArray shown = fetch(local);
    QVERIFY(shown.contains(r.service.userCode().toUtf8()));
    QVERIFY(shown.contains(r.rig.server.url(QStringLiteral("/device")).toEncoded()));
    const RecordedRequest asked = r.rig.server.requests("POST", QStringLiteral("/device/login")).value(0);
    QVERIFY(asked.formValue(QStringLiteral("scope"))
                .split(QLatin1Char(','))
                .contains(QStringLiteral("pages_manage_posts")));
    QTRY_VERIFY(r.rig.server.requests("POST", QStringLiteral("/device/login_status")).size() >= 2);
    QVERIFY(OAuthGrant::fromParams(r.rig.store->params(kService, label)).accessToken.isEmpty());

    r.service.approveDevice();
    QTRY_VERIFY(!OAuthGrant::fromParams(r.rig.store->params(kService, label)).accessToken.isEmpty());

    const JobProbe::Report checked = r.rig.checkAccount(label);
    QCOMPARE(checked.kind, QStringLiteral("completed"));
    QCOMPARE(checked.result.value(QStringLiteral("id")).toString(), kPageId);
    QCOMPARE(checked.result.value(QStringLiteral("name")).toString(), label);
}

void tst_FacebookProvider::findingThePage_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("pagesPerList");
    QTest::addColumn<bool>("foreignNextList");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("pageId");

    QTest::newRow("by name, any case") << "CHEMISTRY 7B" << 25 << false << 0 << "201";
    QTest::newRow("by id") << "202" << 25 << false << 0 << "202";
    QTest::newRow("on a later list") << "Physics" << 1 << false << 0 << "203";
    QTest::newRow("a list on another server is not followed") << "Physics" << 1 << true << int(SN_ERR_PRIVILEGE) << "";
    QTest::newRow("a role that may not publish") << "Parents' Board" << 25 << false << int(SN_ERR_PRIVILEGE) << "";
    QTest::newRow("no such Page") << "Ms Teacher" << 25 << false << int(SN_ERR_PRIVILEGE) << "";
}

void tst_FacebookProvider::findingThePage()
{
    QFETCH(QString, label);
    QFETCH(int, pagesPerList);
    QFETCH(bool, foreignNextList);
    QFETCH(int, code);
    QFETCH(QString, pageId);
    Rig r;
    const QStringList publisher{QStringLiteral("CREATE_CONTENT"), QStringLiteral("MODERATE")};
    r.service.setPages({page(QStringLiteral("201"), QStringLiteral("Chemistry 7b"), publisher),
                        page(QStringLiteral("202"), QStringLiteral("Biology"), publisher),
                        page(QStringLiteral("204"), QStringLiteral("Parents' Board"), {QStringLiteral("MODERATE")}),
                        page(QStringLiteral("203"), QStringLiteral("Physics"), publisher)});
    r.service.setPagesPerList(pagesPerList);
    if (foreignNextList) {
        // The answer's next address is read as it comes: one pointing elsewhere would carry the token away.
        r.rig.server.addFault("GET", QStringLiteral("/me/accounts"),
                              HttpFault::replyWith(HttpReply::json(
                                  200,
                                  {{QStringLiteral("data"), QJsonArray()},
                                   {QStringLiteral("paging"),
                                    QJsonObject{{QStringLiteral("next"),
                                                 QStringLiteral("https://elsewhere.invalid/me/accounts?after=1")}}}})));
    }
    r.grant(label);

    const JobProbe::Report checked = r.rig.checkAccount(label);
    QCOMPARE(checked.kind, code == 0 ? QStringLiteral("completed") : QStringLiteral("failed"));
    QCOMPARE(checked.code, code);
    QCOMPARE(checked.result.value(QStringLiteral("id")).toString(), pageId);
    QCOMPARE(r.rig.store->params(kService, label).value(QStringLiteral("page.id")), pageId);
}

void tst_FacebookProvider::uploadAndPublish_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("isVideo");
    QTest::addColumn<bool>("scheduled");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("text");

    QTest::newRow("photo") << "1.jpg" << qint64(70000) << false << false << "Cells under the microscope"
                           << "Lesson\n\nCells under the microscope";
    QTest::newRow("photo, scheduled") << "2.jpg" << qint64(3000) << false << true << ""
                                      << "Lesson";
    QTest::newRow("photo, name with form characters")
        << QStringLiteral("a+b & \"c\" \u00fc.png") << qint64(10) << false << false << ""
        << "Lesson";
    QTest::newRow("video") << "lesson.mp4" << qint64(300000) << true << false << "Titration"
                           << "Titration";
    QTest::newRow("video, scheduled") << "lesson 2+3.mp4" << qint64(5000) << true << true << ""
                                      << "";
    QTest::newRow("empty video") << "empty.mp4" << qint64(0) << true << false << ""
                                 << "";
}

void tst_FacebookProvider::uploadAndPublish()
{
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(bool, isVideo);
    QFETCH(bool, scheduled);
    QFETCH(QString, description);
    QFETCH(QString, text);
    Rig r;
    r.service.setPages({page(kPageId, QStringLiteral("Teacher"), {QStringLiteral("CREATE_CONTENT")})});
    r.grant();
    const QString path = r.rig.writeFile(name, size);

    const JobProbe::Report end = scheduled ? r.rig.uploadScheduled(path, isVideo)
                                           : r.rig.upload(path, isVideo, QStringLiteral("Lesson"), description);
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    const FacebookServiceEmulation::Post post = isVideo ? r.service.video(end.id) : r.service.photo(end.id);
    QCOMPARE(post.pageId, kPageId);
    QCOMPARE(post.data, ProviderRig::contents(path));
    QCOMPARE(post.text, text);
    QCOMPARE(isVideo ? r.service.videos().size() : r.service.photos().size(), 1);
    if (isVideo) {
        QCOMPARE(post.title, QStringLiteral("Lesson"));
        QCOMPARE(end.url, r.rig.server.url(QStringLiteral("/%1/videos/%2/").arg(kPageId, end.id)).toString());
    } else {
        QCOMPARE(post.fileName, QString(name).replace(QLatin1Char('"'), QLatin1Char('_')));
        QCOMPARE(end.url, QStringLiteral("https://www.facebook.test/photo.php?fbid=") + end.id);
    }
}

void tst_FacebookProvider::videosResumeWhereTheServerStopped_data()
{
    QTest::addColumn<HttpFault>("fault");
    QTest::addColumn<int>("nth");
    QTest::addColumn<bool>("serverKeptBytes");

    QTest::newRow("dropped halfway") << HttpFault::dropAfterBodyBytes(100000) << 1 << true;
    QTest::newRow("dropped twice") << HttpFault::dropAfterBodyBytes(50000) << 1 << true;
    QTest::newRow("taken, answer lost") << HttpFault::closeBeforeReply() << 1 << true;
    QTest::newRow("answered 503") << HttpFault::replyWith(HttpReply::text(503)) << 1 << false;
}

void tst_FacebookProvider::videosResumeWhereTheServerStopped()
{
    QFETCH(HttpFault, fault);
    QFETCH(int, nth);
    QFETCH(bool, serverKeptBytes);
    Rig r;
    r.service.setPages({page(kPageId, QStringLiteral("Teacher"), {QStringLiteral("CREATE_CONTENT")})});
    r.grant();
    const QString file = r.rig.writeFile(QStringLiteral("lesson.mp4"), 400000);
    r.rig.server.addFault("POST", QStringLiteral("/upload:*"), fault, nth);
    if (QByteArray(QTest::currentDataTag()) == "dropped twice")
        r.rig.server.addFault("POST", QStringLiteral("/upload:*"), fault, 2);

    const JobProbe::Report end = r.rig.upload(file, true);
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    QCOMPARE(r.service.videos().size(), 1);
    QCOMPARE(r.service.video(end.id).data, ProviderRig::contents(file));
    // Each resume asked the server how far it got, and went on from there.
    const QList<RecordedRequest> asked = r.rig.server.requests("GET", QStringLiteral("/upload:*"));
    QVERIFY(!asked.isEmpty());
    const QList<RecordedRequest> sent = r.rig.server.requests("POST", QStringLiteral("/upload:*"));
    QCOMPARE(sent.size(), asked.size() + 1);
    QCOMPARE(sent.last().header("file_offset").toLongLong() > 0, serverKeptBytes);
}

void tst_FacebookProvider::failuresMapToCodes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("graphCode");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("code");

    QTest::newRow("token withdrawn") << 400 << 190 << QByteArray() << 1 << int(SN_ERR_AUTHORIZATION);
    QTest::newRow("401") << 401 << 190 << QByteArray() << 1 << int(SN_ERR_AUTHORIZATION);
    QTest::newRow("application rate limit") << 400 << 4 << QByteArray() << 1 << int(SN_ERR_TOO_OFTEN);
    QTest::newRow("Page rate limit") << 400 << 32 << QByteArray() << 1 << int(SN_ERR_TOO_OFTEN);
    QTest::newRow("permission missing") << 403 << 200 << QByteArray() << 1 << int(SN_ERR_PRIVILEGE);
    QTest::newRow("permission denied") << 400 << 10 << QByteArray() << 1 << int(SN_ERR_PRIVILEGE);
    QTest::newRow("413") << 413 << 0 << QByteArray() << 1 << int(SN_ERR_FILE_TOO_LARGE);
    QTest::newRow("429 once, short wait") << 429 << 0 << QByteArray("0") << 1 << 0;
    QTest::newRow("429, long wait") << 429 << 0 << QByteArray("300") << 1 << int(SN_ERR_TOO_OFTEN);
    QTest::newRow("503") << 503 << 0 << QByteArray() << 1 << int(SN_ERR_UNREACHABLE);
    QTest::newRow("invalid parameter") << 400 << 100 << QByteArray() << 1 << int(SN_ERR_PROTOCOL);
}

void tst_FacebookProvider::failuresMapToCodes()
{
    QFETCH(int, status);
    QFETCH(int, graphCode);
    QFETCH(QByteArray, retryAfter);
    QFETCH(int, times);
    QFETCH(int, code);
    Rig r;
    r.service.setPages({page(kPageId, QStringLiteral("Teacher"), {QStringLiteral("CREATE_CONTENT")})});
    r.grant();
    HttpReply reply = HttpReply::json(status, {});
    if (graphCode != 0)
        reply = HttpReply::json(status, {{QStringLiteral("error"),
                                          QJsonObject{{QStringLiteral("code"), graphCode},
                                                      {QStringLiteral("message"), QStringLiteral("refused")}}}});
    if (!retryAfter.isEmpty())
        reply.header("Retry-After", retryAfter);
    for (int n = 0; n < times; ++n)
        r.rig.server.addFault("POST", QStringLiteral("/%1/photos").arg(kPageId), HttpFault::replyWith(reply), n + 1);

    const JobProbe::Report end = r.rig.upload(r.rig.writeFile(QStringLiteral("4.jpg"), 300));
    QCOMPARE(end.kind, code == 0 ? QStringLiteral("uploaded") : QStringLiteral("failed"));
    QCOMPARE(end.code, code);
    QCOMPARE(r.service.photos().size(), code == 0 ? 1 : 0);
}

void tst_FacebookProvider::removalIsLeftToTheUser()
{
    Rig r;
    r.grant();
    const JobProbe::Report removed = r.rig.remove(QStringLiteral("90000000001"));
    QCOMPARE(removed.kind, QStringLiteral("failed"));
    QCOMPARE(removed.code, int(SN_ERR_NOT_SUPPORTED));
    QVERIFY(r.rig.server.requests().isEmpty());
}

void tst_FacebookProvider::heldOffsetStaysInTheFile_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<qint64>("expected");

    constexpr qint64 refused = -1;
    QTest::newRow("number") << 200 << QByteArray(R"({"file_offset":524288})") << qint64(524288);
    QTest::newRow("text") << 200 << QByteArray(R"({"file_offset":"1000000"})") << qint64(1000000);
    QTest::newRow("missing") << 200 << QByteArray("{}") << refused;
    QTest::newRow("refused answer") << 500 << QByteArray(R"({"file_offset":0})") << refused;
    QTest::newRow("past the end") << 200 << QByteArray(R"({"file_offset":1000001})") << refused;
    QTest::newRow("negative") << 200 << QByteArray(R"({"file_offset":-1})") << refused;
    QTest::newRow("past what qint64 holds") << 200 << QByteArray(R"({"file_offset":1e300})") << refused;
}

void tst_FacebookProvider::heldOffsetStaysInTheFile()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(qint64, expected);
    SNResponse response;
    response.status = status;
    response.body = body;
    QCOMPARE(FacebookProvider::heldOffset(response, 1000000).value_or(-1), expected);
}

// A post's address is shown to the user and opened in a browser; the next Page list is fetched with the
// person's token, so only from the api's own server.
void tst_FacebookProvider::answersGiveOnlyWebAddressesAndPlainIds_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    const QString link = QStringLiteral("link");
    const QString next = QStringLiteral("next");
    const QByteArray list = R"({"data":[],"paging":{"next":"%1"}})";
    QTest::newRow("link") << link << QByteArray(R"({"link":"https://www.facebook.test/photo.php?fbid=1"})")
                          << QStringLiteral("https://www.facebook.test/photo.php?fbid=1");
    QTest::newRow("link relative to the site") << link << QByteArray(R"({"link":"/5b/videos/2/"})")
                                               << QStringLiteral("https://www.facebook.test/5b/videos/2/");
    QTest::newRow("link to a script") << link << QByteArray(R"({"link":"javascript:alert`1`"})") << QString();
    QTest::newRow("link to a local file") << link << QByteArray(R"({"link":"file:///etc/passwd"})") << QString();
    QTest::newRow("link to another kind of address")
        << link << QByteArray(R"({"link":"mailto:a@b.test"})") << QString();
    QTest::newRow("next on the same server")
        << next << QByteArray(list).replace("%1", "https://graph.test/v21.0/me/accounts?after=2")
        << QStringLiteral("https://graph.test/v21.0/me/accounts?after=2");
    QTest::newRow("next elsewhere") << next
                                    << QByteArray(list).replace("%1", "https://graph.test.evil.test/me/accounts")
                                    << QString();
    QTest::newRow("next on another port")
        << next << QByteArray(list).replace("%1", "https://graph.test:8443/me/accounts") << QString();
    QTest::newRow("next without encryption")
        << next << QByteArray(list).replace("%1", "http://graph.test/me/accounts") << QString();
    QTest::newRow("next relative") << next << QByteArray(list).replace("%1", "/me/accounts?after=2") << QString();
    QTest::newRow("page")
        << QStringLiteral("page")
        << QByteArray(R"({"data":[{"id":"42","name":"Class 5b","access_token":"t","tasks":["CREATE_CONTENT"]}]})")
        << QStringLiteral("42");
    QTest::newRow("page id with a control character")
        << QStringLiteral("page")
        << QByteArray(R"({"data":[{"id":"4\u00852","name":"Class 5b","access_token":"t","tasks":["CREATE_CONTENT"]}]})")
        << QStringLiteral("may not publish");
    QTest::newRow("upload session") << QStringLiteral("session") << QByteArray(R"({"id":"upload:MTph?sig=AR"})")
                                    << QStringLiteral("upload:MTph?sig=AR");
    QTest::newRow("upload session of another kind")
        << QStringLiteral("session") << QByteArray(R"({"id":"12345"})") << QString();
}

void tst_FacebookProvider::answersGiveOnlyWebAddressesAndPlainIds()
{
    QFETCH(QString, reader);
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    SNResponse response;
    response.status = 200;
    response.body = body;
    const QUrl api(QStringLiteral("https://graph.test/v21.0"));
    const auto pageList = [&] { return FacebookProvider::readPageList(response, QStringLiteral("class 5B"), api); };
    const QHash<QString, std::function<QString()>> readers{
        {QStringLiteral("link"),
         [&] {
             return FacebookProvider::readAddress(response, QStringLiteral("link"),
                                                  QUrl(QStringLiteral("https://www.facebook.test")));
         }},
        {QStringLiteral("next"), [&] { return pageList().next.toString(); }},
        {QStringLiteral("page"),
         [&] {
             const FacebookProvider::PageList found = pageList();
             return found.mayNotPublish ? QStringLiteral("may not publish")
                                        : found.page.value_or(FacebookProvider::Page{}).id;
         }},
        {QStringLiteral("session"), [&] { return FacebookProvider::readUploadSession(response); }}};
    QCOMPARE(readers.value(reader)(), expected);
}

QUILLO_TEST_MAIN(tst_FacebookProvider)
#include "tst_FacebookProvider.moc"
