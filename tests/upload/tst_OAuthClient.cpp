#include "JobProbe.h"
#include "LogCapture.h"
#include "OAuthGrant.h"
#include "OAuthProtocol.h"
#include "SNAccountStore.h"
#include "SNJob.h"
#include "SampleRig.h"
#include "TestBrowser.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"

#include <QApplication>
#include <QDesktopServices>
#include <QNetworkInterface>
#include <QTcpSocket>

Q_DECLARE_METATYPE(HttpFault)
Q_DECLARE_METATYPE(HttpReply)

// Our OAuth 2 client against the emulated authorization server: the consent round trip through a stand-in
// browser, renewals, refusals and the device login, and the protocol's messages as pure functions.
class tst_OAuthClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestEnvironment::clearOpenedUrls(); }
    void codeFlowWithPkceAndState_data();
    void codeFlowWithPkceAndState();
    void listenerIgnoresStrangersAndServesLoopbackOnly();
    void refusedConsentLeavesNoGrant();
    void aNewRequestReplacesTheUnfinishedOne();
    void expiringTokenIsRenewedOnceForAllJobs();
    void refusedRenewalRemovesTheGrant();
    void otherRefusalsKeepTheGrant_data();
    void otherRefusalsKeepTheGrant();
    void renewalAnswersAreBounded_data();
    void renewalAnswersAreBounded();
    void aRenewalAnsweredAfterTheAccountWentIsDropped();
    void unauthorizedAnswerRenewsOnce();
    void deviceLogin_data();
    void deviceLogin();
    void tokenAnswers_data();
    void tokenAnswers();
    void deviceAnswers_data();
    void deviceAnswers();
    void deviceCodes();
    void callbackTargets_data();
    void callbackTargets();
    void formBodiesSurviveFormDecoding();
};

namespace {

const QString kService = QString::fromLatin1(SampleRig::kService);
const QString kLabel = QStringLiteral("teacher");

using Page = TestBrowser::Page;

Page browse(const QUrl &url)
{
    return TestBrowser::open(url);
}

// Runs a token request as the token dialog does: the page it answers is opened "in the browser".
QUrl requestToken(SampleRig &rig, const QString &label = kLabel)
{
    TestEnvironment::clearOpenedUrls();
    JobProbe probe;
    AccountRecord account{QString(), label, QString()};
    SNJob *job = nullptr;
    if (rig.handle->requestToken(&account, &job, &probe) != 0)
        return {};
    if (!QTest::qWaitFor([&probe] { return probe.hasEnded(); }, 10000)
        || probe.end().kind != QLatin1String("completed"))
        return {};
    QDesktopServices::openUrl(QUrl(probe.end().result.value(QStringLiteral("redirect")).toString()));
    // The browser stand-in has no signal: poll what was opened.
    if (!QTest::qWaitFor([] { return !TestEnvironment::openedUrls().isEmpty(); }, 5000))
        return {};
    return TestEnvironment::openedUrls().value(0);
}

OAuthGrant grantOf(SampleRig &rig)
{
    return OAuthGrant::fromParams(rig.store->params(kService, kLabel));
}

JobProbe::Report checkAccount(SampleRig &rig)
{
    JobProbe probe;
    AccountRecord account{QString(), kLabel, QString()};
    SNJob *job = nullptr;
    if (rig.handle->startAccessJob(&account, &job, &probe) != 0
        || !QTest::qWaitFor([&probe] { return probe.hasEnded(); }, 10000))
        return {};
    return probe.end();
}

} // namespace

void tst_OAuthClient::codeFlowWithPkceAndState_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("slash and plus") << QStringLiteral("4/0Ab+Cd/Ef==");
    QTest::newRow("plain") << QStringLiteral("abc123");
    QTest::newRow("reserved characters") << QStringLiteral("a%b&c=d e?f#g");
}

void tst_OAuthClient::codeFlowWithPkceAndState()
{
    QFETCH(QString, code);
    LogCapture log;
    SampleRig rig;
    rig.service.oauth().setNextCode(code);

    const QUrl consent = requestToken(rig);
    QCOMPARE(consent.path(), QStringLiteral("/oauth/authorize"));
    QCOMPARE(consent.port(), int(rig.server.port()));
    const QUrlQuery asked(consent);
    QCOMPARE(asked.queryItemValue(QStringLiteral("access_type")), QStringLiteral("offline"));
    QCOMPARE(asked.queryItemValue(QStringLiteral("scope")), QStringLiteral("files.write"));
    QVERIFY(asked.queryItemValue(QStringLiteral("code_challenge")).size() == 43);

    const Page back = browse(consent);
    QCOMPARE(back.status, 200);
    QCOMPARE(back.url.host(), QStringLiteral("127.0.0.1"));
    QVERIFY(back.body.contains("Quillo has received permission; return to Quillo and press OK."));
    QTRY_VERIFY(!grantOf(rig).accessToken.isEmpty());
    QCOMPARE(rig.service.oauth().exchangeCount(), 1);
    const OAuthGrant grant = grantOf(rig);
    QCOMPARE(grant.accessToken, rig.service.oauth().lastAccessToken());
    QCOMPARE(grant.refreshToken, rig.service.oauth().lastRefreshToken());
    QCOMPARE(grant.clientId, QString::fromLatin1(SampleServiceEmulation::kClientId));
    QVERIFY(grant.expiresAt > QDateTime::currentDateTimeUtc().addSecs(3500));
    // The grant waits for its label; the account is usable once stored under it.
    QVERIFY(rig.store->storedAccount(kService).userName.isEmpty());
    QVERIFY(rig.handle->isAccountUsable({QString(), kLabel, QString()}));

    // The user presses OK again: the check finds the grant, and storing the account binds it.
    const JobProbe::Report checked = checkAccount(rig);
    QCOMPARE(checked.kind, QStringLiteral("completed"));
    QCOMPARE(checked.result.value(QStringLiteral("id")).toString(), QStringLiteral("user-7"));
    rig.handle->addAccount({QString(), kLabel, QStringLiteral("typed")});
    QCOMPARE(rig.store->params(kService, kLabel).value(QStringLiteral("account.id")), QStringLiteral("user-7"));
    QCOMPARE(grantOf(rig).refreshToken, rig.service.oauth().lastRefreshToken());
    QCOMPARE(rig.store->entries().size(), 1);

    // Nothing secret reached the log.
    for (const QString &secret : {grant.accessToken, grant.refreshToken, code})
        QVERIFY2(!log.contains(secret), qPrintable(secret));
    QVERIFY(log.contains(QStringLiteral("sample granted permission")));
}

void tst_OAuthClient::listenerIgnoresStrangersAndServesLoopbackOnly()
{
    SampleRig rig;
    const QUrl consent = requestToken(rig);
    const QUrl redirect(QUrlQuery(consent).queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded));
    QCOMPARE(redirect.host(), QStringLiteral("127.0.0.1"));

    QUrl favicon = redirect;
    favicon.setPath(QStringLiteral("/favicon.ico"));
    QCOMPARE(browse(favicon).status, 404);
    QUrl forged = redirect;
    forged.setQuery(QStringLiteral("code=stolen&state=guess"));
    QCOMPARE(browse(forged).status, 404);
    QCOMPARE(rig.service.oauth().exchangeCount(), 0);

    // The listener is not reachable from another address of this machine.
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : addresses) {
        if (address.isLoopback() || address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        QTcpSocket socket;
        socket.connectToHost(address, quint16(redirect.port()));
        QVERIFY2(!socket.waitForConnected(2000), qPrintable(address.toString()));
    }

    QCOMPARE(browse(consent).status, 200);
    QTRY_VERIFY(!grantOf(rig).isEmpty());
    QCOMPARE(rig.service.oauth().exchangeCount(), 1);
}

void tst_OAuthClient::refusedConsentLeavesNoGrant()
{
    SampleRig rig;
    rig.service.oauth().denyNextAuthorization();
    const Page back = browse(requestToken(rig));
    QCOMPARE(back.status, 200);
    QVERIFY(back.body.contains("Quillo did not receive permission."));
    QTest::qWait(100);
    QVERIFY(grantOf(rig).isEmpty());
    QCOMPARE(checkAccount(rig).code, int(SN_ERR_AUTHORIZATION));
}

void tst_OAuthClient::aNewRequestReplacesTheUnfinishedOne()
{
    SampleRig rig;
    const QUrl first = requestToken(rig, QStringLiteral("first"));
    const QUrl second = requestToken(rig, QStringLiteral("second"));
    QVERIFY(first.isValid() && second.isValid());
    // The first listener is gone: the browser coming back from the first consent finds nobody.
    QCOMPARE(browse(first).status, 0);
    QCOMPARE(browse(second).status, 200);
    QTRY_VERIFY(!OAuthGrant::fromParams(rig.store->params(kService, QStringLiteral("second"))).isEmpty());
    QVERIFY(rig.store->params(kService, QStringLiteral("first")).isEmpty());
}

void tst_OAuthClient::expiringTokenIsRenewedOnceForAllJobs()
{
    SampleRig rig;
    // Ends within the renewal margin.
    rig.addGrantedAccount(kLabel, 30);
    const QString oldToken = grantOf(rig).accessToken;
    JobProbe first;
    JobProbe second;
    AccountRecord account{QString(), kLabel, QString()};
    SNJob *job = nullptr;
    QCOMPARE(rig.handle->startAccessJob(&account, &job, &first), 0);
    QCOMPARE(rig.handle->startAccessJob(&account, &job, &second), 0);
    QTRY_VERIFY(first.hasEnded() && second.hasEnded());
    QCOMPARE(first.end().kind, QStringLiteral("completed"));
    QCOMPARE(second.end().kind, QStringLiteral("completed"));
    QCOMPARE(rig.service.oauth().refreshCount(), 1);
    QVERIFY(grantOf(rig).accessToken != oldToken);
    QVERIFY(grantOf(rig).expiresAt > QDateTime::currentDateTimeUtc().addSecs(3500));
    for (const RecordedRequest &request : rig.server.requests("GET", QStringLiteral("/v1/me")))
        QCOMPARE(request.header("Authorization"), "Bearer " + grantOf(rig).accessToken.toLatin1());
}

void tst_OAuthClient::refusedRenewalRemovesTheGrant()
{
    SampleRig rig;
    rig.addGrantedAccount(kLabel, 30);
    rig.store->setParams(kService, kLabel, [&rig] {
        QMap<QString, QString> params = rig.store->params(kService, kLabel);
        params.insert(QStringLiteral("account.id"), QStringLiteral("user-7"));
        return params;
    }());
    rig.service.oauth().revokeRefreshTokens();
    QCOMPARE(checkAccount(rig).code, int(SN_ERR_AUTHORIZATION));
    QVERIFY(grantOf(rig).isEmpty());
    QCOMPARE(rig.store->params(kService, kLabel).value(QStringLiteral("account.id")), QStringLiteral("user-7"));
    QVERIFY(!rig.handle->isAccountUsable(rig.store->storedAccount(kService)));
    QVERIFY(rig.server.requests("GET", QStringLiteral("/v1/me")).isEmpty());
}

void tst_OAuthClient::otherRefusalsKeepTheGrant_data()
{
    QTest::addColumn<HttpReply>("answer");
    QTest::newRow("400, rotated client secret")
        << HttpReply::json(400, {{QStringLiteral("error"), QStringLiteral("invalid_client")}});
    QTest::newRow("401, rotated client secret")
        << HttpReply::json(401, {{QStringLiteral("error"), QStringLiteral("invalid_client")}});
    QTest::newRow("400, malformed request")
        << HttpReply::json(400, {{QStringLiteral("error"), QStringLiteral("invalid_request")}});
    QTest::newRow("401 from a proxy") << HttpReply::text(401, "<html>sign in to the network</html>");
}

void tst_OAuthClient::otherRefusalsKeepTheGrant()
{
    QFETCH(HttpReply, answer);
    SampleRig rig;
    rig.addGrantedAccount(kLabel, 30);
    const OAuthGrant before = grantOf(rig);
    rig.server.addFault("POST", QStringLiteral("/oauth/token"), HttpFault::replyWith(answer));
    QCOMPARE(checkAccount(rig).code, int(SN_ERR_PROTOCOL));
    QCOMPARE(grantOf(rig).refreshToken, before.refreshToken);
    QCOMPARE(grantOf(rig).accessToken, before.accessToken);
    QVERIFY(rig.handle->isAccountUsable(rig.store->storedAccount(kService)));
    // The next check renews with the kept grant.
    QCOMPARE(checkAccount(rig).kind, QStringLiteral("completed"));
}

void tst_OAuthClient::renewalAnswersAreBounded_data()
{
    QTest::addColumn<HttpFault>("fault");
    QTest::addColumn<int>("deadlineMs");
    QTest::addColumn<int>("code");
    // The cap ends an endless answer long before a deadline a busy machine could reach.
    QTest::newRow("endless, at full socket speed") << HttpFault::endlessReply() << 60000 << int(SN_ERR_DISCONNECTED);
    QTest::newRow("dripping, a byte at a time") << HttpFault::dripReply(20) << 1000 << int(SN_ERR_TIMED_OUT);
}

void tst_OAuthClient::renewalAnswersAreBounded()
{
    QFETCH(HttpFault, fault);
    QFETCH(int, deadlineMs);
    QFETCH(int, code);
    SampleRig rig;
    rig.addGrantedAccount(kLabel, 30);
    const OAuthGrant before = grantOf(rig);
    rig.checkBoundedAnswer("POST", QStringLiteral("/oauth/token"), fault, deadlineMs, code);
    QCOMPARE(grantOf(rig).refreshToken, before.refreshToken);
}

void tst_OAuthClient::aRenewalAnsweredAfterTheAccountWentIsDropped()
{
    SampleRig rig;
    rig.addGrantedAccount(kLabel, 30);
    rig.server.addFault("POST", QStringLiteral("/oauth/token"), HttpFault::delayReply(300));
    JobProbe probe;
    AccountRecord account{QString(), kLabel, QString()};
    SNJob *job = nullptr;
    QCOMPARE(rig.handle->startAccessJob(&account, &job, &probe), 0);
    QTRY_VERIFY(!rig.server.requests("POST", QStringLiteral("/oauth/token")).isEmpty());
    rig.store->removeAccount(kService);
    QTRY_VERIFY(probe.hasEnded());
    QCOMPARE(probe.end().code, int(SN_ERR_AUTHORIZATION));
    QVERIFY(rig.store->params(kService, kLabel).isEmpty());
    QVERIFY(rig.store->entries().isEmpty());
}

void tst_OAuthClient::unauthorizedAnswerRenewsOnce()
{
    SampleRig rig;
    rig.addGrantedAccount();
    // The service dropped the access token before its time.
    rig.service.oauth().revokeAccessTokens();
    QCOMPARE(checkAccount(rig).kind, QStringLiteral("completed"));
    QCOMPARE(rig.service.oauth().refreshCount(), 1);
    QCOMPARE(rig.server.requests("GET", QStringLiteral("/v1/me")).size(), 2);

    // Refused again after the renewal: the account no longer lets us in.
    rig.server.addFault("GET", QStringLiteral("/v1/me"), HttpFault::replyWith(HttpReply::json(401, {})), 1);
    rig.server.addFault("GET", QStringLiteral("/v1/me"), HttpFault::replyWith(HttpReply::json(401, {})), 1);
    QCOMPARE(checkAccount(rig).code, int(SN_ERR_AUTHORIZATION));
    QCOMPARE(rig.service.oauth().refreshCount(), 2);
}

void tst_OAuthClient::deviceLogin_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("granted");
    QTest::newRow("approved") << QStringLiteral("approve") << true;
    QTest::newRow("denied") << QStringLiteral("deny") << false;
    QTest::newRow("expired") << QStringLiteral("expire") << false;
}

void tst_OAuthClient::deviceLogin()
{
    QFETCH(QString, answer);
    QFETCH(bool, granted);
    SampleRig rig;
    rig.handle->setParameter(QStringLiteral("flow"), QStringLiteral("device"));
    const QUrl local = requestToken(rig);
    QCOMPARE(local.host(), QStringLiteral("127.0.0.1"));
    const Page page = browse(local);
    QCOMPARE(page.status, 200);
    QVERIFY(page.body.contains(rig.service.oauth().userCode().toUtf8()));
    QVERIFY(page.body.contains(rig.server.url(QStringLiteral("/device")).toEncoded()));

    // The user has not entered the code yet: the client keeps asking.
    const auto polls = [&rig] { return rig.server.requests("POST", QStringLiteral("/oauth/token")).size(); };
    QTRY_VERIFY(polls() >= 2);
    QVERIFY(grantOf(rig).isEmpty());
    if (answer == QLatin1String("approve"))
        rig.service.oauth().approveDevice();
    else if (answer == QLatin1String("deny"))
        rig.service.oauth().denyDevice();
    else
        rig.service.oauth().expireDevice();
    if (granted) {
        QTRY_VERIFY(!grantOf(rig).isEmpty());
        QCOMPARE(checkAccount(rig).kind, QStringLiteral("completed"));
    } else {
        QTest::qWait(100);
        const qsizetype ended = polls();
        QTest::qWait(100);
        QCOMPARE(polls(), ended);
        QVERIFY(grantOf(rig).isEmpty());
    }
}

void tst_OAuthClient::tokenAnswers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("error");
    QTest::addColumn<qint64>("expiresIn");
    QTest::newRow("granted") << 200 << QByteArray(R"({"access_token":"a","refresh_token":"r","expires_in":3599})")
                             << true << "" << qint64(3599);
    QTest::newRow("lifetime as text") << 200 << QByteArray(R"({"access_token":"a","expires_in":"60"})") << true << ""
                                      << qint64(60);
    QTest::newRow("no lifetime") << 200 << QByteArray(R"({"access_token":"a"})") << true << "" << qint64(-1);
    QTest::newRow("refused grant") << 400 << QByteArray(R"({"error":"invalid_grant"})") << false << "invalid_grant"
                                   << qint64(-1);
    QTest::newRow("error with 200") << 200 << QByteArray(R"({"error":"slow_down","access_token":"a"})") << false
                                    << "slow_down" << qint64(-1);
    QTest::newRow("graph error object") << 400 << QByteArray(R"({"error":{"type":"OAuthException","code":190}})")
                                        << false << "OAuthException" << qint64(-1);
    QTest::newRow("no token") << 200 << QByteArray(R"({"token_type":"bearer"})") << false << "" << qint64(-1);
    QTest::newRow("not JSON") << 200 << QByteArray("<html>") << false << "" << qint64(-1);
    QTest::newRow("array") << 200 << QByteArray("[1,2]") << false << "" << qint64(-1);
}

void tst_OAuthClient::tokenAnswers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, ok);
    QFETCH(QString, error);
    QFETCH(qint64, expiresIn);
    const OAuthProtocol::TokenAnswer answer = OAuthProtocol::parseTokenAnswer(status, body);
    QCOMPARE(answer.ok, ok);
    QCOMPARE(answer.error, error);
    if (ok)
        QCOMPARE(answer.expiresIn, expiresIn);
}

void tst_OAuthClient::deviceAnswers_data()
{
    QTest::addColumn<int>("dialect");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("state");
    const int rfc = OAuthConfig::DEVICE_RFC8628;
    const int graph = OAuthConfig::DEVICE_GRAPH;
    QTest::newRow("rfc pending") << rfc << 400 << QByteArray(R"({"error":"authorization_pending"})")
                                 << int(OAuthProtocol::POLL_PENDING);
    QTest::newRow("rfc slow down") << rfc << 400 << QByteArray(R"({"error":"slow_down"})")
                                   << int(OAuthProtocol::POLL_SLOW_DOWN);
    QTest::newRow("rfc denied") << rfc << 400 << QByteArray(R"({"error":"access_denied"})")
                                << int(OAuthProtocol::POLL_DENIED);
    QTest::newRow("rfc expired") << rfc << 400 << QByteArray(R"({"error":"expired_token"})")
                                 << int(OAuthProtocol::POLL_EXPIRED);
    QTest::newRow("rfc granted") << rfc << 200 << QByteArray(R"({"access_token":"a"})")
                                 << int(OAuthProtocol::POLL_GRANTED);
    QTest::newRow("rfc unknown") << rfc << 400 << QByteArray(R"({"error":"what"})") << int(OAuthProtocol::POLL_FAILED);
    QTest::newRow("graph pending") << graph << 400 << QByteArray(R"({"error":{"code":31,"error_subcode":1349174}})")
                                   << int(OAuthProtocol::POLL_PENDING);
    QTest::newRow("graph slow down") << graph << 400 << QByteArray(R"({"error":{"code":17,"error_subcode":1349172}})")
                                     << int(OAuthProtocol::POLL_SLOW_DOWN);
    QTest::newRow("graph expired") << graph << 400 << QByteArray(R"({"error":{"code":463,"error_subcode":1349152}})")
                                   << int(OAuthProtocol::POLL_EXPIRED);
    QTest::newRow("graph other error") << graph << 400 << QByteArray(R"({"error":{"code":190}})")
                                       << int(OAuthProtocol::POLL_FAILED);
    QTest::newRow("graph granted") << graph << 200 << QByteArray(R"({"access_token":"a","expires_in":5183944})")
                                   << int(OAuthProtocol::POLL_GRANTED);
}

void tst_OAuthClient::deviceAnswers()
{
    QFETCH(int, dialect);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(int, state);
    QCOMPARE(int(OAuthProtocol::parseDevicePoll(status, body, OAuthConfig::DeviceDialect(dialect)).state), state);
}

void tst_OAuthClient::deviceCodes()
{
    const QByteArray rfc =
        R"({"device_code":"d","user_code":"U","verification_uri":"https://x.test/device","expires_in":600})";
    const OAuthProtocol::DeviceCode code = OAuthProtocol::parseDeviceCode(rfc, OAuthConfig::DEVICE_RFC8628);
    QVERIFY(code.ok);
    QCOMPARE(code.deviceCode, QStringLiteral("d"));
    QCOMPARE(code.intervalSeconds, 5);
    const QByteArray graph =
        R"({"code":"d","user_code":"U","verification_uri":"https://www.facebook.test/device","expires_in":420,"interval":9})";
    QCOMPARE(OAuthProtocol::parseDeviceCode(graph, OAuthConfig::DEVICE_GRAPH).intervalSeconds, 9);
    const QByteArray noUserCode = R"({"device_code":"d","verification_uri":"https://x.test/","expires_in":600})";
    QVERIFY(!OAuthProtocol::parseDeviceCode(noUserCode, OAuthConfig::DEVICE_RFC8628).ok);
    const QByteArray script =
        R"json({"device_code":"d","user_code":"U","verification_uri":"javascript:alert(1)","expires_in":600})json";
    QVERIFY(!OAuthProtocol::parseDeviceCode(script, OAuthConfig::DEVICE_RFC8628).ok);
    // The scheme alone is no address a browser can go to.
    for (const char *address : {"https://www.face\\u0000book.test/device", "https:device", "https://"}) {
        const QByteArray broken = R"({"device_code":"d","user_code":"U","verification_uri":")" + QByteArray(address)
                                  + R"(","expires_in":600})";
        QVERIFY2(!OAuthProtocol::parseDeviceCode(broken, OAuthConfig::DEVICE_RFC8628).ok, address);
    }
    QVERIFY(!OAuthProtocol::parseDeviceCode("garbage", OAuthConfig::DEVICE_RFC8628).ok);
}

void tst_OAuthClient::callbackTargets_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("error");
    QTest::newRow("encoded code") << QByteArray("/?code=4%2F0Ab%2BCd&state=s1") << true << "4/0Ab+Cd"
                                  << "s1"
                                  << "";
    QTest::newRow("plus is a space") << QByteArray("/?code=a+b&state=s") << true << "a b"
                                     << "s"
                                     << "";
    QTest::newRow("denied") << QByteArray("/?error=access_denied&state=s") << true << ""
                            << "s"
                            << "access_denied";
    QTest::newRow("icon") << QByteArray("/favicon.ico") << false << ""
                          << ""
                          << "";
    QTest::newRow("absolute target") << QByteArray("http://evil.test/?code=x") << false << ""
                                     << ""
                                     << "";
    QTest::newRow("garbage") << QByteArray("%%%") << false << ""
                             << ""
                             << "";
    // A browser percent-encodes every byte outside visible ASCII; a raw one would be dropped on the way
    // into an address and a different code handed on.
    QTest::newRow("raw control byte") << QByteArray("/?code=ab\x9e"
                                                    "cd&state=s")
                                      << false << ""
                                      << ""
                                      << "";
    QTest::newRow("raw latin-1 byte") << QByteArray("/?code=ab\xe9&state=s") << false << ""
                                      << ""
                                      << "";
    QTest::newRow("raw tab") << QByteArray("/?code=ab\tcd&state=s") << false << ""
                             << ""
                             << "";
}

void tst_OAuthClient::callbackTargets()
{
    QFETCH(QByteArray, target);
    QFETCH(bool, matches);
    QFETCH(QString, code);
    QFETCH(QString, state);
    QFETCH(QString, error);
    const OAuthProtocol::Callback callback = OAuthProtocol::parseCallback(target, QStringLiteral("/"));
    QCOMPARE(callback.matchesPath, matches);
    QCOMPARE(callback.code, code);
    QCOMPARE(callback.state, state);
    QCOMPARE(callback.error, error);
}

void tst_OAuthClient::formBodiesSurviveFormDecoding()
{
    const QList<QPair<QString, QString>> fields{{QStringLiteral("code"), QStringLiteral("4/0A+b c=&d%")},
                                                {QStringLiteral("redirect_uri"), QStringLiteral("http://127.0.0.1:5/")},
                                                {QStringLiteral("ü"), QString()}};
    const QByteArray body = OAuthProtocol::formBody(fields);
    QVERIFY(!body.contains('+') && !body.contains('/') && !body.contains(' '));
    QCOMPARE(OAuthProtocol::parseForm(body), fields);
    QCOMPARE(OAuthProtocol::pkceChallenge(QStringLiteral("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk")),
             QStringLiteral("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"));
    const QString verifier = OAuthProtocol::randomToken(32);
    QCOMPARE(verifier.size(), 43);
    QVERIFY(verifier != OAuthProtocol::randomToken(32));
}

QUILLO_TEST_MAIN(tst_OAuthClient)
#include "tst_OAuthClient.moc"
