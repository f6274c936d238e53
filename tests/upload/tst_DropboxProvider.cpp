#include "AnswerTable.h"
#include "DropboxProvider.h"
#include "DropboxServiceEmulation.h"
#include "JobProbe.h"
#include "OAuthGrant.h"
#include "ProviderRig.h"
#include "SNAccountStore.h"
#include "SettingImpl.h"
#include "TestBrowser.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QSettings>
#include <QTcpServer>

#include <functional>

Q_DECLARE_METATYPE(HttpFault)

// The file-storage provider against the service's documented shapes on the local server.
class tst_DropboxProvider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signInOnARegisteredPortAndCheckTheAccount();
    void theSettingsFileOverridesParameters_data();
    void theSettingsFileOverridesParameters();
    void uploadAndRemove_data();
    void uploadAndRemove();
    void sessionsResumeWhereTheServerStopped_data();
    void sessionsResumeWhereTheServerStopped();
    void theCommitIsNeverSentTwice();
    void aServerThatNeverGoesFurtherEndsTheUpload_data();
    void aServerThatNeverGoesFurtherEndsTheUpload();
    void anExistingSharedLinkIsListed();
    void removingWhatIsGoneSucceeds();
    void failuresMapToCodes_data();
    void failuresMapToCodes();
    void headerArgumentIsAscii_data();
    void headerArgumentIsAscii();
    void answersGiveOnlyWebAddressesAndPlainIds_data();
    void answersGiveOnlyWebAddressesAndPlainIds();
};

namespace {

const QString kService = QStringLiteral("dropboxOAuth");

struct Rig
{
    Rig()
        : rig(kService, [] { return std::make_unique<DropboxProvider>(); },
              {QStringLiteral("auth"), QStringLiteral("token"), QStringLiteral("api"), QStringLiteral("content")})
        , service(rig.server)
    {
        rig.handle->setParameter(QStringLiteral("consumer_key"),
                                 QString::fromLatin1(DropboxServiceEmulation::kClientId));
    }
    void grant() { rig.addGrantedAccount(service.oauth(), QString::fromLatin1(DropboxServiceEmulation::kClientId)); }
    // Small thresholds, so that a file of a few kilobytes goes through an upload session.
    void useSessions()
    {
        rig.handle->setParameter(QStringLiteral("simple_limit"), QStringLiteral("1000"));
        rig.handle->setParameter(QStringLiteral("chunk_size"), QStringLiteral("4096"));
    }

    ProviderRig rig;
    DropboxServiceEmulation service;
};

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QString folderPath(const QString &name)
{
    return QStringLiteral("/public/Quillo/") + name;
}

} // namespace

void tst_DropboxProvider::signInOnARegisteredPortAndCheckTheAccount()
{
    Rig r;
    const quint16 port = freePort();
    r.rig.handle->setParameter(QStringLiteral("redirect_ports"), QString::number(port));

    const QUrl consent = r.rig.requestToken();
    QCOMPARE(consent.path(), QStringLiteral("/oauth2/authorize"));
    const QUrlQuery asked(consent);
    QCOMPARE(asked.queryItemValue(QStringLiteral("token_access_type")), QStringLiteral("offline"));
    QCOMPARE(asked.queryItemValue(QStringLiteral("client_id")),
             QString::fromLatin1(DropboxServiceEmulation::kClientId));
    QCOMPARE(asked.queryItemValue(QStringLiteral("code_challenge_method")), QStringLiteral("S256"));
    QCOMPARE(QUrl(asked.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded)).port(), int(port));
    QCOMPARE(TestBrowser::open(consent, 3).status, 200);
    QTRY_VERIFY(
        !OAuthGrant::fromParams(r.rig.store->params(kService, QStringLiteral("teacher"))).refreshToken.isEmpty());

    const JobProbe::Report checked = r.rig.checkAccount();
    QCOMPARE(checked.kind, QStringLiteral("completed"));
    QCOMPARE(checked.result.value(QStringLiteral("id")).toString(),
             QString::fromLatin1(DropboxServiceEmulation::kAccountId));
    QCOMPARE(checked.result.value(QStringLiteral("name")).toString(), QStringLiteral("Ms Teacher"));
}

void tst_DropboxProvider::theSettingsFileOverridesParameters_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("askedItem");
    QTest::addColumn<QString>("asked");

    const QString port = QString::number(freePort());
    QTest::newRow("registered ports") << "redirect_ports" << port << "redirect_uri"
                                      << QStringLiteral("http://127.0.0.1:%1/").arg(port);
    QTest::newRow("app key") << "consumer_key"
                             << "another-app-key"
                             << "client_id"
                             << "another-app-key";
}

void tst_DropboxProvider::theSettingsFileOverridesParameters()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, askedItem);
    QFETCH(QString, asked);
    Rig r;
    QSettings settings(SettingImpl::settingsFilePath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("upload/dropboxOAuth/") + key, value);
    settings.sync();

    const QUrl consent = r.rig.requestToken();
    settings.remove(QStringLiteral("upload"));
    QCOMPARE(QUrlQuery(consent).queryItemValue(askedItem, QUrl::FullyDecoded), asked);
}

void tst_DropboxProvider::uploadAndRemove_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("sessions");
    QTest::addColumn<bool>("scheduled");
    QTest::addColumn<bool>("nameTaken");
    QTest::addColumn<QString>("expectedId");

    QTest::newRow("one request") << "1.jpg" << qint64(900) << false << false << false << "1.jpg";
    QTest::newRow("one request, name taken") << "1.jpg" << qint64(900) << false << false << true << "1 (1).jpg";
    QTest::newRow("session") << "lesson.avi" << qint64(3 * 4096 + 17) << true << false << false << "lesson.avi";
    QTest::newRow("session, name taken, scheduled")
        << "2.jpg" << qint64(4096 * 2) << true << true << true << "2 (1).jpg";
    QTest::newRow("name outside ASCII") << QStringLiteral("Tafel \u00fc \u20ac.jpg") << qint64(100) << false << false
                                        << false << QStringLiteral("Tafel \u00fc \u20ac.jpg");
    QTest::newRow("empty file") << "empty.jpg" << qint64(0) << false << true << false << "empty.jpg";
}

void tst_DropboxProvider::uploadAndRemove()
{
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(bool, sessions);
    QFETCH(bool, scheduled);
    QFETCH(bool, nameTaken);
    QFETCH(QString, expectedId);
    Rig r;
    r.grant();
    if (sessions)
        r.useSessions();
    if (nameTaken)
        r.service.putFile(folderPath(name), "the earlier picture of a time-lapse series");
    const QString path = r.rig.writeFile(name, size);

    const JobProbe::Report end = scheduled ? r.rig.uploadScheduled(path) : r.rig.upload(path);
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    QCOMPARE(end.id, expectedId);
    QCOMPARE(r.service.file(folderPath(end.id)), ProviderRig::contents(path));
    QVERIFY(r.service.hasLink(folderPath(end.id)));
    QVERIFY(end.url.startsWith(r.rig.server.url(QStringLiteral("/s/")).toString()));
    QCOMPARE(r.rig.server.requests("POST", QStringLiteral("/2/files/upload_session/start")).isEmpty(), !sessions);
    if (nameTaken)
        QCOMPARE(r.service.file(folderPath(name)), QByteArray("the earlier picture of a time-lapse series"));

    // Removal gets the path the program builds from the folder and the id.
    const JobProbe::Report removed = r.rig.remove(QStringLiteral("public/Quillo/") + end.id);
    QCOMPARE(removed.kind, QStringLiteral("completed"));
    QVERIFY(r.service.file(folderPath(end.id)).isEmpty());
    QCOMPARE(r.service.paths().size(), nameTaken ? 1 : 0);
}

void tst_DropboxProvider::sessionsResumeWhereTheServerStopped_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<HttpFault>("fault");
    QTest::addColumn<int>("nth");

    const HttpReply expired = HttpReply::json(
        409, {{QStringLiteral("error_summary"), QStringLiteral("not_found/")},
              {QStringLiteral("error"), QJsonObject{{QStringLiteral(".tag"), QStringLiteral("not_found")}}}});
    QTest::newRow("append taken, answer lost")
        << "/2/files/upload_session/append_v2" << HttpFault::closeBeforeReply() << 2;
    QTest::newRow("append dropped halfway")
        << "/2/files/upload_session/append_v2" << HttpFault::dropAfterBodyBytes(1000) << 1;
    QTest::newRow("append answered 503") << "/2/files/upload_session/append_v2"
                                         << HttpFault::replyWith(HttpReply::text(503)) << 2;
    QTest::newRow("session expired") << "/2/files/upload_session/append_v2" << HttpFault::replyWith(expired) << 2;
    QTest::newRow("start answered 500") << "/2/files/upload_session/start" << HttpFault::replyWith(HttpReply::text(500))
                                        << 1;
}

void tst_DropboxProvider::sessionsResumeWhereTheServerStopped()
{
    QFETCH(QString, path);
    QFETCH(HttpFault, fault);
    QFETCH(int, nth);
    Rig r;
    r.grant();
    r.useSessions();
    const QString file = r.rig.writeFile(QStringLiteral("lesson.avi"), 4 * 4096 + 5);
    r.rig.server.addFault("POST", path, fault, nth);

    const JobProbe::Report end = r.rig.upload(file, true);
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    QCOMPARE(end.id, QStringLiteral("lesson.avi"));
    QCOMPARE(r.service.file(folderPath(end.id)), ProviderRig::contents(file));
    QCOMPARE(r.service.paths().size(), 1);
}

void tst_DropboxProvider::theCommitIsNeverSentTwice()
{
    Rig r;
    r.grant();
    r.useSessions();
    const QString file = r.rig.writeFile(QStringLiteral("lesson.avi"), 2 * 4096 + 5);
    r.rig.server.addFault("POST", QStringLiteral("/2/files/upload_session/finish"), HttpFault::closeBeforeReply());

    const JobProbe::Report end = r.rig.upload(file, true);
    QCOMPARE(end.kind, QStringLiteral("failed"));
    QCOMPARE(end.code, int(SN_ERR_DISCONNECTED));
    QCOMPARE(r.rig.server.requests("POST", QStringLiteral("/2/files/upload_session/finish")).size(), 1);
    QCOMPARE(r.service.paths().size(), 1);
}

void tst_DropboxProvider::aServerThatNeverGoesFurtherEndsTheUpload_data()
{
    QTest::addColumn<qint64>("named");
    QTest::newRow("the same offset again and again") << qint64(4096);
    QTest::newRow("back to the start every time") << qint64(0);
}

void tst_DropboxProvider::aServerThatNeverGoesFurtherEndsTheUpload()
{
    QFETCH(qint64, named);
    Rig r;
    r.grant();
    r.useSessions();
    const QString file = r.rig.writeFile(QStringLiteral("lesson.avi"), 4 * 4096 + 5);
    r.rig.server.route("POST", QStringLiteral("/2/files/upload_session/append_v2"), [named](const RecordedRequest &) {
        return HttpReply::json(409, {{QStringLiteral("error_summary"), QStringLiteral("incorrect_offset/")},
                                     {QStringLiteral("error"),
                                      QJsonObject{{QStringLiteral(".tag"), QStringLiteral("incorrect_offset")},
                                                  {QStringLiteral("correct_offset"), named}}}});
    });

    const JobProbe::Report end = r.rig.upload(file, true);
    QCOMPARE(end.kind, QStringLiteral("failed"));
    QCOMPARE(end.code, int(SN_ERR_PROTOCOL));
    const qsizetype rounds = r.rig.server.requests("POST", QStringLiteral("/2/files/upload_session/append_v2")).size();
    QVERIFY2(rounds <= 5, qPrintable(QString::number(rounds)));
    QVERIFY(r.rig.server.requests("POST", QStringLiteral("/2/files/upload_session/finish")).isEmpty());
}

void tst_DropboxProvider::anExistingSharedLinkIsListed()
{
    Rig r;
    r.grant();
    const QString existing = QStringLiteral("https://links.invalid/s/earlier/3.jpg");
    r.service.addLink(folderPath(QStringLiteral("3.jpg")), existing);
    const JobProbe::Report end = r.rig.upload(r.rig.writeFile(QStringLiteral("3.jpg"), 50));
    QCOMPARE(end.kind, QStringLiteral("uploaded"));
    QCOMPARE(end.url, existing);
    QCOMPARE(r.rig.server.requests("POST", QStringLiteral("/2/sharing/list_shared_links")).size(), 1);
}

void tst_DropboxProvider::removingWhatIsGoneSucceeds()
{
    Rig r;
    r.grant();
    const JobProbe::Report removed = r.rig.remove(QStringLiteral("public/Quillo/gone.jpg"));
    QCOMPARE(removed.kind, QStringLiteral("completed"));
    QCOMPARE(r.rig.server.requests("POST", QStringLiteral("/2/files/delete_v2"))
                 .value(0)
                 .json()
                 .value(QStringLiteral("path")),
             QStringLiteral("/public/Quillo/gone.jpg"));
}

void tst_DropboxProvider::failuresMapToCodes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("code");

    QTest::newRow("missing scope") << 409 << "missing_scope/" << QByteArray() << 1 << int(SN_ERR_PRIVILEGE);
    QTest::newRow("no space left") << 409 << "path/insufficient_space/" << QByteArray() << 1
                                   << int(SN_ERR_FILE_TOO_LARGE);
    QTest::newRow("conflict without rename")
        << 409 << "path/conflict/file/" << QByteArray() << 1 << int(SN_ERR_PROTOCOL);
    QTest::newRow("413") << 413 << "" << QByteArray() << 1 << int(SN_ERR_FILE_TOO_LARGE);
    QTest::newRow("429 once, short wait") << 429 << "too_many_write_operations/" << QByteArray("0") << 1 << 0;
    QTest::newRow("429 twice") << 429 << "too_many_write_operations/" << QByteArray("0") << 2 << int(SN_ERR_TOO_OFTEN);
    QTest::newRow("429, long wait") << 429 << "too_many_requests/" << QByteArray("300") << 1 << int(SN_ERR_TOO_OFTEN);
    QTest::newRow("503") << 503 << "" << QByteArray() << 1 << int(SN_ERR_UNREACHABLE);
    QTest::newRow("400 bad call") << 400 << "" << QByteArray() << 1 << int(SN_ERR_PROTOCOL);
}

void tst_DropboxProvider::failuresMapToCodes()
{
    QFETCH(int, status);
    QFETCH(QString, summary);
    QFETCH(QByteArray, retryAfter);
    QFETCH(int, times);
    QFETCH(int, code);
    Rig r;
    r.grant();
    HttpReply reply = HttpReply::json(status, {{QStringLiteral("error_summary"), summary}});
    if (!retryAfter.isEmpty())
        reply.header("Retry-After", retryAfter);
    for (int n = 0; n < times; ++n)
        r.rig.server.addFault("POST", QStringLiteral("/2/files/upload"), HttpFault::replyWith(reply), n + 1);

    const JobProbe::Report end = r.rig.upload(r.rig.writeFile(QStringLiteral("4.jpg"), 300));
    QCOMPARE(end.kind, code == 0 ? QStringLiteral("uploaded") : QStringLiteral("failed"));
    QCOMPARE(end.code, code);
    QCOMPARE(r.service.paths().size(), code == 0 ? 1 : 0);
}

void tst_DropboxProvider::headerArgumentIsAscii_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("plain") << "a.jpg" << QByteArray(R"({"path":"a.jpg"})");
    QTest::newRow("latin") << QStringLiteral("\u00fc.jpg") << QByteArray(R"({"path":"\u00fc.jpg"})");
    QTest::newRow("outside the basic plane")
        << QStringLiteral("\U0001F600.jpg") << QByteArray(R"({"path":"\ud83d\ude00.jpg"})");
    QTest::newRow("quote and control") << QStringLiteral("a\"b\u007f.jpg")
                                       << QByteArray(R"({"path":"a\"b\u007f.jpg"})");
}

void tst_DropboxProvider::headerArgumentIsAscii()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, header);
    const QByteArray argument = DropboxProvider::apiArgument({{QStringLiteral("path"), name}});
    QCOMPARE(argument, header);
    QCOMPARE(QJsonDocument::fromJson(argument).object().value(QStringLiteral("path")).toString(), name);
}

// A link is shown to the user and opened in a browser; the name is the copy's id and the path it is
// removed by; the offset is where the session's next bytes go.
void tst_DropboxProvider::answersGiveOnlyWebAddressesAndPlainIds_data()
{
    AnswerTable::addColumns();

    const QString link = QStringLiteral("link");
    const QString listed = QStringLiteral("listed");
    const QString stored = QStringLiteral("stored");
    const QString offset = QStringLiteral("offset");
    QTest::newRow("link") << link << 200 << QByteArray() << QByteArray(R"({"url":"https://www.dropbox.com/s/x/a.avi"})")
                          << QStringLiteral("https://www.dropbox.com/s/x/a.avi");
    QTest::newRow("link to a script") << link << 200 << QByteArray() << QByteArray(R"({"url":"javascript:alert`1`"})")
                                      << QString();
    QTest::newRow("link to a local file")
        << link << 200 << QByteArray() << QByteArray(R"({"url":"file:///etc/passwd"})") << QString();
    QTest::newRow("listed link") << listed << 200 << QByteArray()
                                 << QByteArray(R"({"links":[{"url":"https://www.dropbox.com/s/y/a.avi"}]})")
                                 << QStringLiteral("https://www.dropbox.com/s/y/a.avi");
    QTest::newRow("listed link relative")
        << listed << 200 << QByteArray() << QByteArray(R"({"links":[{"url":"/s/y/a.avi"}]})") << QString();
    QTest::newRow("stored") << stored << 200 << QByteArray()
                            << QByteArray(R"({"name":"a (1).avi","path_lower":"/public/q/a (1).avi"})")
                            << QStringLiteral("a (1).avi /public/q/a (1).avi");
    QTest::newRow("stored name in a folder")
        << stored << 200 << QByteArray() << QByteArray(R"({"name":"b/a.avi","path_lower":"/public/q/b/a.avi"})")
        << QString();
    QTest::newRow("stored name with a control character")
        << stored << 200 << QByteArray() << QByteArray(R"({"name":"a\u0007.avi","path_lower":"/public/q/a.avi"})")
        << QString();
    QTest::newRow("stored name with a NUL")
        << stored << 200 << QByteArray() << QByteArray(R"({"name":"a\u0000.avi","path_lower":"/public/q/a.avi"})")
        << QString();
    QTest::newRow("stored without path") << stored << 200 << QByteArray() << QByteArray(R"({"name":"a.avi"})")
                                         << QString();
    QTest::newRow("session") << QStringLiteral("session") << 200 << QByteArray()
                             << QByteArray(R"({"session_id":"1234faaf0678bcde"})")
                             << QStringLiteral("1234faaf0678bcde");
    QTest::newRow("account") << QStringLiteral("account") << 200 << QByteArray()
                             << QByteArray(R"({"account_id":"dbid:1","name":{"display_name":"Ann"}})")
                             << QStringLiteral("dbid:1 Ann");
    QTest::newRow("account name without its id") << QStringLiteral("account") << 200 << QByteArray()
                                                 << QByteArray(R"({"name":{"display_name":"Ann"}})") << QString();
    QTest::newRow("account of a refused answer")
        << QStringLiteral("account") << 401 << QByteArray() << QByteArray(R"({"account_id":"dbid:1"})") << QString();
    const QByteArray incorrect = R"({"error":{".tag":"incorrect_offset","correct_offset":%1}})";
    QTest::newRow("offset") << offset << 409 << QByteArray() << QByteArray(incorrect).replace("%1", "8388608")
                            << QStringLiteral("8388608");
    QTest::newRow("offset at the end") << offset << 409 << QByteArray()
                                       << QByteArray(incorrect).replace("%1", "10000000") << QStringLiteral("10000000");
    QTest::newRow("offset past the end") << offset << 409 << QByteArray()
                                         << QByteArray(incorrect).replace("%1", "10000001") << QString();
    QTest::newRow("offset as a fraction")
        << offset << 409 << QByteArray() << QByteArray(incorrect).replace("%1", "4096.5") << QString();
    QTest::newRow("offset past what qint64 holds")
        << offset << 409 << QByteArray() << QByteArray(incorrect).replace("%1", "1e300") << QString();
    QTest::newRow("offset negative") << offset << 409 << QByteArray() << QByteArray(incorrect).replace("%1", "-1")
                                     << QString();
    QTest::newRow("offset of another status")
        << offset << 400 << QByteArray() << QByteArray(incorrect).replace("%1", "0") << QString();
}

void tst_DropboxProvider::answersGiveOnlyWebAddressesAndPlainIds()
{
    QFETCH(QString, reader);
    QFETCH(QString, expected);
    const SNResponse response = AnswerTable::answer("X-Unused");
    constexpr qint64 fileSize = 10000000;
    const QHash<QString, std::function<QString()>> readers{
        {QStringLiteral("link"), [&] { return DropboxProvider::readCreatedLink(response); }},
        {QStringLiteral("listed"), [&] { return DropboxProvider::readListedLink(response); }},
        {QStringLiteral("stored"),
         [&] {
             const DropboxProvider::Stored stored = DropboxProvider::readStored(response);
             return stored.path.isEmpty() ? stored.name : stored.name + QLatin1Char(' ') + stored.path;
         }},
        {QStringLiteral("session"), [&] { return DropboxProvider::readSessionId(response); }},
        {QStringLiteral("account"),
         [&] {
             const SNProvider::Account account = DropboxProvider::readAccount(response);
             return account.name.isEmpty() ? account.id : account.id + QLatin1Char(' ') + account.name;
         }},
        {QStringLiteral("offset"), [&] {
             const std::optional<qint64> correct = DropboxProvider::correctOffset(response, false, fileSize);
             return correct ? QString::number(*correct) : QString();
         }}};
    QCOMPARE(readers.value(reader)(), expected);
}

QUILLO_TEST_MAIN(tst_DropboxProvider)
#include "tst_DropboxProvider.moc"
