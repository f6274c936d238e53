#include "DialogWatchdog.h"
#include "FakeSNService.h"
#include "FormChild.h"
#include "MessageBoxScript.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "UploadDialogTesting.h"
#include "UploadErrorCode.h"
#include "UploadServiceBit.h"
#include "ValidationAndResultDlg.h"
#include "ValidationProgressDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <map>
#include <memory>
#include <optional>

using Steps = QList<FakeStep>;
Q_DECLARE_METATYPE(Steps)

class tst_AccountValidation : public QObject
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

    void oneAccountEndsWithItsCheck_data();
    void oneAccountEndsWithItsCheck();
    void dismissedCheckIsCancelledAndFails();
    void rowsOfTheCheckedServicesOnly();
    void failedRows_data();
    void failedRows();
    void refusalAtOnceMovesOnToTheNextService();
    void missingGrantAsksAfterTheReportAndGoesOn_data();
    void missingGrantAsksAfterTheReportAndGoesOn();
    void escapeCancelsTheRunningCheckAndTheRest();
    void okClosesAndDeletes();
    void realProviderRows();
};

namespace {

const AccountRecord kTeacher{QStringLiteral("kept"), QStringLiteral("teacher"), QStringLiteral("password")};

QString label(const QWidget &dialog, const char *name)
{
    return formChild<QLabel>(dialog, name)->text();
}

// The services of a several-account check, by bit, and the dialog run the way the upload service runs it.
struct Validation
{
    explicit Validation(const QList<uint> &bits)
    {
        QMap<uint, AccountRecord> accounts;
        for (uint bit : bits) {
            services[bit] = std::make_unique<FakeSNService>(uploadServiceName(bit));
            accounts.insert(bit, kTeacher);
        }
        dialog = new ValidationAndResultDlg(accounts, nullptr);
        dialog->hideUncheckedRows();
        dialog->adjustSize();
        dialog->setFixedSize(dialog->size());
        dialog->show();
    }
    ~Validation() { delete dialog.data(); }

    FakeSNService &service(uint bit) { return *services.at(bit); }
    // Checks every account in ascending bit order; answers the dialog's all-valid flag.
    bool run()
    {
        for (const auto &[bit, service] : services) {
            if (!dialog)
                break;
            dialog->start(service.get(), kTeacher, bit);
        }
        return dialog && dialog->isAllValid();
    }

    std::map<uint, std::unique_ptr<FakeSNService>> services;
    QPointer<ValidationAndResultDlg> dialog;
};

const char *rowLabel(uint bit)
{
    switch (bit) {
    case SERVICE_YOUTUBE:
        return "labYouTube";
    case SERVICE_FACEBOOK:
        return "labFacebook";
    case SERVICE_PICASA:
        return "labPicasa";
    case SERVICE_TWITPIC:
        return "labTwitpic";
    default:
        return "labDropbox";
    }
}

const QString kValidated = QStringLiteral("Validated Account!");

} // namespace

void tst_AccountValidation::oneAccountEndsWithItsCheck_data()
{
    QTest::addColumn<int>("refusal");
    QTest::addColumn<Steps>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("finalStatus");
    QTest::newRow("accepted") << 0 << Steps{FakeStep::connecting(), FakeStep::working(), FakeStep::complete()} << 0
                              << "Authentication Compelete!";
    QTest::newRow("no grant") << 0 << Steps{FakeStep::working(), FakeStep::fail(SN_ERR_AUTHORIZATION)}
                              << int(SN_ERR_AUTHORIZATION) << "Authentication Failed!";
    QTest::newRow("refused at once") << int(SN_ERR_CREDENTIALS_REFUSED) << Steps{} << int(SN_ERR_CREDENTIALS_REFUSED)
                                     << "Authentication Failed!";
}

void tst_AccountValidation::oneAccountEndsWithItsCheck()
{
    QFETCH(int, refusal);
    QFETCH(Steps, script);
    FakeSNService service(QStringLiteral("picasa"));
    if (refusal)
        service.refuseNext(FakeSNService::OP_ACCESS, refusal);
    else
        service.scriptNext(FakeSNService::OP_ACCESS, script);

    ValidationProgressDlg dialog(&service, nullptr);
    QTEST(dialog.start(kTeacher), "exitCode");
    QTEST(label(dialog, "lblStatus"), "finalStatus");
    QCOMPARE(service.functionsCalled(), QStringList{QStringLiteral("startAccessJob")});
    QCOMPARE(service.calls().value(0).account.userName, kTeacher.userName);
}

void tst_AccountValidation::dismissedCheckIsCancelledAndFails()
{
    FakeSNService service(QStringLiteral("youtube"));
    service.scriptNext(FakeSNService::OP_ACCESS, heldThen(FakeStep::complete()));
    ValidationProgressDlg dialog(&service, nullptr);
    QPointer<FakeJob> job;
    QString statusWhileChecking;
    whenHeld(service, [&] {
        job = service.lastJob();
        statusWhileChecking = label(dialog, "lblStatus");
        QVERIFY(!Screenshot::save(&dialog, QStringLiteral("checking-one")).isEmpty());
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });

    // Not checked, so not valid: the caller must not go on as if it were.
    QCOMPARE(dialog.start(kTeacher), int(SN_ERR_CANCELLED));
    QCOMPARE(statusWhileChecking, QStringLiteral("Authenticating"));
    QVERIFY(!job || job->endedEarly());
}

void tst_AccountValidation::rowsOfTheCheckedServicesOnly()
{
    Validation v({SERVICE_YOUTUBE, SERVICE_DROPBOX});
    v.service(SERVICE_DROPBOX).scriptNext(FakeSNService::OP_ACCESS, heldThen(FakeStep::complete()));
    bool okWhileSecondRuns = true;
    QString firstRowMeanwhile;
    QString secondRowMeanwhile;
    whenHeld(v.service(SERVICE_DROPBOX), [&] {
        okWhileSecondRuns = formChild<QPushButton>(*v.dialog, "okButton")->isEnabled();
        firstRowMeanwhile = label(*v.dialog, "labYouTube");
        QTRY_COMPARE(label(*v.dialog, "labDropbox"), QStringLiteral("Authenticating..."));
        secondRowMeanwhile = label(*v.dialog, "labDropbox");
        v.service(SERVICE_DROPBOX).lastJob()->resume();
    });

    QVERIFY(v.run());

    QVERIFY(!okWhileSecondRuns);
    QCOMPARE(firstRowMeanwhile, kValidated);
    QCOMPARE(secondRowMeanwhile, QStringLiteral("Authenticating..."));
    QVERIFY(formChild<QPushButton>(*v.dialog, "okButton")->isEnabled());
    QCOMPARE(label(*v.dialog, "labYouTube"), kValidated);
    QCOMPARE(label(*v.dialog, "labDropbox"), kValidated);
    for (const char *shown : {"labYouTube", "youtubeLabel", "labDropbox", "dropboxLabel"})
        QVERIFY2(formChild<QLabel>(*v.dialog, shown)->isVisible(), shown);
    for (const char *hidden :
         {"labFacebook", "facebookLabel", "labPicasa", "picasaLabel", "labTwitpic", "twitpicLabel"})
        QVERIFY2(formChild<QLabel>(*v.dialog, hidden)->isHidden(), hidden);
    QVERIFY(!Screenshot::save(v.dialog, QStringLiteral("two-validated")).isEmpty());
}

void tst_AccountValidation::failedRows_data()
{
    QTest::addColumn<uint>("bit");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("rowText");
    QTest::newRow("refused credentials") << uint(SERVICE_PICASA) << "teacher" << 0 << int(SN_ERR_CREDENTIALS_REFUSED_2)
                                         << "<font color='red'>The user name or password is incorrect.</font>";
    QTest::newRow("timed out") << uint(SERVICE_DROPBOX) << "teacher" << 0 << int(SN_ERR_TIMED_OUT)
                               << "<font color='red'>Social network access timed out.</font>";
    QTest::newRow("video sharing refuses '@' at once")
        << uint(SERVICE_YOUTUBE) << "teacher@school.example" << int(SN_ERR_CREDENTIALS_REFUSED) << 0
        << "<font color='red'>Youtube access cannot user account with '@'!</font>";
    QTest::newRow("other refusal at once")
        << uint(SERVICE_YOUTUBE) << "teacher" << int(SN_ERR_PROTOCOL) << 0
        << "<font color='red'>Social network protocol error. Please contact us.</font>";
}

void tst_AccountValidation::failedRows()
{
    QFETCH(uint, bit);
    QFETCH(QString, userName);
    QFETCH(int, refusal);
    QFETCH(int, code);
    FakeSNService service(uploadServiceName(bit));
    if (refusal)
        service.refuseNext(FakeSNService::OP_ACCESS, refusal);
    else
        service.scriptNext(FakeSNService::OP_ACCESS, {FakeStep::connecting(), FakeStep::fail(code)});
    ValidationAndResultDlg *dialog = new ValidationAndResultDlg({{bit, kTeacher}}, nullptr);
    QPointer<ValidationAndResultDlg> guard(dialog);
    dialog->show();

    dialog->start(&service, {QString(), userName, QStringLiteral("password")}, bit);

    QVERIFY(!dialog->isAllValid());
    QTEST(label(*dialog, rowLabel(bit)), "rowText");
    QVERIFY(formChild<QPushButton>(*dialog, "okButton")->isEnabled());
    delete guard.data();
}

void tst_AccountValidation::refusalAtOnceMovesOnToTheNextService()
{
    Validation v({SERVICE_YOUTUBE, SERVICE_PICASA});
    v.service(SERVICE_YOUTUBE).refuseNext(FakeSNService::OP_ACCESS, SN_ERR_CREDENTIALS_REFUSED);
    QVERIFY(!v.run());
    QCOMPARE(v.service(SERVICE_PICASA).functionsCalled(), QStringList{QStringLiteral("startAccessJob")});
    QCOMPARE(label(*v.dialog, "labPicasa"), kValidated);
}

void tst_AccountValidation::missingGrantAsksAfterTheReportAndGoesOn_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("pagesOpened");
    QTest::newRow("grant") << QMessageBox::Yes << 1;
    QTest::newRow("decline") << QMessageBox::No << 0;
}

void tst_AccountValidation::missingGrantAsksAfterTheReportAndGoesOn()
{
    QFETCH(QMessageBox::StandardButton, answer);
    MessageBoxScript boxes;
    boxes.answerNext(answer);
    Validation v({SERVICE_YOUTUBE, SERVICE_PICASA, SERVICE_DROPBOX});
    v.service(SERVICE_YOUTUBE).scriptNext(FakeSNService::OP_ACCESS, {FakeStep::fail(SN_ERR_AUTHORIZATION)});
    // The question comes 1 ms after the failed row, while the next service is still being checked.
    v.service(SERVICE_PICASA).scriptNext(FakeSNService::OP_ACCESS, {FakeStep::wait(200), FakeStep::complete()});

    QVERIFY(!v.run());

    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.shown().first().parent, v.dialog.data());
    QCOMPARE(boxes.shown().first().title, QStringLiteral("Warning"));
    QCOMPARE(boxes.lastText(), QStringLiteral("Quillo does not have permission to upload files to your account. Do "
                                              "you want to grant permission to Quillo?"));
    QCOMPARE(label(*v.dialog, "labYouTube"), QStringLiteral("<font color='red'>Authorization failed.</font>"));
    QCOMPARE(label(*v.dialog, "labPicasa"), kValidated);
    QCOMPARE(label(*v.dialog, "labDropbox"), kValidated);
    QTEST(int(TestEnvironment::openedUrls().size()), "pagesOpened");
    QCOMPARE(v.service(SERVICE_YOUTUBE).functionsCalled().contains(QStringLiteral("requestToken")),
             answer == QMessageBox::Yes);
}

void tst_AccountValidation::escapeCancelsTheRunningCheckAndTheRest()
{
    Validation v({SERVICE_YOUTUBE, SERVICE_PICASA, SERVICE_DROPBOX});
    v.service(SERVICE_PICASA).scriptNext(FakeSNService::OP_ACCESS, heldThen(FakeStep::complete()));
    QPointer<FakeJob> held;
    whenHeld(v.service(SERVICE_PICASA), [&] {
        held = v.service(SERVICE_PICASA).lastJob();
        QVERIFY(!Screenshot::save(v.dialog, QStringLiteral("checking-several")).isEmpty());
        QTest::keyClick(v.dialog.data(), Qt::Key_Escape);
    });

    // The dialog must outlive the check that waits inside it, and then go.
    for (const auto &[bit, service] : v.services)
        v.dialog->start(service.get(), kTeacher, bit);
    QVERIFY(v.dialog);
    QVERIFY(!v.dialog->isAllValid());
    QVERIFY(v.dialog->isHidden());

    QVERIFY(!held || held->endedEarly());
    QVERIFY(v.service(SERVICE_DROPBOX).functionsCalled().isEmpty());
    QTRY_VERIFY(!v.dialog);
}

void tst_AccountValidation::okClosesAndDeletes()
{
    Validation v({SERVICE_TWITPIC});
    v.service(SERVICE_TWITPIC).scriptNext(FakeSNService::OP_ACCESS, {FakeStep::fail(SN_ERR_UNREACHABLE)});
    QVERIFY(!v.run());
    QCOMPARE(label(*v.dialog, "labTwitpic"), QStringLiteral("<font color='red'>Social network is unreachable.</font>"));
    formChild<QPushButton>(*v.dialog, "okButton")->click();
    QTRY_VERIFY(!v.dialog);
}

void tst_AccountValidation::realProviderRows()
{
    DropboxRig dropbox;
    ProviderRig &rig = dropbox.rig;
    const AccountRecord teacher{QString(), QStringLiteral("teacher"), QStringLiteral("password")};
    const QMap<uint, AccountRecord> accounts{{SERVICE_DROPBOX, teacher}};

    // Without a grant the row fails and the user is asked; declined here.
    MessageBoxScript boxes;
    boxes.answerNext(QMessageBox::No);
    auto *refused = new ValidationAndResultDlg(accounts, nullptr);
    refused->show();
    refused->start(rig.handle, teacher, SERVICE_DROPBOX);
    QVERIFY(!refused->isAllValid());
    QCOMPARE(label(*refused, "labDropbox"), QStringLiteral("<font color='red'>Authorization failed.</font>"));
    QTRY_COMPARE(boxes.shown().size(), 1);
    delete refused;

    dropbox.grant();
    auto *checked = new ValidationAndResultDlg(accounts, nullptr);
    checked->show();
    checked->start(rig.handle, teacher, SERVICE_DROPBOX);
    QVERIFY(checked->isAllValid());
    QCOMPARE(label(*checked, "labDropbox"), kValidated);
    delete checked;

    ValidationProgressDlg one(rig.handle, nullptr);
    QCOMPARE(one.start(teacher), 0);
}

QUILLO_TEST_MAIN(tst_AccountValidation)
#include "tst_AccountValidation.moc"
