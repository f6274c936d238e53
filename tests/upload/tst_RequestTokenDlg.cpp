#include "DialogWatchdog.h"
#include "FakeSNService.h"
#include "FormChild.h"
#include "MessageBoxScript.h"
#include "RequestTokenDlg.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "UploadDialogTesting.h"
#include "UploadErrorCode.h"

#include <QLabel>
#include <QTcpServer>
#include <QTest>
#include <QUrlQuery>

#include <optional>

using Steps = QList<FakeStep>;
Q_DECLARE_METATYPE(Steps)

class tst_RequestTokenDlg : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;

private Q_SLOTS:
    void init()
    {
        m_watchdog.emplace();
        TestEnvironment::clearOpenedUrls();
    }
    void cleanup() { m_watchdog.reset(); }

    void endsWithTheRequest_data();
    void endsWithTheRequest();
    void statusFollowsTheRequest();
    void dismissalCancelsTheRequest();
    void placedBelowTheMiddleOfItsParent_data();
    void placedBelowTheMiddleOfItsParent();
    void grantIsOfferedBeforeItIsRequested_data();
    void grantIsOfferedBeforeItIsRequested();
    void opensTheRealPermissionPage();
};

namespace {

const AccountRecord kTeacher{QStringLiteral("kept"), QStringLiteral("teacher"), QStringLiteral("password")};

QString status(const RequestTokenDlg &dialog)
{
    return formChild<QLabel>(dialog, "lblStatus")->text();
}

} // namespace

void tst_RequestTokenDlg::endsWithTheRequest_data()
{
    QTest::addColumn<int>("refusal");
    QTest::addColumn<Steps>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("finalStatus");
    QTest::addColumn<QList<QUrl>>("opened");

    const QString page = QStringLiteral("https://grant.example.invalid/consent?client=7");
    QTest::newRow("redirect opened once")
        << 0 << Steps{FakeStep::connecting(), FakeStep::complete({{QStringLiteral("redirect"), page}})} << 0
        << "Requset token Compelete!" << QList<QUrl>{QUrl(page)};
    QTest::newRow("empty answer opens nothing")
        << 0 << Steps{FakeStep::complete()} << 0 << "Requset token Compelete!" << QList<QUrl>{};
    QTest::newRow("answer without redirect opens nothing")
        << 0 << Steps{FakeStep::complete({{QStringLiteral("page"), page}})} << 0 << "Requset token Compelete!"
        << QList<QUrl>{};
    QTest::newRow("failure reported later") << 0 << Steps{FakeStep::working(), FakeStep::fail(SN_ERR_TIMED_OUT)}
                                            << int(SN_ERR_TIMED_OUT) << "Requset token Failed!" << QList<QUrl>{};
    // Refused inside the start: the box must still end instead of waiting in exec() for good.
    QTest::newRow("refused at once") << int(SN_ERR_PROTOCOL) << Steps{} << int(SN_ERR_PROTOCOL)
                                     << "Requset token Failed!" << QList<QUrl>{};
}

void tst_RequestTokenDlg::endsWithTheRequest()
{
    QFETCH(int, refusal);
    QFETCH(Steps, script);
    FakeSNService service(QStringLiteral("youtube"));
    if (refusal)
        service.refuseNext(FakeSNService::OP_TOKEN, refusal);
    else
        service.scriptNext(FakeSNService::OP_TOKEN, script);

    RequestTokenDlg dialog(&service, nullptr);
    const int code = dialog.start(kTeacher);

    QTEST(code, "exitCode");
    QTEST(status(dialog), "finalStatus");
    QCOMPARE(service.functionsCalled(), QStringList{QStringLiteral("requestToken")});
    QCOMPARE(service.calls().value(0).account.userName, kTeacher.userName);
    QCOMPARE(service.calls().value(0).account.extra, kTeacher.extra);
    QTEST(TestEnvironment::openedUrls(), "opened");
}

void tst_RequestTokenDlg::statusFollowsTheRequest()
{
    FakeSNService service(QStringLiteral("dropboxOAuth"));
    service.scriptNext(FakeSNService::OP_TOKEN, heldThen(FakeStep::complete()));
    RequestTokenDlg dialog(&service, nullptr);
    QStringList seen;
    whenHeld(service, [&] {
        seen.append(status(dialog));
        QVERIFY(!Screenshot::save(&dialog, QStringLiteral("requesting")).isEmpty());
        service.lastJob()->resume();
    });

    QCOMPARE(dialog.start(kTeacher), 0);
    QCOMPARE(seen, QStringList{QStringLiteral("Requset token...")});
    QVERIFY(dialog.windowFlags().testFlag(Qt::SplashScreen));
}

void tst_RequestTokenDlg::dismissalCancelsTheRequest()
{
    FakeSNService service(QStringLiteral("dropboxOAuth"));
    service.scriptNext(FakeSNService::OP_TOKEN, heldThen(FakeStep::complete({{QStringLiteral("redirect"),
                                                                              QStringLiteral("https://a.invalid")}})));
    auto dialog = std::make_unique<RequestTokenDlg>(&service, nullptr);
    QPointer<FakeJob> job;
    whenHeld(service, [&] {
        job = service.lastJob();
        // Sent to the box itself: offscreen no window is active until activation has been processed.
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    });

    QCOMPARE(dialog->start(kTeacher), 0);
    dialog.reset();
    QVERIFY(!job || job->endedEarly());
    if (job)
        job->resume();
    QTest::qWait(20);
    QVERIFY(TestEnvironment::openedUrls().isEmpty());
}

void tst_RequestTokenDlg::placedBelowTheMiddleOfItsParent_data()
{
    QTest::addColumn<QRect>("parent");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("even sizes") << QRect(100, 50, 400, 320) << QSize(300, 76) << QPoint(150, 212);
    // Halves and the 1/1.6 point are truncated toward zero.
    QTest::newRow("odd sizes") << QRect(0, 0, 401, 301) << QSize(301, 77) << QPoint(50, 150);
    QTest::newRow("box wider than its parent") << QRect(10, 10, 100, 80) << QSize(300, 76) << QPoint(-90, 22);
}

void tst_RequestTokenDlg::placedBelowTheMiddleOfItsParent()
{
    QFETCH(QRect, parent);
    QFETCH(QSize, box);
    QWidget anchor;
    anchor.setGeometry(parent);
    QWidget placed;
    placed.resize(box);
    SNJobStatusDialog::placeOver(&placed, &anchor);
    QTEST(placed.pos(), "expected");
}

void tst_RequestTokenDlg::grantIsOfferedBeforeItIsRequested_data()
{
    QTest::addColumn<bool>("withService");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<bool>("requested");
    QTest::newRow("yes") << true << QMessageBox::Yes << 1 << true;
    QTest::newRow("no") << true << QMessageBox::No << 1 << false;
    QTest::newRow("no service, no question") << false << QMessageBox::Yes << 0 << false;
}

void tst_RequestTokenDlg::grantIsOfferedBeforeItIsRequested()
{
    QFETCH(bool, withService);
    QFETCH(QMessageBox::StandardButton, answer);
    FakeSNService service(QStringLiteral("youtube"));
    MessageBoxScript boxes;
    boxes.answerNext(answer);
    QWidget window;
    window.resize(320, 200);

    RequestTokenDlg::offerGrant(withService ? &service : nullptr, kTeacher, &window, QStringLiteral("Warning"),
                                QStringLiteral("Grant?"));

    QTEST(int(boxes.shown().size()), "boxes");
    if (!boxes.shown().isEmpty()) {
        const MessageBoxes::Request &asked = boxes.shown().first();
        QCOMPARE(asked.text, QStringLiteral("Grant?"));
        QCOMPARE(asked.icon, QMessageBox::Warning);
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(asked.parent, &window);
    }
    QFETCH(bool, requested);
    QCOMPARE(service.functionsCalled().contains(QStringLiteral("requestToken")), requested);
    QCOMPARE(TestEnvironment::openedUrls().size(), requested ? 1 : 0);
}

void tst_RequestTokenDlg::opensTheRealPermissionPage()
{
    DropboxRig dropbox;
    ProviderRig &rig = dropbox.rig;
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    rig.handle->setParameter(QStringLiteral("redirect_ports"), QString::number(port));

    RequestTokenDlg dialog(rig.handle, nullptr);
    QCOMPARE(dialog.start({QString(), QStringLiteral("teacher"), QStringLiteral("password")}), 0);

    QCOMPARE(TestEnvironment::openedUrls().size(), 1);
    const QUrl page = TestEnvironment::openedUrls().first();
    QCOMPARE(page.path(), QStringLiteral("/oauth2/authorize"));
    QCOMPARE(QUrlQuery(page).queryItemValue(QStringLiteral("client_id")),
             QString::fromLatin1(DropboxServiceEmulation::kClientId));
}

QUILLO_TEST_MAIN(tst_RequestTokenDlg)
#include "tst_RequestTokenDlg.moc"
