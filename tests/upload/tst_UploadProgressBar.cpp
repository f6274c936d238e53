#include "DialogWatchdog.h"
#include "FakeSNService.h"
#include "FormChild.h"
#include "LogCapture.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "UploadDialogTesting.h"
#include "UploadErrorCode.h"
#include "UploadProgressBar.h"
#include "UploadServiceBit.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <map>
#include <memory>
#include <optional>

using Steps = QList<FakeStep>;
Q_DECLARE_METATYPE(Steps)

class tst_UploadProgressBar : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;

private Q_SLOTS:
    void init() { m_watchdog.emplace(); }
    void cleanup() { m_watchdog.reset(); }

    void overallProgress_data();
    void overallProgress();
    void oneResultPerServiceInTheOrderTried();
    void identifiersKept_data();
    void identifiersKept();
    void statusLineShowsTitleAndService_data();
    void statusLineShowsTitleAndService();
    void statusStaysBetweenServices();
    void cancelEndsTheRunningServiceAndSkipsTheRest_data();
    void cancelEndsTheRunningServiceAndSkipsTheRest();
    void processOutlivesItsDialog();
    void uploadsToTheRealService();
};

namespace {

const AccountRecord kTeacher{QStringLiteral("kept"), QStringLiteral("teacher"), QStringLiteral("password")};
const QString kPath = QStringLiteral("/media/lesson.jpg");

struct Upload
{
    explicit Upload(const QList<uint> &bits, const QString &title = QStringLiteral("Lesson"))
        : dialog(bits.size(), QStringLiteral("Quillo"), kPath, title, QStringLiteral("Ms Smith"),
                 QStringLiteral("Fractions"), {QStringLiteral("maths"), QStringLiteral("year 5")})
        , order(bits)
    {
        for (uint bit : bits)
            services[bit] = std::make_unique<FakeSNService>(uploadServiceName(bit));
        dialog.show();
    }
    FakeSNService &service(uint bit) { return *services.at(bit); }
    QList<UploadResult> run(bool isVideo = false)
    {
        for (uint bit : order)
            dialog.uploadTo(services.at(bit).get(), kTeacher, bit, isVideo);
        return dialog.results();
    }
    int overall() const { return formChild<QProgressBar>(dialog, "overallSNProgressBar")->value(); }
    QString status() const { return formChild<QLabel>(dialog, "SNStatusLbl")->text(); }

    UploadProgressBar dialog;
    QList<uint> order;
    std::map<uint, std::unique_ptr<FakeSNService>> services;
};

} // namespace

void tst_UploadProgressBar::overallProgress_data()
{
    QTest::addColumn<int>("serviceCount");
    QTest::addColumn<QList<int>>("reports");
    QTest::addColumn<QList<int>>("overall");
    QTest::newRow("two services, the second half done") << 2 << QList<int>{0, 50, 100, 50} << QList<int>{0, 25, 50, 75};
    QTest::newRow("a failed service keeps the whole below 100")
        << 2 << QList<int>{50, 30, 100} << QList<int>{25, 15, 50};
    QTest::newRow("thirds truncate") << 3 << QList<int>{100, 1, 100, 100} << QList<int>{33, 33, 66, 100};
    // Once every service reached 100 the count starts again, as a new upload in the same dialog would.
    QTest::newRow("after the last service") << 1 << QList<int>{100, 40} << QList<int>{100, 40};
}

void tst_UploadProgressBar::overallProgress()
{
    QFETCH(int, serviceCount);
    QFETCH(QList<int>, reports);
    UploadProgressBar dialog(serviceCount, QStringLiteral("Quillo"), kPath, QStringLiteral("Lesson"), {}, {}, {});
    QList<int> overall;
    for (int percent : reports) {
        dialog.updateProgress(QStringLiteral("Lesson"), QStringLiteral("youtube"), 0, percent);
        overall.append(formChild<QProgressBar>(dialog, "overallSNProgressBar")->value());
        QCOMPARE(formChild<QProgressBar>(dialog, "SNProgressBar")->value(), percent);
    }
    QTEST(overall, "overall");
    QCOMPARE(formChild<QLabel>(dialog, "overallSNLbl")->text(), QStringLiteral("Overall Progress"));
}

void tst_UploadProgressBar::oneResultPerServiceInTheOrderTried()
{
    LogCapture log;
    Upload u({SERVICE_FACEBOOK, SERVICE_PICASA, SERVICE_DROPBOX, SERVICE_TWITPIC});
    u.service(SERVICE_FACEBOOK)
        .scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::progress(40), FakeStep::uploaded("fb-1", "https://fb/1")});
    u.service(SERVICE_PICASA).refuseNext(FakeSNService::OP_UPLOAD, SN_ERR_PROTOCOL);
    u.service(SERVICE_DROPBOX)
        .scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::uploaded("/public/Quillo/lesson.jpg", "https://db/s/1")});
    u.service(SERVICE_TWITPIC).scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::fail(SN_ERR_UNREACHABLE)});

    const QList<UploadResult> results = u.run();

    QCOMPARE(results.size(), 4);
    const QList<int> bits{SERVICE_FACEBOOK, SERVICE_PICASA, SERVICE_DROPBOX, SERVICE_TWITPIC};
    const QList<bool> succeeded{true, false, true, false};
    const QStringList ids{"fb-1", "", "lesson.jpg", ""};
    const QStringList urls{"https://fb/1", "", "https://db/s/1", ""};
    for (int i = 0; i < results.size(); ++i) {
        QCOMPARE(results[i].code, bits[i]);
        QCOMPARE(results[i].filePath, kPath);
        QCOMPARE(results[i].succeeded, succeeded[i]);
        QCOMPARE(results[i].text1, ids[i]);
        QCOMPARE(results[i].text2, urls[i]);
    }
    const FakeSNService::Call call = u.service(SERVICE_FACEBOOK).calls().value(0);
    QCOMPARE(call.function, QStringLiteral("uploadFile"));
    QCOMPARE(call.account.userName, kTeacher.userName);
    QVERIFY(call.arguments.contains(QStringLiteral("Quillo")));
    QVERIFY(call.arguments.contains(kPath));
    QVERIFY(call.arguments.contains(QStringLiteral("Fractions")));
    QVERIFY(log.contains(QStringLiteral("UploadProcess::uploadedCompleted():twitpic upload Fail!")));
    QVERIFY(log.contains(QStringLiteral("facebook upload success.")));
    // Facebook 40 then 100, then Dropbox 100 (its only report); the failed Twitpic never reached 100.
    QCOMPARE(u.overall(), 50);
}

void tst_UploadProgressBar::identifiersKept_data()
{
    QTest::addColumn<uint>("bit");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("kept");
    QTest::newRow("file hosting: last part of a path") << uint(SERVICE_DROPBOX) << "public/Quillo/clip.avi"
                                                       << "clip.avi";
    QTest::newRow("file hosting: path ending in a slash") << uint(SERVICE_DROPBOX) << "public/Quillo/"
                                                          << "";
    QTest::newRow("file hosting: bare name") << uint(SERVICE_DROPBOX) << "clip.avi"
                                             << "clip.avi";
    QTest::newRow("video sharing: unchanged") << uint(SERVICE_YOUTUBE) << "a/b/c"
                                              << "a/b/c";
}

void tst_UploadProgressBar::identifiersKept()
{
    QFETCH(uint, bit);
    QFETCH(QString, id);
    Upload u({bit});
    u.service(bit).scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::uploaded(id, QStringLiteral("https://x/1"))});
    const QList<UploadResult> results = u.run(true);
    QCOMPARE(u.service(bit).functionsCalled(), QStringList{QStringLiteral("uploadVideoFile")});
    QCOMPARE(results.size(), 1);
    QVERIFY(results[0].succeeded);
    QTEST(results[0].text1, "kept");
}

void tst_UploadProgressBar::statusLineShowsTitleAndService_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("status");
    QTest::newRow("title") << "Lesson 1"
                           << "Uploading <b>Lesson 1</b> to <b>youtube</b>";
    QTest::newRow("empty title") << ""
                                 << "Uploading <b></b> to <b>youtube</b>";
    QTest::newRow("markup in the title stays text") << "a<b>c"
                                                    << "Uploading <b>a&lt;b&gt;c</b> to <b>youtube</b>";
}

void tst_UploadProgressBar::statusLineShowsTitleAndService()
{
    QFETCH(QString, title);
    Upload u({SERVICE_YOUTUBE}, title);
    u.service(SERVICE_YOUTUBE)
        .scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::progress(30), FakeStep::hold(), FakeStep::uploaded({}, {})});
    QString before = u.status();
    QString during;
    whenHeld(u.service(SERVICE_YOUTUBE), [&] {
        QTRY_COMPARE(formChild<QProgressBar>(u.dialog, "SNProgressBar")->value(), 30);
        during = u.status();
        if (QTest::currentDataTag() == QLatin1String("title"))
            QVERIFY(!Screenshot::save(&u.dialog, QStringLiteral("uploading")).isEmpty());
        u.service(SERVICE_YOUTUBE).lastJob()->resume();
    });
    u.run(true);
    QCOMPARE(before, QStringLiteral("Ready to upload..."));
    QTEST(during, "status");
    QCOMPARE(formChild<QLabel>(u.dialog, "SNStatusLbl")->textFormat(), Qt::AutoText);
}

void tst_UploadProgressBar::statusStaysBetweenServices()
{
    Upload u({SERVICE_YOUTUBE, SERVICE_DROPBOX});
    u.service(SERVICE_YOUTUBE)
        .scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::progress(60), FakeStep::fail(SN_ERR_TIMED_OUT)});
    u.service(SERVICE_DROPBOX).scriptNext(FakeSNService::OP_UPLOAD, heldThen(FakeStep::uploaded({}, {})));
    QString status;
    int bar = -1;
    whenHeld(u.service(SERVICE_DROPBOX), [&] {
        status = u.status();
        bar = formChild<QProgressBar>(u.dialog, "SNProgressBar")->value();
        u.service(SERVICE_DROPBOX).lastJob()->resume();
    });
    u.run(true);
    QCOMPARE(status, QStringLiteral("Uploading <b>Lesson</b> to <b>youtube</b>"));
    QCOMPARE(bar, 60);
}

void tst_UploadProgressBar::cancelEndsTheRunningServiceAndSkipsTheRest_data()
{
    QTest::addColumn<bool>("byCloseButton");
    QTest::newRow("escape") << false;
    QTest::newRow("close button") << true;
}

void tst_UploadProgressBar::cancelEndsTheRunningServiceAndSkipsTheRest()
{
    QFETCH(bool, byCloseButton);
    LogCapture log;
    Upload u({SERVICE_YOUTUBE, SERVICE_FACEBOOK, SERVICE_PICASA});
    u.service(SERVICE_FACEBOOK)
        .scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::progress(10), FakeStep::hold(), FakeStep::uploaded({}, {})});
    QPointer<FakeJob> held;
    whenHeld(u.service(SERVICE_FACEBOOK), [&] {
        held = u.service(SERVICE_FACEBOOK).lastJob();
        // Sent to the dialog itself: offscreen no window is active until activation has been processed.
        if (byCloseButton)
            u.dialog.close();
        else
            QTest::keyClick(&u.dialog, Qt::Key_Escape);
    });

    const QList<UploadResult> results = u.run(true);

    QCOMPARE(results.size(), 3);
    QVERIFY(results[0].succeeded);
    for (int i : {1, 2}) {
        QVERIFY(!results[i].succeeded);
        QVERIFY(results[i].text1.isEmpty() && results[i].text2.isEmpty());
        QCOMPARE(results[i].filePath, kPath);
    }
    QCOMPARE(results[2].code, int(SERVICE_PICASA));
    QVERIFY(u.service(SERVICE_PICASA).functionsCalled().isEmpty());
    QVERIFY(log.contains(QStringLiteral("Cancel picasa upload job!")));
    QVERIFY(!held || held->endedEarly());
    QVERIFY(u.dialog.isCancelled());
    // The creator hides and destroys it; cancelling does not.
    QVERIFY(u.dialog.isVisible());
}

void tst_UploadProgressBar::processOutlivesItsDialog()
{
    LogCapture log;
    FakeSNService service(QStringLiteral("youtube"));
    service.scriptNext(FakeSNService::OP_UPLOAD, heldThen(FakeStep::uploaded({}, {})));
    QPointer<FakeJob> job;
    {
        UploadProgressBar dialog(1, QStringLiteral("Quillo"), kPath, QStringLiteral("Lesson"), {}, {}, {});
        dialog.show();
        whenHeld(service, [&] {
            job = service.lastJob();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        dialog.uploadTo(&service, kTeacher, SERVICE_YOUTUBE, true);
        QVERIFY(job);
        // The cancelled job has not reported yet when its dialog goes.
        QVERIFY(!log.contains(QStringLiteral("Cancel youtube upload job!")));
    }
    // The process takes the report and gives the job back, which then frees itself.
    QTRY_VERIFY(log.contains(QStringLiteral("Cancel youtube upload job!")));
    QTRY_VERIFY(!job);
}

void tst_UploadProgressBar::uploadsToTheRealService()
{
    DropboxRig dropbox;
    ProviderRig &rig = dropbox.rig;
    dropbox.grant();
    const QString path = rig.writeFile(QStringLiteral("board.jpg"), 3000);

    UploadProgressBar dialog(1, QStringLiteral("Quillo"), path, QStringLiteral("Board"), {}, {}, {});
    dialog.show();
    dialog.uploadTo(rig.handle, {QString(), QStringLiteral("teacher"), QStringLiteral("password")}, SERVICE_DROPBOX,
                    false);

    QCOMPARE(dialog.results().size(), 1);
    const UploadResult result = dialog.results().first();
    QVERIFY(result.succeeded);
    QCOMPARE(result.text1, QStringLiteral("board.jpg"));
    QVERIFY(result.text2.startsWith(rig.server.url(QStringLiteral("/s/")).toString()));
    QCOMPARE(dropbox.emulation.file(QStringLiteral("/public/Quillo/board.jpg")).size(), 3000);
    QCOMPARE(formChild<QProgressBar>(dialog, "overallSNProgressBar")->value(), 100);
}

QUILLO_TEST_MAIN(tst_UploadProgressBar)
#include "tst_UploadProgressBar.moc"
