#include "AccountSettingDlg.h"
#include "DialogWatchdog.h"
#include "FakeSNService.h"
#include "FormChild.h"
#include "MessageBoxScript.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "UploadDialogTesting.h"
#include "UploadErrorCode.h"
#include "UploadServiceBit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <optional>

class tst_AccountSettingDlg : public QObject
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

    void opensWithTheCachedAccount_data();
    void opensWithTheCachedAccount();
    void requiredUserName_data();
    void requiredUserName();
    void failureTextsAndRetry_data();
    void failureTextsAndRetry();
    void missingGrantIsOfferedAfterTheReport_data();
    void missingGrantIsOfferedAfterTheReport();
    void storesTheCheckedAccount_data();
    void storesTheCheckedAccount();
    void givingUpCancelsTheCheck_data();
    void givingUpCancelsTheCheck();
    void realServiceAccount();
};

namespace {

const AccountRecord kCached{QStringLiteral("album-7"), QStringLiteral("old.teacher"), QString()};

template<typename T>
T *child(const AccountSettingDlg &dialog, const char *name)
{
    return formChild<T>(dialog, name);
}

QString warning(const AccountSettingDlg &dialog)
{
    return child<QLabel>(dialog, "warnigLabel")->text();
}

// Runs action inside the dialog's modal loop.
void whenOpen(AccountSettingDlg &dialog, std::function<void()> action)
{
    QTimer::singleShot(0, &dialog, std::move(action));
}

void enterAndConfirm(AccountSettingDlg &dialog, const QString &userName)
{
    child<QLineEdit>(dialog, "usernameEdit")->setText(userName);
    child<QPushButton>(dialog, "okButton")->click();
}

} // namespace

void tst_AccountSettingDlg::opensWithTheCachedAccount_data()
{
    QTest::addColumn<uint>("bit");
    QTest::addColumn<bool>("hasIcon");
    for (uint bit : {SERVICE_YOUTUBE, SERVICE_FACEBOOK, SERVICE_PICASA, SERVICE_TWITPIC, SERVICE_DROPBOX})
        QTest::newRow(qPrintable(uploadServiceName(bit))) << bit << true;
    QTest::newRow("not a service") << 32u << false;
}

void tst_AccountSettingDlg::opensWithTheCachedAccount()
{
    QFETCH(uint, bit);
    FakeSNService service(uploadServiceName(bit).isEmpty() ? QStringLiteral("none") : uploadServiceName(bit));
    AccountRecord cached = kCached;
    AccountSettingDlg dialog(bit, &service, &cached, nullptr);
    whenOpen(dialog, [&] {
        QCOMPARE(child<QLineEdit>(dialog, "usernameEdit")->text(), kCached.userName);
        auto *password = child<QLineEdit>(dialog, "pwdEdit");
        QCOMPARE(password->text(), QStringLiteral("password"));
        QVERIFY(password->isHidden() && !password->isEnabled());
        QVERIFY(child<QLabel>(dialog, "label_2")->isHidden());
        QVERIFY(child<QLabel>(dialog, "labelPR")->isHidden());
        QVERIFY(child<QLabel>(dialog, "warnigLabel")->isHidden());
        QTEST(!child<QLabel>(dialog, "socialNetowrkIcon")->pixmap().isNull(), "hasIcon");
        if (bit == SERVICE_YOUTUBE)
            QVERIFY(!Screenshot::save(&dialog, QStringLiteral("opened")).isEmpty());
        dialog.reject();
    });
    QCOMPARE(dialog.prepareAndExec(), -1);
    QVERIFY(service.functionsCalled().isEmpty());
}

void tst_AccountSettingDlg::requiredUserName_data()
{
    QTest::addColumn<QString>("userName");
    QTest::addColumn<bool>("checked");
    QTest::newRow("empty") << "" << false;
    // Blanks count: the service is the judge of the name.
    QTest::newRow("a blank") << " " << true;
}

void tst_AccountSettingDlg::requiredUserName()
{
    QFETCH(QString, userName);
    QFETCH(bool, checked);
    FakeSNService service(QStringLiteral("dropboxOAuth"));
    service.setDefaultScript(FakeSNService::OP_ACCESS, heldThen(FakeStep::complete()));
    AccountRecord cached = kCached;
    AccountSettingDlg dialog(SERVICE_DROPBOX, &service, &cached, nullptr);
    whenOpen(dialog, [&] {
        enterAndConfirm(dialog, userName);
        if (!checked) {
            QCOMPARE(child<QLabel>(dialog, "labelUR")->text(), QStringLiteral("<font color='red'>*</font>"));
            QCOMPARE(child<QLabel>(dialog, "labelPR")->text(), QStringLiteral("<font color='red'>*</font>"));
            QCOMPARE(warning(dialog), QStringLiteral("* is required."));
            QVERIFY(child<QLabel>(dialog, "warnigLabel")->isVisibleTo(&dialog));
            QCOMPARE(child<QLineEdit>(dialog, "pwdEdit")->text(), QStringLiteral("password"));
            QVERIFY(child<QPushButton>(dialog, "okButton")->isEnabled());
            QVERIFY(!Screenshot::save(&dialog, QStringLiteral("required")).isEmpty());
        } else {
            QVERIFY(!child<QPushButton>(dialog, "okButton")->isEnabled());
        }
        dialog.reject();
    });
    QCOMPARE(dialog.prepareAndExec(), -1);
    QCOMPARE(service.functionsCalled().contains(QStringLiteral("startAccessJob")), checked);
    QCOMPARE(cached.userName, kCached.userName);
}

void tst_AccountSettingDlg::failureTextsAndRetry_data()
{
    QTest::addColumn<uint>("bit");
    QTest::addColumn<QString>("userName");
    // The failure the service reports; 0: the service refuses the name itself, at once.
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("video sharing refuses '@' at once")
        << uint(SERVICE_YOUTUBE) << "teacher@school.example" << 0 << "Youtube access cannot user account with '@'!";
    QTest::newRow("photo service, '@' is a name like any")
        << uint(SERVICE_PICASA) << "teacher@school.example" << int(SN_ERR_CREDENTIALS_REFUSED)
        << "The user name or password is incorrect.";
    QTest::newRow("refused in the second form")
        << uint(SERVICE_DROPBOX) << "teacher" << int(SN_ERR_CREDENTIALS_REFUSED_2)
        << "The user name or password is incorrect.";
    QTest::newRow("timed out") << uint(SERVICE_DROPBOX) << "teacher" << int(SN_ERR_TIMED_OUT)
                               << "Social network access timed out.";
    QTest::newRow("closed service") << uint(SERVICE_TWITPIC) << "teacher" << int(SN_ERR_UNREACHABLE)
                                    << "Social network is unreachable.";
}

void tst_AccountSettingDlg::failureTextsAndRetry()
{
    QFETCH(uint, bit);
    QFETCH(QString, userName);
    QFETCH(int, code);
    FakeSNService service(uploadServiceName(bit));
    if (code)
        service.scriptNext(FakeSNService::OP_ACCESS, {FakeStep::connecting(), FakeStep::fail(code)});
    AccountRecord cached = kCached;
    AccountSettingDlg dialog(bit, &service, &cached, nullptr);
    QString shown;
    whenOpen(dialog, [&] {
        enterAndConfirm(dialog, userName);
        QTRY_VERIFY(child<QPushButton>(dialog, "okButton")->isEnabled());
        shown = warning(dialog);
        QCOMPARE(cached.userName, kCached.userName);
        QVERIFY(service.store().storedAccount(service.name()).userName.isEmpty());
        QCOMPARE(child<QLineEdit>(dialog, "usernameEdit")->selectedText(), userName);
        if (bit == SERVICE_YOUTUBE)
            QVERIFY(!Screenshot::save(&dialog, QStringLiteral("refused")).isEmpty());
        // Corrected and confirmed again, the default script accepts it.
        enterAndConfirm(dialog, QStringLiteral("teacher"));
    });
    QCOMPARE(dialog.prepareAndExec(), 2);
    QTEST(shown, "text");
    QCOMPARE(cached.userName, QStringLiteral("teacher"));
}

void tst_AccountSettingDlg::missingGrantIsOfferedAfterTheReport_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("pagesOpened");
    QTest::newRow("grant") << QMessageBox::Yes << 1;
    QTest::newRow("decline") << QMessageBox::No << 0;
}

void tst_AccountSettingDlg::missingGrantIsOfferedAfterTheReport()
{
    QFETCH(QMessageBox::StandardButton, answer);
    FakeSNService service(QStringLiteral("youtube"));
    service.scriptNext(FakeSNService::OP_ACCESS, {FakeStep::fail(SN_ERR_AUTHORIZATION)});
    AccountRecord cached = kCached;
    AccountSettingDlg dialog(SERVICE_YOUTUBE, &service, &cached, nullptr);
    QList<MessageBoxes::Request> asked;
    // What the dialog showed when the question came: the failure was handled before it was asked.
    QString textWhenAsked;
    bool okWhenAsked = false;
    MessageBoxes::setResponder([&](const MessageBoxes::Request &request) {
        asked.append(request);
        textWhenAsked = warning(dialog);
        okWhenAsked = child<QPushButton>(dialog, "okButton")->isEnabled();
        return answer;
    });
    whenOpen(dialog, [&] {
        enterAndConfirm(dialog, QStringLiteral("teacher"));
        QTRY_COMPARE(asked.size(), 1);
        QCOMPARE(warning(dialog), QStringLiteral("Authorization failed."));
        // After granting in the browser the user confirms again.
        enterAndConfirm(dialog, QStringLiteral("teacher"));
    });
    const int code = dialog.prepareAndExec();
    MessageBoxes::setResponder({});

    QCOMPARE(code, 2);
    QCOMPARE(textWhenAsked, QStringLiteral("Authorization failed."));
    QVERIFY(okWhenAsked);
    QCOMPARE(asked.first().parent, &dialog);
    QCOMPARE(asked.first().title, QStringLiteral("Warning"));
    QCOMPARE(asked.first().text, QStringLiteral("Quillo does not have permission to upload files to your account. Do "
                                                "you want to grant permission to Quillo?"));
    QTEST(int(TestEnvironment::openedUrls().size()), "pagesOpened");
    QCOMPARE(service.functionsCalled().contains(QStringLiteral("requestToken")), answer == QMessageBox::Yes);
}

void tst_AccountSettingDlg::storesTheCheckedAccount_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("replaceAnswer");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("nothing stored: added") << "" << 0 << QStringList{"startAccessJob", "addAccount"};
    QTest::newRow("another account stored: replaced")
        << "someone.else" << 0 << QStringList{"startAccessJob", "replaceAccount"};
    QTest::newRow("same account stored: password only")
        << "teacher" << int(SN_ERR_SET_PASSWORD_ONLY) << QStringList{"startAccessJob", "replaceAccount", "setPassword"};
}

void tst_AccountSettingDlg::storesTheCheckedAccount()
{
    QFETCH(QString, stored);
    QFETCH(int, replaceAnswer);
    FakeSNService service(QStringLiteral("picasa"));
    if (!stored.isEmpty())
        service.store().addAccount(service.name(), {QString(), stored, QString()});
    service.setReplaceAnswer(replaceAnswer);
    AccountRecord cached = kCached;
    AccountSettingDlg dialog(SERVICE_PICASA, &service, &cached, nullptr);
    whenOpen(dialog, [&] { enterAndConfirm(dialog, QStringLiteral("teacher")); });

    QCOMPARE(dialog.prepareAndExec(), 2);

    QTEST(service.functionsCalled(), "calls");
    // The cache holds what was checked, the library's own part of the record carried through.
    QCOMPARE(cached.userName, QStringLiteral("teacher"));
    QCOMPARE(cached.extra, kCached.extra);
    QCOMPARE(cached.password, QStringLiteral("password"));
    const FakeSNService::Call stored_ = service.calls().value(1);
    QCOMPARE(stored_.account.userName, QStringLiteral("teacher"));
}

void tst_AccountSettingDlg::givingUpCancelsTheCheck_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("cancel button") << 0;
    QTest::newRow("escape") << 1;
    QTest::newRow("close button") << 2;
}

void tst_AccountSettingDlg::givingUpCancelsTheCheck()
{
    QFETCH(int, how);
    FakeSNService service(QStringLiteral("youtube"));
    service.scriptNext(FakeSNService::OP_ACCESS, heldThen(FakeStep::complete()));
    AccountRecord cached = kCached;
    auto dialog = std::make_unique<AccountSettingDlg>(SERVICE_YOUTUBE, &service, &cached, nullptr);
    QPointer<FakeJob> job;
    whenOpen(*dialog, [&] { enterAndConfirm(*dialog, QStringLiteral("teacher")); });
    whenHeld(service, [&] {
        job = service.lastJob();
        QTRY_COMPARE(warning(*dialog), QStringLiteral("Authenticating..."));
        QVERIFY(!Screenshot::save(dialog.get(), QStringLiteral("checking")).isEmpty());
        if (how == 0)
            child<QPushButton>(*dialog, "cancelButton")->click();
        else if (how == 1)
            // Sent to the dialog itself: offscreen no window is active until activation has been processed.
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else
            dialog->close();
    });

    QCOMPARE(dialog->prepareAndExec(), -1);
    dialog.reset();
    QVERIFY(!job || job->endedEarly());
    QTest::qWait(20);
    QCOMPARE(cached.userName, kCached.userName);
    QCOMPARE(service.functionsCalled(), QStringList{QStringLiteral("startAccessJob")});
}

void tst_AccountSettingDlg::realServiceAccount()
{
    DropboxRig dropbox;
    MessageBoxScript boxes;
    boxes.answerNext(QMessageBox::No);
    AccountRecord cached;
    AccountSettingDlg dialog(SERVICE_DROPBOX, dropbox.rig.handle, &cached, nullptr);
    whenOpen(dialog, [&] {
        enterAndConfirm(dialog, QStringLiteral("teacher"));
        QTRY_COMPARE(warning(dialog), QStringLiteral("Authorization failed."));
        QTRY_COMPARE(boxes.shown().size(), 1);
        // Granted meanwhile (as the browser would), then confirmed again.
        dropbox.grant();
        enterAndConfirm(dialog, QStringLiteral("teacher"));
    });
    QCOMPARE(dialog.prepareAndExec(), 2);
    QCOMPARE(cached.userName, QStringLiteral("teacher"));
    QCOMPARE(dropbox.rig.handle->storedAccount().userName, QStringLiteral("teacher"));
}

QUILLO_TEST_MAIN(tst_AccountSettingDlg)
#include "tst_AccountSettingDlg.moc"
