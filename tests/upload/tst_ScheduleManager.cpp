#include "DialogWatchdog.h"
#include "FakeScheduleHost.h"
#include "MediaFileStore.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "ScheduleFile.h"
#include "ScheduleItem.h"
#include "ScheduleItemView.h"
#include "ScheduleManager.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"
#include "UploadNowOrReschedule.h"
#include "UploadServiceBit.h"

#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTreeView>

// The upload manager: its rows, the buttons, the schedule file across restarts, the overdue question at
// start-up and the exit question.
class tst_ScheduleManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsShowEachState_data();
    void rowsShowEachState();
    void addJobQueuesOnePerServiceInBitOrder();
    void addJobWithNoServiceStillSaves();
    void onlyFinishedRowsCanBeCleared();
    void rowButtonCancelsOrRetries();
    void outcomesAreReportedAndSaved();
    void confirmExitAnswers_data();
    void confirmExitAnswers();
    void aScheduleFileThatCannotBeWrittenIsSaid();
    void overdueJobsAtStartUp_data();
    void overdueJobsAtStartUp();
    void jobsSurviveARestart();
    void rowPictureFollowsTheThumbnail();
    void outlivesTheWindowActiveAtItsStart();
    void screenshots();
};

namespace {

struct Stored
{
    QString path;
    uint service;
    qint64 secondsFromNow;
    int state;
    QString result;
};

// Writes the schedule file as a previous run left it.
void seed(const QString &folder, FakeScheduleHost &host, const QList<Stored> &jobs)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(ScheduleItem::kRecordStreamVersion);
    for (const Stored &job : jobs)
        stream << job.path << qint32(job.service) << job.path.endsWith(QStringLiteral(".avi"))
               << host.currentDateTime().addSecs(job.secondsFromNow) << QStringLiteral("title") << QString()
               << QString() << QStringList() << qint32(job.state) << job.result;
    QDir().mkpath(folder);
    QFile file(ScheduleFile(folder).path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::vector<std::unique_ptr<ScheduleItem>> stored(const QString &folder, FakeScheduleHost &host)
{
    return ScheduleFile(folder).load(&host);
}

QPushButton *button(ScheduleManager &manager, const char *name)
{
    return manager.findChild<QPushButton *>(QString::fromLatin1(name));
}

QTreeView *tree(ScheduleManager &manager)
{
    return manager.findChild<QTreeView *>(QStringLiteral("treeView"));
}

int uploadCalls(FakeScheduleHost &host)
{
    return int(host.allCalls().filter(QStringLiteral(" upload")).size());
}

const QString kUrl = QStringLiteral("https://example.test/s/done.png");

} // namespace

void tst_ScheduleManager::rowsShowEachState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("stateText");
    QTest::addColumn<bool>("progressShown");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("cancelMode");
    QTest::addColumn<bool>("buttonShown");

    QTest::newRow("queued") << int(JOB_QUEUED) << QStringLiteral("Queued") << false
                            << QStringLiteral("It will upload at ") << true << true;
    QTest::newRow("uploading") << int(JOB_UPLOADING) << QStringLiteral("Uploading") << true << QString() << true
                               << true;
    QTest::newRow("canceled") << int(JOB_CANCELED) << QStringLiteral("Canceled") << false << QString() << false << true;
    QTest::newRow("failed") << int(JOB_FAILED) << QStringLiteral("Failed") << false << QString() << false << true;
    QTest::newRow("succeeded") << int(JOB_SUCCEEDED) << QStringLiteral("Succeeded") << false
                               << QStringLiteral("Please click <a href=\"%1\">here</a>").arg(kUrl) << false << false;
}

void tst_ScheduleManager::rowsShowEachState()
{
    QFETCH(int, state);
    QFETCH(QString, stateText);
    QFETCH(bool, progressShown);
    QFETCH(QString, line);
    QFETCH(bool, cancelMode);
    QFETCH(bool, buttonShown);

    QTemporaryDir folder;
    FakeScheduleHost host;
    seed(folder.path(), host,
         {{QStringLiteral("/m/lesson one.png"), SERVICE_PICASA, 3600, state,
           state == JOB_SUCCEEDED ? kUrl : QString()}});
    DialogWatchdog watchdog;
    MessageBoxScript boxes;
    ScheduleManager manager(&host, folder.path());
    QVERIFY(boxes.shown().isEmpty());
    ScheduleItemView *view = manager.viewAt(0);
    QVERIFY(view);
    QCOMPARE(view->titleText(), QStringLiteral("lesson one.png"));
    QCOMPARE(view->stateText(), stateText);
    QCOMPARE(view->isProgressShown(), progressShown);
    if (state == JOB_QUEUED)
        QCOMPARE(view->lineText(),
                 line + manager.items().at(0)->time().toString(QStringLiteral("<b>hh:mm </b><i>dd/MM/yyyy</i>")));
    else if (!progressShown)
        QCOMPARE(view->lineText(), line);
    QCOMPARE(view->isInCancelMode(), cancelMode);
    QCOMPARE(view->isButtonShown(), buttonShown);
    QCOMPARE(view->thumbnailImage().size(), QSize(70, 70));
}

void tst_ScheduleManager::addJobQueuesOnePerServiceInBitOrder()
{
    QTemporaryDir folder;
    FakeScheduleHost host;
    DialogWatchdog watchdog;
    ScheduleManager manager(&host, folder.path());
    const QDateTime later = host.currentDateTime().addDays(1);
    manager.addJob({{SERVICE_DROPBOX, later}, {SERVICE_YOUTUBE, later.addSecs(60)}, {SERVICE_PICASA, later}},
                   QStringLiteral("/m/clip.avi"), true, QStringLiteral("T"), QStringLiteral("A"), QStringLiteral("D"),
                   {QStringLiteral("k")});
    QList<int> order;
    for (ScheduleItem *item : manager.items()) {
        order.append(item->service());
        QCOMPARE(item->state(), int(JOB_QUEUED));
        QVERIFY(item->armedInterval() > 0);
    }
    QCOMPARE(order, (QList<int>{SERVICE_YOUTUBE, SERVICE_PICASA, SERVICE_DROPBOX}));
    QCOMPARE(uploadCalls(host), 0);

    const auto saved = stored(folder.path(), host);
    QCOMPARE(saved.size(), size_t(3));
    QCOMPARE(saved[0]->service(), int(SERVICE_YOUTUBE));
    QCOMPARE(saved[0]->time(), later.addSecs(60));
    QCOMPARE(saved[2]->service(), int(SERVICE_DROPBOX));

    // A time already past uploads at once.
    manager.addJob({{SERVICE_TWITPIC, host.currentDateTime().addSecs(-5)}}, QStringLiteral("/m/b.png"), false, {}, {},
                   {}, {});
    QCOMPARE(uploadCalls(host), 1);
    QCOMPARE(manager.items().last()->state(), int(JOB_UPLOADING));
}

void tst_ScheduleManager::addJobWithNoServiceStillSaves()
{
    QTemporaryDir folder;
    FakeScheduleHost host;
    DialogWatchdog watchdog;
    ScheduleManager manager(&host, folder.path());
    QVERIFY(!QFile::exists(manager.scheduleFilePath()));
    manager.addJob({}, QStringLiteral("/m/a.png"), false, {}, {}, {}, {});
    QVERIFY(manager.items().isEmpty());
    QVERIFY(QFile::exists(manager.scheduleFilePath()));
    QCOMPARE(QFileInfo(manager.scheduleFilePath()).size(), 0);
}

void tst_ScheduleManager::onlyFinishedRowsCanBeCleared()
{
    QTemporaryDir folder;
    FakeScheduleHost host;
    seed(folder.path(), host,
         {{QStringLiteral("/m/q.png"), SERVICE_PICASA, 3600, JOB_QUEUED, {}},
          {QStringLiteral("/m/c.png"), SERVICE_PICASA, -60, JOB_CANCELED, {}},
          {QStringLiteral("/m/u.png"), SERVICE_PICASA, 7200, JOB_UPLOADING, {}},
          {QStringLiteral("/m/f.png"), SERVICE_PICASA, -60, JOB_FAILED, {}},
          {QStringLiteral("/m/s.png"), SERVICE_PICASA, -60, JOB_SUCCEEDED, kUrl}});
    DialogWatchdog watchdog;
    ScheduleManager manager(&host, folder.path());
    QPushButton *clear = button(manager, "btnClear");
    QVERIFY(!clear->isEnabled());

    tree(manager)->selectAll();
    QCOMPARE(tree(manager)->selectionModel()->selectedRows().size(), 3);
    QVERIFY(clear->isEnabled());
    tree(manager)->clearSelection();
    QVERIFY(!clear->isEnabled());

    // Clear takes the selected finished row.
    tree(manager)->selectionModel()->select(tree(manager)->model()->index(1, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    clear->click();
    QStringList paths;
    for (ScheduleItem *item : manager.items())
        paths.append(item->path());
    QCOMPARE(paths, (QStringList{"/m/q.png", "/m/u.png", "/m/f.png", "/m/s.png"}));
    QCOMPARE(stored(folder.path(), host).size(), size_t(4));
    // The rows and their widgets stayed in step.
    QCOMPARE(manager.viewAt(1)->titleText(), QStringLiteral("u.png"));

    button(manager, "btnClearAll")->click();
    paths.clear();
    for (ScheduleItem *item : manager.items())
        paths.append(item->path());
    QCOMPARE(paths, (QStringList{"/m/q.png", "/m/u.png"}));
    QCOMPARE(tree(manager)->model()->rowCount(), 2);
    QCOMPARE(manager.viewAt(1)->titleText(), QStringLiteral("u.png"));

    // Only pending jobs left: nothing goes, and the file is still written.
    QFile::remove(manager.scheduleFilePath());
    button(manager, "btnClearAll")->click();
    QCOMPARE(manager.items().size(), 2);
    QCOMPARE(stored(folder.path(), host).size(), size_t(2));
}

void tst_ScheduleManager::rowButtonCancelsOrRetries()
{
    QTemporaryDir folder;
    FakeScheduleHost host;
    FakeSNService *service = host.fake(SERVICE_DROPBOX);
    service->setDefaultScript(FakeSNService::OP_UPLOAD, {FakeStep::progress(20), FakeStep::hold()});
    DialogWatchdog watchdog;
    ScheduleManager manager(&host, folder.path());
    manager.addJob({{SERVICE_DROPBOX, host.currentDateTime()}}, QStringLiteral("/m/a.png"), false, {}, {}, {}, {});
    ScheduleItem *item = manager.items().at(0);
    ScheduleItemView *view = manager.viewAt(0);
    QTRY_COMPARE(view->progress(), 20);
    QVERIFY(view->isProgressShown());

    // Cancelling an upload under way: the cancel is reported at once, the library's end as a failure.
    view->emitCancelRetryPressed();
    QCOMPARE(item->state(), int(JOB_CANCELED));
    QCOMPARE(host.reports(), QStringList{QStringLiteral("cancelled 16 /m/a.png")});
    QTRY_COMPARE(host.reports().size(), 2);
    QCOMPARE(host.reports().at(1), QStringLiteral("failed 16 /m/a.png"));
    QCOMPARE(stored(folder.path(), host).at(0)->state(), int(JOB_CANCELED));
    QVERIFY(!view->isInCancelMode());

    // The retry uploads again.
    host.clearReports();
    view->emitCancelRetryPressed();
    QCOMPARE(item->state(), int(JOB_UPLOADING));
    QCOMPARE(host.reports(), QStringList{QStringLiteral("retry 16 /m/a.png")});
    QCOMPARE(uploadCalls(host), 2);
    QVERIFY(view->isInCancelMode());
    QCOMPARE(stored(folder.path(), host).at(0)->state(), int(JOB_UPLOADING));
}

void tst_ScheduleManager::outcomesAreReportedAndSaved()
{
    QTemporaryDir folder;
    FakeScheduleHost host;
    host.fake(SERVICE_DROPBOX)
        ->scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::uploaded(QStringLiteral("a.png"), kUrl)});
    host.fake(SERVICE_YOUTUBE)->scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::fail(SN_ERR_TOO_OFTEN)});
    DialogWatchdog watchdog;
    ScheduleManager manager(&host, folder.path());
    manager.addJob({{SERVICE_DROPBOX, host.currentDateTime()}, {SERVICE_YOUTUBE, host.currentDateTime()}},
                   QStringLiteral("/m/a.png"), false, {}, {}, {}, {});
    QTRY_COMPARE(host.reports().size(), 2);
    QCOMPARE(host.reports(), (QStringList{QStringLiteral("failed 1 /m/a.png"),
                                          QStringLiteral("succeeded 16 /m/a.png a.png %1").arg(kUrl)}));
    QCOMPARE(manager.viewAt(0)->lineText(),
             QStringLiteral("<font color='red'>You are trying too often. Please try again later.</font>"));
    QVERIFY(manager.viewAt(0)->isButtonEnabled());
    QCOMPARE(manager.viewAt(1)->lineText(), QStringLiteral("Please click <a href=\"%1\">here</a>").arg(kUrl));
    const auto saved = stored(folder.path(), host);
    QCOMPARE(saved.at(0)->state(), int(JOB_FAILED));
    QCOMPARE(saved.at(1)->state(), int(JOB_SUCCEEDED));
    QCOMPARE(saved.at(1)->result(), kUrl);
}

void tst_ScheduleManager::confirmExitAnswers_data()
{
    QTest::addColumn<int>("pendingState"); // 0: only finished jobs
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("result");

    QTest::newRow("nothing pending") << 0 << int(QMessageBox::Yes) << 0;
    QTest::newRow("queued, yes") << int(JOB_QUEUED) << int(QMessageBox::Yes) << 1000;
    QTest::newRow("queued, no") << int(JOB_QUEUED) << int(QMessageBox::No) << -3000;
    QTest::newRow("uploading, closed") << int(JOB_UPLOADING) << int(QMessageBox::NoButton) << -1;
}

void tst_ScheduleManager::confirmExitAnswers()
{
    QFETCH(int, pendingState);
    QFETCH(int, answer);
    QFETCH(int, result);

    QTemporaryDir folder;
    FakeScheduleHost host;
    QList<Stored> jobs{{QStringLiteral("/m/s.png"), SERVICE_PICASA, -60, JOB_SUCCEEDED, kUrl},
                       {QStringLiteral("/m/f.png"), SERVICE_PICASA, -60, JOB_FAILED, {}}};
    if (pendingState)
        jobs.append({QStringLiteral("/m/p.png"), SERVICE_PICASA, 3600, pendingState, {}});
    seed(folder.path(), host, jobs);
    DialogWatchdog watchdog;
    ScheduleManager manager(&host, folder.path());
    MessageBoxScript boxes;
    boxes.answerNext(QMessageBox::StandardButton(answer));
    QCOMPARE(manager.confirmExit(), result);
    QCOMPARE(boxes.shown().size(), pendingState ? 1 : 0);
    if (pendingState) {
        const MessageBoxes::Request &box = boxes.shown().at(0);
        QCOMPARE(box.text, QStringLiteral("Do you really want to exit Quillo?"));
        QCOMPARE(box.informativeText, QStringLiteral("There are jobs scheduled to be uploaded."));
        QCOMPARE(box.defaultButton, QMessageBox::No);
        QVERIFY(box.fromService);
    }
}

void tst_ScheduleManager::aScheduleFileThatCannotBeWrittenIsSaid()
{
    QTemporaryDir root;
    // A file where the data folder should be: the folder cannot be made, so neither can the schedule file.
    const QString folder = root.filePath(QStringLiteral("data"));
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FakeScheduleHost host;
    DialogWatchdog watchdog;
    ScheduleManager manager(&host, folder);
    auto *warning = manager.findChild<QLabel *>(QStringLiteral("lblSaveFailed"));
    QVERIFY(warning);
    QVERIFY(warning->isHidden());
    const QDateTime later = host.currentDateTime().addDays(1);
    manager.addJob({{SERVICE_PICASA, later}}, QStringLiteral("/m/Photosynthesis worksheet.png"), false,
                   QStringLiteral("T"), {}, {}, {});
    QVERIFY(!warning->isHidden());
    manager.showWindow();
    QVERIFY(!Screenshot::save(&manager, QStringLiteral("schedule-queue-unsaved")).isEmpty());

    {
        MessageBoxScript boxes;
        boxes.answerNext(QMessageBox::No);
        QCOMPARE(manager.confirmExit(), -3000);
        QCOMPARE(boxes.shown().at(0).informativeText,
                 QStringLiteral("There are jobs scheduled to be uploaded. The upload list could not be saved: they "
                                "will be lost."));
    }

    // The next change tries again.
    QVERIFY(QFile::remove(folder));
    manager.addJob({{SERVICE_DROPBOX, later}}, QStringLiteral("/m/b.png"), false, QStringLiteral("T"), {}, {}, {});
    QVERIFY(warning->isHidden());
    QCOMPARE(stored(folder, host).size(), size_t(2));
    MessageBoxScript boxes;
    boxes.answerNext(QMessageBox::No);
    manager.confirmExit();
    QCOMPARE(boxes.shown().at(0).informativeText, QStringLiteral("There are jobs scheduled to be uploaded."));
}

void tst_ScheduleManager::overdueJobsAtStartUp_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("dialog"); // 0 not shown, 1 accepted with tomorrow, 2 closed, 3 accepted with an hour ago
    QTest::addColumn<bool>("uploaded");

    QTest::newRow("yes uploads now") << int(QMessageBox::Yes) << 0 << true;
    QTest::newRow("closing the question uploads now") << int(QMessageBox::NoButton) << 0 << true;
    QTest::newRow("no, then a new time") << int(QMessageBox::No) << 1 << false;
    QTest::newRow("no, then closing the dialog") << int(QMessageBox::No) << 2 << true;
    QTest::newRow("no, then a time already past") << int(QMessageBox::No) << 3 << true;
}

void tst_ScheduleManager::overdueJobsAtStartUp()
{
    QFETCH(int, answer);
    QFETCH(int, dialog);
    QFETCH(bool, uploaded);

    QTemporaryDir folder;
    FakeScheduleHost host;
    host.fake(SERVICE_DROPBOX)->setDefaultScript(FakeSNService::OP_UPLOAD, {FakeStep::hold()});
    seed(folder.path(), host,
         {{QStringLiteral("/m/late.png"), SERVICE_DROPBOX, -7200, JOB_QUEUED, {}},
          {QStringLiteral("/m/later.png"), SERVICE_DROPBOX, 3 * 86400, JOB_QUEUED, {}},
          {QStringLiteral("/m/stopped.png"), SERVICE_DROPBOX, -7200, JOB_CANCELED, {}},
          {QStringLiteral("/m/broken.png"), SERVICE_DROPBOX, -7200, JOB_UPLOADING, {}}});

    const QDateTime tomorrow = QDateTime(host.currentDateTime().date().addDays(1), QTime(9, 15));
    const QDateTime hourAgo = host.currentDateTime().addSecs(-3600);
    DialogWatchdog watchdog;
    MessageBoxScript boxes;
    boxes.answerNext(QMessageBox::StandardButton(answer));
    bool minimumHeld = false;
    ModalAnswerer answerer([&](QWidget *modal) {
        auto *reschedule = qobject_cast<UploadNowOrReschedule *>(modal);
        QVERIFY(reschedule);
        // No day before today can be picked.
        reschedule->dateEdit()->setDate(QDate::currentDate().addDays(-1));
        minimumHeld = reschedule->dateEdit()->date() == QDate::currentDate();
        QCOMPARE(reschedule->timeEdit()->displayFormat(), QStringLiteral("hh:mm AP"));
        if (dialog == 2) {
            reschedule->reject();
            return;
        }
        const QDateTime chosen = dialog == 1 ? tomorrow : hourAgo;
        reschedule->dateEdit()->setDate(chosen.date());
        reschedule->timeEdit()->setTime(chosen.time());
        reschedule->findChild<QPushButton *>(QStringLiteral("btnYes"))->click();
    });
    ScheduleManager manager(&host, folder.path());

    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.shown().at(0).text, QStringLiteral("There are pending jobs passed the schedule."));
    QCOMPARE(boxes.shown().at(0).informativeText, QStringLiteral("Do you want to upload them immediately?"));
    QCOMPARE(answerer.answered(), dialog != 0);
    if (dialog)
        QVERIFY(minimumHeld);

    const QList<ScheduleItem *> items = manager.items();
    // The two overdue pending jobs either upload now or wait for the new time.
    QCOMPARE(uploadCalls(host), uploaded ? 2 : 0);
    for (const int row : {0, 3})
        QCOMPARE(items.at(row)->state(), uploaded ? int(JOB_UPLOADING) : int(JOB_QUEUED));
    // The job far ahead keeps its own time; the one the user cancelled stays cancelled.
    QCOMPARE(items.at(1)->state(), int(JOB_QUEUED));
    QVERIFY(items.at(1)->armedInterval() > 0);
    QCOMPARE(items.at(2)->state(), int(JOB_CANCELED));
    if (dialog == 1) {
        const auto saved = stored(folder.path(), host);
        QCOMPARE(saved.at(0)->time(), tomorrow);
        QCOMPARE(saved.at(3)->time(), tomorrow);
        QCOMPARE(saved.at(3)->state(), int(JOB_QUEUED));
        QCOMPARE(saved.at(2)->state(), int(JOB_CANCELED));
        QVERIFY(manager.viewAt(0)->lineText().contains(tomorrow.toString(QStringLiteral("dd/MM/yyyy"))));
    }
}

void tst_ScheduleManager::jobsSurviveARestart()
{
    QTemporaryDir folder;
    FakeScheduleHost host;
    host.fake(SERVICE_YOUTUBE)->setDefaultScript(FakeSNService::OP_UPLOAD, {FakeStep::progress(30), FakeStep::hold()});
    DialogWatchdog watchdog;
    MessageBoxScript boxes;
    {
        ScheduleManager manager(&host, folder.path());
        manager.addJob({{SERVICE_PICASA, host.currentDateTime().addDays(40)}}, QStringLiteral("/m/a.png"), false,
                       QStringLiteral("T"), {}, {}, {QStringLiteral("k")});
        manager.addJob({{SERVICE_YOUTUBE, host.currentDateTime()}}, QStringLiteral("/m/b.avi"), true, {}, {}, {}, {});
        QTRY_COMPARE(manager.viewAt(1)->progress(), 30);
    }
    QVERIFY(boxes.shown().isEmpty());

    // The upload cut off by the exit is due again: the next start asks about it.
    boxes.answerNext(QMessageBox::Yes);
    ScheduleManager again(&host, folder.path());
    QCOMPARE(boxes.shown().size(), 1);
    const QList<ScheduleItem *> items = again.items();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items.at(0)->path(), QStringLiteral("/m/a.png"));
    QCOMPARE(items.at(0)->state(), int(JOB_QUEUED));
    QCOMPARE(items.at(0)->keywords(), QStringList{QStringLiteral("k")});
    QCOMPARE(items.at(0)->armedInterval(), int(ScheduleItem::kLongestArmMs));
    QCOMPARE(items.at(1)->state(), int(JOB_UPLOADING));
    QCOMPARE(host.fake(SERVICE_YOUTUBE)->calls().size(), 2);
}

void tst_ScheduleManager::rowPictureFollowsTheThumbnail()
{
    QTemporaryDir folder;
    FakeScheduleHost host;
    const QString media = QDir(TestEnvironment::home()).filePath(QStringLiteral("pics/board.png"));
    seed(folder.path(), host, {{media, SERVICE_PICASA, 3600, JOB_QUEUED, {}}});
    DialogWatchdog watchdog;
    ScheduleManager manager(&host, folder.path());
    const QImage placeholder = manager.viewAt(0)->thumbnailImage();

    const QString thumbnail = MediaFileStore::getInstance()->thumbnailPath(media);
    QVERIFY(QDir().mkpath(QFileInfo(thumbnail).path()));
    QImage picture(100, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkRed);
    QVERIFY(picture.save(thumbnail, "PNG"));
    QTRY_VERIFY_WITH_TIMEOUT(manager.viewAt(0)->thumbnailImage() != placeholder, 3 * ScheduleItem::kThumbnailPollMs);
    QCOMPARE(manager.viewAt(0)->thumbnailImage().pixelColor(35, 35), QColor(Qt::darkRed));
}

void tst_ScheduleManager::outlivesTheWindowActiveAtItsStart()
{
    QTemporaryDir folder;
    FakeScheduleHost host;
    auto passing = std::make_unique<QDialog>();
    passing->show();
    passing->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), passing.get());
    DialogWatchdog watchdog;
    QPointer<ScheduleManager> manager = new ScheduleManager(&host, folder.path());
    passing.reset();
    QVERIFY(manager);
    manager->showWindow();
    QVERIFY(manager->isVisible());
    delete manager;
}

void tst_ScheduleManager::screenshots()
{
    QTemporaryDir folder;
    FakeScheduleHost host;
    host.fake(SERVICE_YOUTUBE)->setDefaultScript(FakeSNService::OP_UPLOAD, {FakeStep::progress(45), FakeStep::hold()});
    seed(folder.path(), host,
         {{QStringLiteral("/m/Photosynthesis worksheet.png"), SERVICE_PICASA, 5400, JOB_QUEUED, {}},
          {QStringLiteral("/m/Fractions lesson.avi"), SERVICE_YOUTUBE, -60, JOB_UPLOADING, {}},
          {QStringLiteral("/m/Volcano model.jpg"), SERVICE_DROPBOX, -600, JOB_SUCCEEDED, kUrl},
          {QStringLiteral("/m/Class trip.avi"), SERVICE_TWITPIC, -900, JOB_CANCELED, {}}});
    host.fake(SERVICE_DROPBOX)->scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::fail(SN_ERR_FILE_TOO_LARGE)});

    DialogWatchdog watchdog;
    MessageBoxScript boxes;
    boxes.answerNext(QMessageBox::No);
    QString dialogShot;
    ModalAnswerer answerer([&](QWidget *modal) {
        dialogShot = Screenshot::save(modal, QStringLiteral("overdue-dialog"));
        modal->findChild<QPushButton *>(QStringLiteral("btnYes"))->click();
    });
    ScheduleManager manager(&host, folder.path());
    QVERIFY(!dialogShot.isEmpty());
    manager.addJob({{SERVICE_DROPBOX, host.currentDateTime()}}, QStringLiteral("/m/Science fair.avi"), true, {}, {}, {},
                   {});
    manager.showWindow();
    QTRY_COMPARE(manager.items().last()->state(), int(JOB_FAILED));
    QVERIFY(!Screenshot::save(&manager, QStringLiteral("schedule-queue")).isEmpty());
}

QUILLO_TEST_MAIN(tst_ScheduleManager)
#include "tst_ScheduleManager.moc"
