// Its header holds a guarded pointer to the job class, which must be complete there.
#include "AccountSettingDlg.h"
#include "DialogWatchdog.h"
#include "FakeSNService.h"
#include "LogCapture.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "SNJob.h"
#include "ScheduleItem.h"
#include "ScheduleItemView.h"
#include "ScheduleManager.h"
#include "TestEnvironment.h"
#include "UploadDialogTesting.h"
#include "UploadErrorCode.h"
#include "UploadImpl.h"
#include "UploadServiceBit.h"
#include "ValidationAndResultDlg.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

// The upload service's operations over scripted services: input checks, accounts, the access check with
// its branches, immediate uploads in service order, removals, queued uploads and the four signals.
class tst_UploadService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void inputChecks_data();
    void inputChecks();
    void accountNameWithAtSign_data();
    void accountNameWithAtSign();
    void setAccountBranches_data();
    void setAccountBranches();
    void unknownServiceBitsDoNothing();
    void verifyAccessPaths_data();
    void verifyAccessPaths();
    void validateAccounts();
    void immediateUploadOrder_data();
    void immediateUploadOrder();
    void overallProgressCountsOnlyTheServicesTakingTheFile();
    void removalPerService();
    void failedRemovalsAreTold();
    void queuedUploadsReportThroughTheSignals();
    void confirmExitAsksAboutPendingJobs();
};

namespace {

// The service over scripted handles, in the service-bit table's order.
class ScriptedService : public UploadImpl
{
public:
    ScriptedService(const std::array<SNService *, 5> &handles, const QString &folder)
        : UploadImpl(handles, folder, {})
    {
    }
};

struct Rig
{
    Rig()
    {
        std::array<SNService *, 5> handles{};
        for (size_t i = 0; i < kUploadServiceNames.size(); ++i) {
            fakes[i] = std::make_unique<FakeSNService>(kUploadServiceNames[i].name.toString());
            handles[i] = fakes[i].get();
        }
        service = std::make_unique<ScriptedService>(handles, folder.path());
    }

    FakeSNService &fake(uint bit)
    {
        for (size_t i = 0; i < kUploadServiceNames.size(); ++i) {
            if (kUploadServiceNames[i].bit == bit)
                return *fakes[i];
        }
        qFatal("no such service bit");
    }

    QString file(const QByteArray &content)
    {
        const QString path = folder.filePath(QStringLiteral("media.png"));
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(content);
        return path;
    }

    QTemporaryDir folder;
    std::array<std::unique_ptr<FakeSNService>, 5> fakes;
    std::unique_ptr<UploadImpl> service;
};

const AccountRecord kTeacher{QString(), QStringLiteral("teacher"), QString()};

} // namespace

void tst_UploadService::cleanup()
{
    // The validation dialog stays with its results until the user closes it.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<ValidationAndResultDlg *>(widget))
            delete widget;
    }
}

void tst_UploadService::inputChecks_data()
{
    QTest::addColumn<uint>("mask");
    QTest::addColumn<int>("descriptionLength");
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("box");

    const QByteArray bytes("picture");
    const QString limit = QStringLiteral("Picasa's description limit is 1000 characters.");
    QTest::newRow("all fine") << uint(SERVICE_PICASA | SERVICE_DROPBOX) << 1000 << bytes << true << QStringLiteral("T")
                              << 0 << QString();
    QTest::newRow("photo description too long, before anything else")
        << uint(SERVICE_PICASA) << 1025 << QByteArray() << false << QString() << -1 << limit;
    // The service would cut these to its limit without a word.
    QTest::newRow("photo description just over the service's limit")
        << uint(SERVICE_PICASA | SERVICE_DROPBOX) << 1001 << bytes << true << QStringLiteral("T") << -1 << limit;
    QTest::newRow("long description elsewhere")
        << uint(SERVICE_DROPBOX | SERVICE_YOUTUBE) << 5000 << bytes << true << QStringLiteral("T") << 0 << QString();
    QTest::newRow("missing file") << uint(SERVICE_DROPBOX) << 0 << QByteArray() << false << QStringLiteral("T") << -1
                                  << QStringLiteral("File size is zero!");
    QTest::newRow("empty file") << uint(SERVICE_DROPBOX) << 0 << QByteArray() << true << QStringLiteral("T") << -1
                                << QStringLiteral("File size is zero!");
    QTest::newRow("no title") << uint(SERVICE_DROPBOX) << 0 << bytes << true << QString() << -2000
                              << QStringLiteral("Title is required!");
}

void tst_UploadService::inputChecks()
{
    QFETCH(uint, mask);
    QFETCH(int, descriptionLength);
    QFETCH(QByteArray, content);
    QFETCH(bool, fileExists);
    QFETCH(QString, title);
    QFETCH(int, result);
    QFETCH(QString, box);

    DialogWatchdog watchdog;
    Rig rig;
    const QString path = fileExists ? rig.file(content) : rig.folder.filePath(QStringLiteral("gone.png"));
    const QString description(descriptionLength, QLatin1Char('d'));
    for (const bool video : {false, true}) {
        MessageBoxScript boxes;
        const int answer = video ? rig.service->checkVideoUploadInputs(mask, path, title, {}, description, {})
                                 : rig.service->checkImageUploadInputs(mask, path, title, {}, description, {});
        QCOMPARE(answer, result);
        QCOMPARE(boxes.lastText(), box);
        if (!box.isEmpty())
            QCOMPARE(boxes.shown().at(0).title, QStringLiteral("Warning"));
    }
}

void tst_UploadService::accountNameWithAtSign_data()
{
    QTest::addColumn<uint>("service");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<int>("result");
    QTest::newRow("video sharing with @") << uint(SERVICE_YOUTUBE) << QStringLiteral("t@school.test") << -1001;
    QTest::newRow("video sharing without") << uint(SERVICE_YOUTUBE) << QStringLiteral("teacher") << 0;
    QTest::newRow("file hosting with @") << uint(SERVICE_DROPBOX) << QStringLiteral("t@school.test") << 0;
}

void tst_UploadService::accountNameWithAtSign()
{
    QFETCH(uint, service);
    QFETCH(QString, userName);
    QFETCH(int, result);
    DialogWatchdog watchdog;
    Rig rig;
    MessageBoxScript boxes;
    QCOMPARE(rig.service->checkAccountName(service, {QString(), userName, QString()}), result);
    QCOMPARE(boxes.lastText(), result ? QStringLiteral("Youtube access cannot user account with '@'!") : QString());
}

void tst_UploadService::setAccountBranches_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("given");
    QTest::addColumn<int>("replaceAnswer");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("none, none") << QString() << QString() << 0 << QStringList();
    QTest::newRow("none, new") << QString() << QStringLiteral("amy") << 0 << QStringList{QStringLiteral("addAccount")};
    QTest::newRow("stored, cleared") << QStringLiteral("amy") << QString() << 0
                                     << QStringList{QStringLiteral("removeAccount")};
    QTest::newRow("stored, replaced") << QStringLiteral("amy") << QStringLiteral("bob") << 0
                                      << QStringList{QStringLiteral("replaceAccount")};
    QTest::newRow("stored, same label") << QStringLiteral("amy") << QStringLiteral("amy")
                                        << int(SN_ERR_SET_PASSWORD_ONLY)
                                        << QStringList{QStringLiteral("replaceAccount"), QStringLiteral("setPassword")};
    QTest::newRow("stored, refused") << QStringLiteral("amy") << QStringLiteral("bob") << int(SN_ERR_PROTOCOL)
                                     << QStringList{QStringLiteral("replaceAccount")};
}

void tst_UploadService::setAccountBranches()
{
    QFETCH(QString, stored);
    QFETCH(QString, given);
    QFETCH(int, replaceAnswer);
    QFETCH(QStringList, calls);

    DialogWatchdog watchdog;
    Rig rig;
    FakeSNService &fake = rig.fake(SERVICE_PICASA);
    if (!stored.isEmpty()) {
        fake.store().addAccount(fake.name(), {QString(), stored, QString()});
        QCOMPARE(rig.service->account(SERVICE_PICASA).userName, stored);
    }
    fake.setReplaceAnswer(replaceAnswer);
    QCOMPARE(rig.service->setAccount(SERVICE_PICASA, {QString(), given, QStringLiteral("pw")}), 0);
    QCOMPARE(fake.functionsCalled(), calls);
}

void tst_UploadService::unknownServiceBitsDoNothing()
{
    DialogWatchdog watchdog;
    Rig rig;
    MessageBoxScript boxes;
    QList<UploadResult> results{UploadResult{}};
    for (const uint bit : {0u, 3u, 32u}) {
        QVERIFY(!rig.service->reloadAccount(bit));
        QVERIFY(rig.service->account(bit).userName.isEmpty());
        QCOMPARE(rig.service->setAccount(bit, kTeacher), 0);
        QVERIFY(!rig.service->verifyAccess(bit, nullptr));
        QVERIFY(!rig.service->showAccountSetting(bit, nullptr));
    }
    QCOMPARE(rig.service->uploadImageNow(0, QStringLiteral("/m/a.png"), QStringLiteral("T"), {}, {}, {}, results), 0);
    QCOMPARE(results.size(), 1);
    QVERIFY(!rig.service->validateAccounts({}, nullptr));
    for (const auto &fake : rig.fakes)
        QVERIFY(fake->functionsCalled().isEmpty());
    QVERIFY(boxes.shown().isEmpty());
}

void tst_UploadService::verifyAccessPaths_data()
{
    QTest::addColumn<uint>("service");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<int>("refusal");       // the access check refused at once with this code; 0: the script runs
    QTest::addColumn<int>("failure");       // the access check's failure code; 0: it succeeds
    QTest::addColumn<bool>("dismiss");      // the user closes the check's box
    QTest::addColumn<int>("settingAnswer"); // the account dialog: 0 an account entered, -1 closed; 1 not expected
    QTest::addColumn<int>("grantAnswer");   // Yes or No to the permission question
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("settingOpened");

    const QStringList access{QStringLiteral("startAccessJob")};
    // What the account dialog does with the account the service accepted.
    const QStringList stored{QStringLiteral("replaceAccount"), QStringLiteral("setPassword")};
    const QString grantQuestion = QStringLiteral("Quillo does not have permission to upload files to your account. "
                                                 "Do you want to grant permission to Quillo?");
    QTest::newRow("account works") << uint(SERVICE_YOUTUBE) << true << 0 << 0 << false << 1 << 0 << true
                                   << QStringList() << access << false;
    QTest::newRow("no account, one entered") << uint(SERVICE_PICASA) << false << 0 << 0 << false << 0 << 0 << true
                                             << QStringList() << access + stored << true;
    QTest::newRow("no account, dialog closed") << uint(SERVICE_PICASA) << false << 0 << 0 << false << -1 << 0 << false
                                               << QStringList() << QStringList() << true;
    QTest::newRow("credentials refused") << uint(SERVICE_YOUTUBE) << true << 0 << int(SN_ERR_CREDENTIALS_REFUSED)
                                         << false << 0 << 0 << true << QStringList() << access + access + stored
                                         << true;
    QTest::newRow("timed out") << uint(SERVICE_DROPBOX) << true << 0 << int(SN_ERR_TIMED_OUT) << false << 1 << 0
                               << false << QStringList{QStringLiteral("Social network access timed out.")} << access
                               << false;
    QTest::newRow("refused at once") << uint(SERVICE_PICASA) << true << int(SN_ERR_UNREACHABLE) << 0 << false << 1 << 0
                                     << false << QStringList{QStringLiteral("Social network is unreachable.")} << access
                                     << false;
    QTest::newRow("no grant, granted") << uint(SERVICE_DROPBOX) << true << 0 << int(SN_ERR_AUTHORIZATION) << false << 1
                                       << int(QMessageBox::Yes) << false << QStringList{grantQuestion}
                                       << QStringList{QStringLiteral("startAccessJob"), QStringLiteral("requestToken")}
                                       << false;
    QTest::newRow("no grant, declined") << uint(SERVICE_DROPBOX) << true << 0 << int(SN_ERR_AUTHORIZATION) << false << 1
                                        << int(QMessageBox::No) << false << QStringList{grantQuestion} << access
                                        << false;
    QTest::newRow("check dismissed") << uint(SERVICE_YOUTUBE) << true << 0 << 0 << true << 1 << 0 << false
                                     << QStringList() << access << false;
}

void tst_UploadService::verifyAccessPaths()
{
    QFETCH(uint, service);
    QFETCH(bool, usable);
    QFETCH(int, refusal);
    QFETCH(int, failure);
    QFETCH(bool, dismiss);
    QFETCH(int, settingAnswer);
    QFETCH(int, grantAnswer);
    QFETCH(bool, result);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, calls);
    QFETCH(bool, settingOpened);

    DialogWatchdog watchdog;
    Rig rig;
    FakeSNService &fake = rig.fake(service);
    fake.store().addAccount(fake.name(), kTeacher);
    fake.setAccountUsable(usable);
    if (refusal)
        fake.refuseNext(FakeSNService::OP_ACCESS, refusal);
    else if (dismiss)
        fake.scriptNext(FakeSNService::OP_ACCESS, heldThen(FakeStep::complete()));
    else if (failure)
        fake.scriptNext(FakeSNService::OP_ACCESS, {FakeStep::connecting(), FakeStep::fail(failure)});
    if (dismiss)
        whenHeld(fake, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    bool opened = false;
    // Other boxes may come first (the check's own); the account dialog is answered whenever it comes.
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<AccountSettingDlg *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        opened = true;
        if (settingAnswer < 0) {
            dialog->reject();
            return;
        }
        dialog->findChild<QLineEdit *>(QStringLiteral("usernameEdit"))->setText(QStringLiteral("teacher"));
        dialog->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
    });
    poll.start();
    MessageBoxScript script;
    if (grantAnswer)
        script.answerNext(QMessageBox::StandardButton(grantAnswer));

    QCOMPARE(rig.service->verifyAccess(service, nullptr), result);
    QStringList shown;
    for (const MessageBoxes::Request &request : script.shown())
        shown.append(request.text);
    QCOMPARE(shown, boxes);
    QCOMPARE(fake.functionsCalled(), calls);
    QCOMPARE(opened, settingOpened);
}

void tst_UploadService::validateAccounts()
{
    DialogWatchdog watchdog;
    Rig rig;
    rig.fake(SERVICE_PICASA).scriptNext(FakeSNService::OP_ACCESS, {FakeStep::fail(SN_ERR_CREDENTIALS_REFUSED)});
    QVERIFY(rig.service->validateAccounts({{SERVICE_YOUTUBE, kTeacher}, {SERVICE_DROPBOX, kTeacher}}, nullptr));
    QVERIFY(!rig.service->validateAccounts({{SERVICE_YOUTUBE, kTeacher}, {SERVICE_PICASA, kTeacher}}, nullptr));
    QCOMPARE(rig.fake(SERVICE_YOUTUBE).functionsCalled().size(), 2);
    QCOMPARE(rig.fake(SERVICE_DROPBOX).functionsCalled().size(), 1);
}

void tst_UploadService::immediateUploadOrder_data()
{
    QTest::addColumn<bool>("isVideo");
    QTest::addColumn<uint>("mask");
    QTest::addColumn<QList<int>>("order");

    const uint all = SERVICE_YOUTUBE | SERVICE_FACEBOOK | SERVICE_PICASA | SERVICE_TWITPIC | SERVICE_DROPBOX;
    QTest::newRow("image, every service")
        << false << all << QList<int>{SERVICE_FACEBOOK, SERVICE_PICASA, SERVICE_DROPBOX, SERVICE_TWITPIC};
    QTest::newRow("image, no video-only service")
        << false << uint(SERVICE_YOUTUBE | SERVICE_PICASA) << QList<int>{SERVICE_PICASA};
    QTest::newRow("video, every service")
        << true << all << QList<int>{SERVICE_YOUTUBE, SERVICE_FACEBOOK, SERVICE_PICASA, SERVICE_DROPBOX};
    QTest::newRow("video, picture posting only") << true << uint(SERVICE_TWITPIC) << QList<int>{};
}

void tst_UploadService::immediateUploadOrder()
{
    QFETCH(bool, isVideo);
    QFETCH(uint, mask);
    QFETCH(QList<int>, order);

    DialogWatchdog watchdog;
    Rig rig;
    for (const auto &fake : rig.fakes)
        fake->store().addAccount(fake->name(), kTeacher);
    rig.service->account(SERVICE_YOUTUBE);
    QList<UploadResult> results{UploadResult{}, UploadResult{}};
    const QString path = rig.file("picture");
    const int answer = isVideo ? rig.service->uploadVideoNow(mask, path, QStringLiteral("T"), {}, {}, {}, results)
                               : rig.service->uploadImageNow(mask, path, QStringLiteral("T"), {}, {}, {}, results);
    QCOMPARE(answer, 0);
    QList<int> tried;
    for (const UploadResult &result : results) {
        tried.append(result.code);
        QCOMPARE(result.filePath, path);
        QVERIFY(result.succeeded);
    }
    QCOMPARE(tried, order);
    for (const auto &fake : rig.fakes) {
        const bool used = order.contains(int(uploadServiceBit(fake->name())));
        QCOMPARE(fake->functionsCalled(),
                 used ? QStringList{isVideo ? QStringLiteral("uploadVideoFile") : QStringLiteral("uploadFile")}
                      : QStringList());
    }
}

void tst_UploadService::overallProgressCountsOnlyTheServicesTakingTheFile()
{
    DialogWatchdog watchdog;
    Rig rig;
    for (const auto &fake : rig.fakes)
        fake->store().addAccount(fake->name(), kTeacher);
    rig.fake(SERVICE_PICASA)
        .scriptNext(FakeSNService::OP_UPLOAD,
                    {FakeStep::progress(100), FakeStep::wait(50),
                     FakeStep::uploaded(QStringLiteral("p1"), QStringLiteral("https://x.test/p1"))});
    int highest = -1;
    QPointer<QProgressBar> watched;
    QTimer finder;
    QObject::connect(&finder, &QTimer::timeout, &finder, [&highest, &watched] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *bar = widget->findChild<QProgressBar *>(QStringLiteral("overallSNProgressBar"));
            if (bar && bar != watched) {
                watched = bar;
                QObject::connect(bar, &QProgressBar::valueChanged, bar,
                                 [&highest](int value) { highest = qMax(highest, value); });
            }
        }
    });
    finder.start(1);
    QList<UploadResult> results;
    // The video-sharing service takes no pictures: the picture goes to the photo service alone.
    QCOMPARE(rig.service->uploadImageNow(SERVICE_YOUTUBE | SERVICE_PICASA, rig.file("picture"), QStringLiteral("T"), {},
                                         {}, {}, results),
             0);
    QCOMPARE(results.size(), 1);
    QCOMPARE(highest, 100);
}

void tst_UploadService::removalPerService()
{
    DialogWatchdog watchdog;
    Rig rig;
    MessageBoxScript boxes;
    rig.service->removeUploadedFiles({{SERVICE_DROPBOX, QStringLiteral("clip.png")},
                                      {SERVICE_TWITPIC, QStringLiteral("t1")},
                                      {SERVICE_FACEBOOK, QStringLiteral("f1")},
                                      {SERVICE_PICASA, QStringLiteral("p1")},
                                      {SERVICE_YOUTUBE, QStringLiteral("v1")},
                                      {32, QStringLiteral("x")}});
    QStringList shown;
    for (const MessageBoxes::Request &request : boxes.shown()) {
        shown.append(request.text);
        QCOMPARE(request.title, QStringLiteral("Information"));
    }
    QCOMPARE(shown, (QStringList{QStringLiteral("Please delete upload file from Facebook."),
                                 QStringLiteral("Please delete upload file from Twitpic.")}));
    QCOMPARE(rig.fake(SERVICE_YOUTUBE).calls().at(0).arguments, QStringList{QStringLiteral("v1")});
    QCOMPARE(rig.fake(SERVICE_PICASA).calls().at(0).arguments, QStringList{QStringLiteral("p1")});
    QCOMPARE(rig.fake(SERVICE_DROPBOX).calls().at(0).arguments, QStringList{QStringLiteral("public/Quillo/clip.png")});
    QVERIFY(rig.fake(SERVICE_FACEBOOK).calls().isEmpty());
    QVERIFY(rig.fake(SERVICE_TWITPIC).calls().isEmpty());
}

void tst_UploadService::failedRemovalsAreTold()
{
    DialogWatchdog watchdog;
    Rig rig;
    LogCapture log;
    MessageBoxScript boxes;
    rig.fake(SERVICE_YOUTUBE).scriptNext(FakeSNService::OP_REMOVE, {FakeStep::fail(SN_ERR_DISCONNECTED)});
    rig.fake(SERVICE_DROPBOX).scriptNext(FakeSNService::OP_REMOVE, {FakeStep::fail(SN_ERR_TIMED_OUT)});
    rig.service->removeUploadedFiles({{SERVICE_YOUTUBE, QStringLiteral("v1")},
                                      {SERVICE_PICASA, QStringLiteral("p1")},
                                      {SERVICE_DROPBOX, QStringLiteral("clip.png")}});
    QCOMPARE(boxes.shown().size(), 1);
    const MessageBoxes::Request &box = boxes.shown().at(0);
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.text, QStringLiteral("These uploaded copies could not be removed and stay online:"));
    QCOMPARE(box.informativeText, QStringLiteral("Youtube: video v1\nDropbox: public/Quillo/clip.png\n\n"
                                                 "Please delete them on the service's website."));
    QVERIFY(log.contains(QStringLiteral("the youtube copy v1 stays online")));
    QVERIFY(log.contains(QStringLiteral("the dropboxOAuth copy clip.png stays online")));
    QVERIFY(!log.contains(QStringLiteral("copy p1")));

    // Nothing to tell when every copy went.
    MessageBoxScript quiet;
    rig.service->removeUploadedFiles({{SERVICE_PICASA, QStringLiteral("p2")}});
    QVERIFY(quiet.shown().isEmpty());
}

void tst_UploadService::queuedUploadsReportThroughTheSignals()
{
    DialogWatchdog watchdog;
    Rig rig;
    UploadIntf *service = rig.service.get();
    QSignalSpy succeeded(service, &UploadIntf::uploadSucceeded);
    QSignalSpy failed(service, &UploadIntf::uploadFailed);
    QSignalSpy cancelled(service, &UploadIntf::uploadCancelled);
    QSignalSpy retried(service, &UploadIntf::uploadRetryTriggered);
    rig.fake(SERVICE_DROPBOX)
        .scriptNext(FakeSNService::OP_UPLOAD,
                    {FakeStep::uploaded(QStringLiteral("a.png"), QStringLiteral("https://x.test/a"))});
    rig.fake(SERVICE_PICASA).scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::fail(SN_ERR_FILE_TOO_LARGE)});
    rig.fake(SERVICE_YOUTUBE).setDefaultScript(FakeSNService::OP_UPLOAD, {FakeStep::hold()});
    const QDateTime now = QDateTime::currentDateTime();
    QCOMPARE(service->queueImageUpload({{SERVICE_DROPBOX, now}, {SERVICE_PICASA, now}}, QStringLiteral("/m/a.png"),
                                       QStringLiteral("T"), {}, {}, {}),
             0);
    QCOMPARE(service->queueVideoUpload({{SERVICE_YOUTUBE, now.addDays(1)}}, QStringLiteral("/m/b.avi"),
                                       QStringLiteral("T"), {}, {}, {}),
             0);
    QTRY_COMPARE(succeeded.size() + failed.size(), 2);
    QCOMPARE(succeeded.at(0), (QList<QVariant>{uint(SERVICE_DROPBOX), QStringLiteral("/m/a.png"),
                                               QStringLiteral("a.png"), QStringLiteral("https://x.test/a")}));
    QCOMPARE(failed.at(0), (QList<QVariant>{uint(SERVICE_PICASA), QStringLiteral("/m/a.png")}));
    QCOMPARE(rig.fake(SERVICE_PICASA).calls().at(0).function, QStringLiteral("uploadImage"));

    ScheduleManager *manager = rig.service->scheduleManager();
    QCOMPARE(manager->items().at(2)->isVideo(), true);
    manager->viewAt(2)->emitCancelRetryPressed();
    QCOMPARE(cancelled.size(), 1);
    QCOMPARE(cancelled.at(0), (QList<QVariant>{uint(SERVICE_YOUTUBE), QStringLiteral("/m/b.avi")}));
    manager->viewAt(2)->emitCancelRetryPressed();
    QCOMPARE(retried.size(), 1);
    QCOMPARE(rig.fake(SERVICE_YOUTUBE).calls().at(0).function, QStringLiteral("uploadVideo"));
}

void tst_UploadService::confirmExitAsksAboutPendingJobs()
{
    DialogWatchdog watchdog;
    Rig rig;
    MessageBoxScript boxes;
    QCOMPARE(rig.service->confirmExit(), 0);
    rig.service->queueImageUpload({{SERVICE_DROPBOX, QDateTime::currentDateTime().addDays(1)}},
                                  QStringLiteral("/m/a.png"), QStringLiteral("T"), {}, {}, {});
    boxes.answerNext(QMessageBox::Yes);
    QCOMPARE(rig.service->confirmExit(), 1000);
    boxes.answerNext(QMessageBox::No);
    QCOMPARE(rig.service->confirmExit(), -3000);
    QCOMPARE(boxes.shown().size(), 2);
}

QUILLO_TEST_MAIN(tst_UploadService)
#include "tst_UploadService.moc"
