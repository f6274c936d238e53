#include "FakeScheduleHost.h"
#include "MediaFileStore.h"
#include "ScheduleItem.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"
#include "UploadServiceBit.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

// A scheduled job: its record in the schedule file, when it starts, what the library's reports make of it,
// and the user's cancel, retry and reschedule.
class tst_ScheduleItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordMatchesTheGoldenBytes();
    void recordsRoundTrip_data();
    void recordsRoundTrip();
    void damagedRecordsAreRecognised_data();
    void damagedRecordsAreRecognised();
    void startArmsByTheClock_data();
    void startArmsByTheClock();
    void timerFollowsTheWallClock();
    void armedTimerStartsTheUpload();
    void finishedJobsDoNotStart_data();
    void finishedJobsDoNotStart();
    void unknownServiceBitsFailWithoutACall_data();
    void unknownServiceBitsFailWithoutACall();
    void eachServiceGetsItsApplicationText_data();
    void eachServiceGetsItsApplicationText();
    void libraryReportsDecideTheEnd_data();
    void libraryReportsDecideTheEnd();
    void cancelStopsARunningUpload();
    void aRetryIgnoresTheCancelledJobsReports();
    void uploadNowRetriesOnlyCancelledOrFailedJobs_data();
    void uploadNowRetriesOnlyCancelledOrFailedJobs();
    void rescheduleByState_data();
    void rescheduleByState();
    void thumbnailIsPolledUntilItExists();
};

namespace {

QByteArray recordBytes(const std::function<void(QDataStream &)> &write)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(ScheduleItem::kRecordStreamVersion);
    write(stream);
    return bytes;
}

// The bytes of a record as the schedule file has always held it, written field by field.
QByteArray rawRecord(const QString &path, qint32 service, bool isVideo, const QDateTime &time, qint32 state,
                     const QString &result = QString())
{
    return recordBytes([&](QDataStream &stream) {
        stream << path << service << isVideo << time << QStringLiteral("title") << QString() << QString()
               << QStringList() << state << result;
    });
}

std::unique_ptr<ScheduleItem> readOne(FakeScheduleHost &host, const QByteArray &bytes)
{
    QDataStream stream(bytes);
    stream.setVersion(ScheduleItem::kRecordStreamVersion);
    return std::make_unique<ScheduleItem>(&host, stream);
}

std::unique_ptr<ScheduleItem> itemAt(FakeScheduleHost &host, qint64 msFromNow, uint service = SERVICE_DROPBOX,
                                     bool isVideo = false)
{
    return std::make_unique<ScheduleItem>(&host, QStringLiteral("/m/a.png"), int(service), isVideo,
                                          host.currentDateTime().addMSecs(msFromNow), QStringLiteral("T"),
                                          QStringLiteral("A"), QStringLiteral("D"), QStringList{QStringLiteral("k")});
}

// A job in one of the stored states, due an hour ago.
std::unique_ptr<ScheduleItem> itemInState(FakeScheduleHost &host, int state)
{
    return readOne(host, rawRecord(QStringLiteral("/m/a.png"), SERVICE_DROPBOX, false,
                                   host.currentDateTime().addSecs(-3600), state));
}

int uploadCalls(FakeScheduleHost &host)
{
    return int(host.allCalls().filter(QStringLiteral(" upload")).size());
}

} // namespace

void tst_ScheduleItem::recordMatchesTheGoldenBytes()
{
    FakeScheduleHost host;
    ScheduleItem item(&host, QStringLiteral("/m/a.avi"), SERVICE_DROPBOX, true,
                      QDateTime(QDate(2012, 9, 28), QTime(14, 5, 9)), QStringLiteral("T"), QStringLiteral(""),
                      QString(), QStringList{QStringLiteral("k1")});
    const QByteArray golden = QByteArray::fromHex("00000010002f006d002f0061002e0061007600690000001001"
                                                  "00257a870305c208ff"
                                                  "000000020054"
                                                  "00000000"
                                                  "ffffffff"
                                                  "00000001"
                                                  "00000004006b0031"
                                                  "00000001"
                                                  "ffffffff");
    const QByteArray written = recordBytes([&](QDataStream &stream) { item.write(stream); });
    QCOMPARE(written.toHex(), golden.toHex());
    QCOMPARE(written.size(), 68);
}

void tst_ScheduleItem::recordsRoundTrip_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("service");
    QTest::addColumn<bool>("isVideo");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("keywords");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("result");

    QTest::newRow("queued video, null texts")
        << QStringLiteral("/m/a.avi") << int(SERVICE_YOUTUBE) << true << QString()
        << QStringList{QStringLiteral("k1"), QStringLiteral("k2")} << int(JOB_QUEUED) << QString();
    QTest::newRow("no keywords, empty texts")
        << QStringLiteral("/m/b c.png") << int(SERVICE_PICASA) << false << QStringLiteral("") << QStringList()
        << int(JOB_UPLOADING) << QStringLiteral("");
    QTest::newRow("succeeded, non-ASCII")
        << QStringLiteral("/m/éclair 写真.jpg") << int(SERVICE_DROPBOX) << false << QStringLiteral("line\nbreak")
        << QStringList{QStringLiteral("ü")} << int(JOB_SUCCEEDED) << QStringLiteral("https://example.test/s/x");
}

void tst_ScheduleItem::recordsRoundTrip()
{
    QFETCH(QString, path);
    QFETCH(int, service);
    QFETCH(bool, isVideo);
    QFETCH(QString, description);
    QFETCH(QStringList, keywords);
    QFETCH(int, state);
    QFETCH(QString, result);

    FakeScheduleHost host;
    const QDateTime time(QDate(2031, 2, 3), QTime(4, 5, 6, 789));
    // The state and result come from the stored form, as only the library's reports set them.
    const QByteArray first = recordBytes([&](QDataStream &stream) {
        stream << path << qint32(service) << isVideo << time << QStringLiteral("T") << QStringLiteral("Au")
               << description << keywords << qint32(state) << result;
    });
    // Three records back to back come back in order, each the same again when written.
    QByteArray file;
    for (int i = 0; i < 3; ++i)
        file += first;
    QDataStream stream(file);
    stream.setVersion(ScheduleItem::kRecordStreamVersion);
    for (int i = 0; i < 3; ++i) {
        ScheduleItem item(&host, stream);
        QVERIFY(item.isValid());
        QCOMPARE(item.path(), path);
        QCOMPARE(item.service(), service);
        QCOMPARE(item.isVideo(), isVideo);
        QCOMPARE(item.time(), time);
        QCOMPARE(item.title(), QStringLiteral("T"));
        QCOMPARE(item.author(), QStringLiteral("Au"));
        QCOMPARE(item.description().isNull(), description.isNull());
        QCOMPARE(item.description(), description);
        QCOMPARE(item.keywords(), keywords);
        QCOMPARE(item.state(), state);
        QCOMPARE(item.result().isNull(), result.isNull());
        QCOMPARE(item.result(), result);
        QCOMPARE(item.errorCode(), 0);
        QCOMPARE(recordBytes([&](QDataStream &out) { item.write(out); }).toHex(), first.toHex());
    }
    QVERIFY(stream.atEnd());
}

void tst_ScheduleItem::damagedRecordsAreRecognised_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readOn");

    const QDateTime time(QDate(2030, 1, 1), QTime(8, 0));
    const QByteArray good = rawRecord(QStringLiteral("/m/a.png"), SERVICE_DROPBOX, false, time, JOB_QUEUED);
    for (const int cut : {1, 4, 20, 30, int(good.size()) - 1})
        QTest::addRow("cut after %d bytes", cut) << good.left(cut) << false;
    for (const int state : {0, 6, -1})
        QTest::addRow("state %d", state) << rawRecord(QStringLiteral("/m/a.png"), SERVICE_DROPBOX, false, time, state)
                                         << true;
}

void tst_ScheduleItem::damagedRecordsAreRecognised()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readOn);

    FakeScheduleHost host;
    QDataStream stream(bytes);
    stream.setVersion(ScheduleItem::kRecordStreamVersion);
    ScheduleItem item(&host, stream);
    QVERIFY(!item.isValid());
    QCOMPARE(stream.status() == QDataStream::Ok, readOn);
}

void tst_ScheduleItem::startArmsByTheClock_data()
{
    QTest::addColumn<qint64>("msFromNow");
    QTest::addColumn<int>("expectedInterval"); // -1: uploaded inside start()

    const qint64 day = 24LL * 3600 * 1000;
    QTest::newRow("an hour ago") << -3600'000LL << -1;
    QTest::newRow("now") << 0LL << -1;
    QTest::newRow("ten seconds ahead") << 10'000LL << 10'000;
    QTest::newRow("an hour ahead") << 3600'000LL << int(ScheduleItem::kLongestArmMs);
    // Seconds times 1000 no longer fits an int here.
    QTest::newRow("25 days ahead") << 25 * day << int(ScheduleItem::kLongestArmMs);
    QTest::newRow("ten years ahead") << 3650 * day << int(ScheduleItem::kLongestArmMs);
}

void tst_ScheduleItem::startArmsByTheClock()
{
    QFETCH(qint64, msFromNow);
    QFETCH(int, expectedInterval);

    FakeScheduleHost host;
    auto item = itemAt(host, msFromNow);
    QSignalSpy progress(item.get(), &ScheduleItem::progressUpdated);
    item->start();
    if (expectedInterval < 0) {
        QCOMPARE(uploadCalls(host), 1);
        QCOMPARE(item->state(), int(JOB_UPLOADING));
        QCOMPARE(progress.size(), 1);
        QCOMPARE(progress.at(0).at(1).toInt(), 0);
        QCOMPARE(item->armedInterval(), -1);
    } else {
        QCOMPARE(uploadCalls(host), 0);
        QCOMPARE(item->state(), int(JOB_QUEUED));
        // The clock runs between the item's making and start(): a few milliseconds' leeway.
        QVERIFY2(item->armedInterval() <= expectedInterval && item->armedInterval() > expectedInterval - 1000,
                 qPrintable(QString::number(item->armedInterval())));
    }
}

void tst_ScheduleItem::timerFollowsTheWallClock()
{
    FakeScheduleHost host;
    auto item = itemAt(host, 2 * 3600'000LL);
    item->start();
    QCOMPARE(item->armedInterval(), int(ScheduleItem::kLongestArmMs));

    // The clock was set back: the job waits on.
    host.advanceClock(-3600'000LL);
    QVERIFY(QMetaObject::invokeMethod(item.get(), "startTimerFired"));
    QCOMPARE(uploadCalls(host), 0);
    QCOMPARE(item->armedInterval(), int(ScheduleItem::kLongestArmMs));

    // The machine slept past the job's time: the next look at the clock starts it.
    host.advanceClock(4 * 3600'000LL);
    QVERIFY(QMetaObject::invokeMethod(item.get(), "startTimerFired"));
    QCOMPARE(uploadCalls(host), 1);
    QCOMPARE(item->state(), int(JOB_UPLOADING));
    QCOMPARE(item->armedInterval(), -1);
}

void tst_ScheduleItem::armedTimerStartsTheUpload()
{
    FakeScheduleHost host;
    host.fake(SERVICE_DROPBOX)->setDefaultScript(FakeSNService::OP_UPLOAD, {FakeStep::hold()});
    auto item = itemAt(host, 300);
    item->start();
    QCOMPARE(uploadCalls(host), 0);
    QTRY_COMPARE_WITH_TIMEOUT(uploadCalls(host), 1, 5000);
    QCOMPARE(item->state(), int(JOB_UPLOADING));
}

void tst_ScheduleItem::finishedJobsDoNotStart_data()
{
    QTest::addColumn<int>("state");
    QTest::newRow("canceled") << int(JOB_CANCELED);
    QTest::newRow("failed") << int(JOB_FAILED);
    QTest::newRow("succeeded") << int(JOB_SUCCEEDED);
}

void tst_ScheduleItem::finishedJobsDoNotStart()
{
    QFETCH(int, state);
    FakeScheduleHost host;
    auto item = itemInState(host, state);
    QSignalSpy progress(item.get(), &ScheduleItem::progressUpdated);
    QSignalSpy failed(item.get(), &ScheduleItem::failed);
    item->start();
    QCOMPARE(item->state(), state);
    QCOMPARE(uploadCalls(host), 0);
    QCOMPARE(progress.size() + failed.size(), 0);
}

void tst_ScheduleItem::unknownServiceBitsFailWithoutACall_data()
{
    QTest::addColumn<int>("service");
    for (const int bit : {0, 3, 32, -1})
        QTest::addRow("bit %d", bit) << bit;
}

void tst_ScheduleItem::unknownServiceBitsFailWithoutACall()
{
    QFETCH(int, service);
    FakeScheduleHost host;
    auto item = itemAt(host, -1000, uint(service));
    QSignalSpy failed(item.get(), &ScheduleItem::failed);
    item->start();
    QCOMPARE(item->state(), int(JOB_FAILED));
    QCOMPARE(item->errorCode(), -1);
    QCOMPARE(failed.size(), 1);
    QVERIFY(host.allCalls().isEmpty());
}

void tst_ScheduleItem::eachServiceGetsItsApplicationText_data()
{
    QTest::addColumn<uint>("service");
    QTest::addColumn<bool>("isVideo");
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("appText");

    const QString quillo = QStringLiteral("Quillo");
    for (const bool video : {false, true}) {
        const QString function = video ? QStringLiteral("uploadVideo") : QStringLiteral("uploadImage");
        const char *kind = video ? "video" : "image";
        QTest::addRow("youtube %s", kind) << uint(SERVICE_YOUTUBE) << video << function << QString();
        QTest::addRow("facebook %s", kind) << uint(SERVICE_FACEBOOK) << video << function << QString();
        QTest::addRow("picasa %s", kind) << uint(SERVICE_PICASA) << video << function << quillo;
        QTest::addRow("twitpic %s", kind) << uint(SERVICE_TWITPIC) << video << function << QString();
        QTest::addRow("dropbox %s", kind) << uint(SERVICE_DROPBOX) << video << function << quillo;
    }
}

void tst_ScheduleItem::eachServiceGetsItsApplicationText()
{
    QFETCH(uint, service);
    QFETCH(bool, isVideo);
    QFETCH(QString, function);
    QFETCH(QString, appText);

    FakeScheduleHost host;
    auto item = itemAt(host, 0, service, isVideo);
    item->start();
    const QList<FakeSNService::Call> calls = host.fake(service)->calls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.at(0).function, function);
    QCOMPARE(calls.at(0).arguments, (QStringList{appText, QStringLiteral("/m/a.png"), QStringLiteral("T"),
                                                 QStringLiteral("A"), QStringLiteral("D"), QStringLiteral("k")}));
}

void tst_ScheduleItem::libraryReportsDecideTheEnd_data()
{
    QTest::addColumn<int>("refusal"); // 0: the job starts and plays the script
    QTest::addColumn<QList<FakeStep>>("script");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("errorCode");
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<QString>("result");

    const QString url = QStringLiteral("https://example.test/s/a.png");
    QTest::newRow("uploaded") << 0
                              << QList<FakeStep>{FakeStep::connecting(), FakeStep::progress(40),
                                                 FakeStep::uploaded(QStringLiteral("a.png"), url)}
                              << int(JOB_SUCCEEDED) << 0 << QList<int>{0, 40, 100} << url;
    QTest::newRow("cancelled by the library")
        << 0 << QList<FakeStep>{FakeStep::progress(10), FakeStep::fail(SN_ERR_CANCELLED)} << int(JOB_CANCELED)
        << int(SN_ERR_CANCELLED) << QList<int>{0, 10} << QString();
    QTest::newRow("failed in transfer") << 0
                                        << QList<FakeStep>{FakeStep::progress(10), FakeStep::fail(SN_ERR_TIMED_OUT)}
                                        << int(JOB_FAILED) << int(SN_ERR_TIMED_OUT) << QList<int>{0, 10} << QString();
    QTest::newRow("refused at once") << int(SN_ERR_FILE_NOT_FOUND) << QList<FakeStep>{} << int(JOB_FAILED)
                                     << int(SN_ERR_FILE_NOT_FOUND) << QList<int>{} << QString();
}

void tst_ScheduleItem::libraryReportsDecideTheEnd()
{
    QFETCH(int, refusal);
    QFETCH(QList<FakeStep>, script);
    QFETCH(int, state);
    QFETCH(int, errorCode);
    QFETCH(QList<int>, progress);
    QFETCH(QString, result);

    FakeScheduleHost host;
    FakeSNService *service = host.fake(SERVICE_DROPBOX);
    if (refusal)
        service->refuseNext(FakeSNService::OP_UPLOAD, refusal);
    else
        service->scriptNext(FakeSNService::OP_UPLOAD, script);
    auto item = itemAt(host, 0);
    QSignalSpy progressSpy(item.get(), &ScheduleItem::progressUpdated);
    QSignalSpy succeeded(item.get(), &ScheduleItem::succeeded);
    QSignalSpy failed(item.get(), &ScheduleItem::failed);
    item->start();
    QTRY_COMPARE(succeeded.size() + failed.size(), 1);
    QCOMPARE(item->state(), state);
    QCOMPARE(item->errorCode(), errorCode);
    QCOMPARE(item->result(), result);
    QList<int> seen;
    for (const QList<QVariant> &signal : progressSpy)
        seen.append(signal.at(1).toInt());
    QCOMPARE(seen, progress);
    if (state == JOB_SUCCEEDED)
        QCOMPARE(succeeded.at(0).at(1).toString(), QStringLiteral("a.png"));
    // The end report released the job: nothing else arrives.
    QTest::qWait(50);
    QCOMPARE(succeeded.size() + failed.size(), 1);
}

void tst_ScheduleItem::cancelStopsARunningUpload()
{
    FakeScheduleHost host;
    FakeSNService *service = host.fake(SERVICE_DROPBOX);
    service->scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::progress(10), FakeStep::hold()});
    host.setClockOffset(-3600'000LL);
    auto item = itemAt(host, 0);
    QSignalSpy failed(item.get(), &ScheduleItem::failed);
    item->start();
    QTRY_VERIFY(service->lastJob() && service->lastJob()->isHeld());
    host.setClockOffset(0);
    item->cancel();
    QCOMPARE(item->state(), int(JOB_CANCELED));
    // The time becomes the moment of the cancel.
    QVERIFY(qAbs(item->time().msecsTo(QDateTime::currentDateTime())) < 5000);
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(item->state(), int(JOB_CANCELED));
    QCOMPARE(item->errorCode(), int(SN_ERR_CANCELLED));
    QVERIFY(service->lastJob() == nullptr || service->lastJob()->endedEarly());

    // A second cancel changes nothing but the time.
    item->cancel();
    QCOMPARE(item->state(), int(JOB_CANCELED));
    QCOMPARE(failed.size(), 1);
}

void tst_ScheduleItem::aRetryIgnoresTheCancelledJobsReports()
{
    FakeScheduleHost host;
    FakeSNService *service = host.fake(SERVICE_DROPBOX);
    service->scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::hold()});
    service->scriptNext(FakeSNService::OP_UPLOAD, {FakeStep::progress(30), FakeStep::hold()});
    auto item = itemAt(host, 0);
    QSignalSpy failed(item.get(), &ScheduleItem::failed);
    QSignalSpy progress(item.get(), &ScheduleItem::progressUpdated);
    item->start();
    // The retry comes before the first job's cancellation report.
    item->cancel();
    item->uploadNow();
    QCOMPARE(item->state(), int(JOB_UPLOADING));
    QTRY_COMPARE(progress.size(), 3); // 0, 0 again for the retry, then 30
    QTest::qWait(50);
    QCOMPARE(failed.size(), 0);
    QCOMPARE(item->state(), int(JOB_UPLOADING));
    QCOMPARE(item->errorCode(), 0);
}

void tst_ScheduleItem::uploadNowRetriesOnlyCancelledOrFailedJobs_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("retried");
    QTest::newRow("queued") << int(JOB_QUEUED) << false;
    QTest::newRow("uploading") << int(JOB_UPLOADING) << false;
    QTest::newRow("canceled") << int(JOB_CANCELED) << true;
    QTest::newRow("failed") << int(JOB_FAILED) << true;
    QTest::newRow("succeeded") << int(JOB_SUCCEEDED) << false;
}

void tst_ScheduleItem::uploadNowRetriesOnlyCancelledOrFailedJobs()
{
    QFETCH(int, state);
    QFETCH(bool, retried);

    FakeScheduleHost host;
    host.fake(SERVICE_DROPBOX)->setDefaultScript(FakeSNService::OP_UPLOAD, {FakeStep::hold()});
    auto item = itemInState(host, state);
    const QDateTime before = item->time();
    item->uploadNow();
    QCOMPARE(uploadCalls(host), retried ? 1 : 0);
    QCOMPARE(item->state(), retried ? int(JOB_UPLOADING) : state);
    QCOMPARE(item->errorCode(), 0);
    if (retried)
        QVERIFY(qAbs(item->time().msecsTo(QDateTime::currentDateTime())) < 5000);
    else
        QCOMPARE(item->time(), before);
}

void tst_ScheduleItem::rescheduleByState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("queued");
    QTest::newRow("queued") << int(JOB_QUEUED) << true;
    QTest::newRow("uploading when stored") << int(JOB_UPLOADING) << true;
    QTest::newRow("failed") << int(JOB_FAILED) << true;
    // What the user cancelled is never queued again.
    QTest::newRow("canceled") << int(JOB_CANCELED) << false;
    QTest::newRow("succeeded") << int(JOB_SUCCEEDED) << false;
}

void tst_ScheduleItem::rescheduleByState()
{
    QFETCH(int, state);
    QFETCH(bool, queued);

    FakeScheduleHost host;
    auto item = itemInState(host, state);
    const QDateTime later = host.currentDateTime().addDays(2);
    item->reschedule(later, QStringLiteral("T2"), QStringLiteral("A2"), QStringLiteral("D2"),
                     QStringList{QStringLiteral("k2")});
    QCOMPARE(uploadCalls(host), 0);
    if (queued) {
        QCOMPARE(item->state(), int(JOB_QUEUED));
        QCOMPARE(item->time(), later);
        QCOMPARE(item->title(), QStringLiteral("T2"));
        QCOMPARE(item->keywords(), QStringList{QStringLiteral("k2")});
        QCOMPARE(item->armedInterval(), int(ScheduleItem::kLongestArmMs));
        // A time already past uploads at once.
        item->reschedule(host.currentDateTime().addSecs(-1), QStringLiteral("T3"), {}, {}, {});
        QCOMPARE(uploadCalls(host), 1);
        QCOMPARE(item->state(), int(JOB_UPLOADING));
    } else {
        QCOMPARE(item->state(), state);
        QCOMPARE(item->title(), QStringLiteral("title"));
        QCOMPARE(item->armedInterval(), -1);
    }
}

void tst_ScheduleItem::thumbnailIsPolledUntilItExists()
{
    FakeScheduleHost host;
    const QString media = QDir(TestEnvironment::home()).filePath(QStringLiteral("clips/lesson.avi"));
    ScheduleItem item(&host, media, SERVICE_YOUTUBE, true, host.currentDateTime().addDays(1), {}, {}, {}, {});
    QSignalSpy made(&item, &ScheduleItem::generateThumbnail);

    const QImage placeholder = item.thumbnail();
    QCOMPARE(placeholder.size(), QSize(70, 70));
    QCOMPARE(placeholder, QImage(QStringLiteral(":/Image/pics/MediaLib/video_thumbnail.png"))
                              .scaled(70, 70, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    QTest::qWait(ScheduleItem::kThumbnailPollMs + 200);
    QCOMPARE(made.size(), 0);

    const QString thumbnailPath = MediaFileStore::getInstance()->thumbnailPath(media);
    QVERIFY(QDir().mkpath(QFileInfo(thumbnailPath).path()));
    QImage wide(100, 50, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    QVERIFY(wide.save(thumbnailPath, "PNG"));
    QTRY_COMPARE_WITH_TIMEOUT(made.size(), 1, 3 * ScheduleItem::kThumbnailPollMs);
    QCOMPARE(item.thumbnail().size(), QSize(70, 35));
    // Polling ended with the thumbnail.
    QTest::qWait(ScheduleItem::kThumbnailPollMs + 200);
    QCOMPARE(made.size(), 1);
}

QUILLO_TEST_MAIN(tst_ScheduleItem)
#include "tst_ScheduleItem.moc"
