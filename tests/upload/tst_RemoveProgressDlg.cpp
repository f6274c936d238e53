#include "DialogWatchdog.h"
#include "FakeSNService.h"
#include "FormChild.h"
#include "RemoveProgressDlg.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "UploadDialogTesting.h"
#include "UploadErrorCode.h"

#include <QLabel>
#include <QTest>

#include <optional>

using Steps = QList<FakeStep>;
Q_DECLARE_METATYPE(Steps)

class tst_RemoveProgressDlg : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;

private Q_SLOTS:
    void init() { m_watchdog.emplace(); }
    void cleanup() { m_watchdog.reset(); }

    void removesThePathTheServiceKnows_data();
    void removesThePathTheServiceKnows();
    void endsWithTheRemoval_data();
    void endsWithTheRemoval();
    void closedBoxLetsTheRemovalFinish();
    void removesFromTheRealService();
};

namespace {

QString status(const RemoveProgressDlg &dialog)
{
    return formChild<QLabel>(dialog, "lblStatus")->text();
}

} // namespace

void tst_RemoveProgressDlg::removesThePathTheServiceKnows_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("path");
    QTest::newRow("file hosting: the program's public folder") << "dropboxOAuth"
                                                               << "public/Quillo/clip01.avi";
    QTest::newRow("video sharing: the id") << "youtube"
                                           << "clip01.avi";
    QTest::newRow("photo service: the id") << "picasa"
                                           << "clip01.avi";
}

void tst_RemoveProgressDlg::removesThePathTheServiceKnows()
{
    QFETCH(QString, service);
    FakeSNService fake(service);
    RemoveProgressDlg dialog(&fake, nullptr);
    QVERIFY(dialog.removeFile(QStringLiteral("Quillo"), QStringLiteral("clip01.avi")));
    QCOMPARE(fake.functionsCalled(), QStringList{QStringLiteral("removeFile")});
    QTEST(fake.calls().first().arguments.value(0), "path");
}

void tst_RemoveProgressDlg::endsWithTheRemoval_data()
{
    QTest::addColumn<int>("refusal");
    QTest::addColumn<Steps>("script");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QString>("finalStatus");
    QTest::newRow("completed") << 0 << Steps{FakeStep::connecting(), FakeStep::working(), FakeStep::complete()} << true
                               << "Remove file Compelete!";
    QTest::newRow("failed") << 0 << Steps{FakeStep::working(), FakeStep::fail(SN_ERR_NOT_SUPPORTED)} << false
                            << "Remove file fail!";
    // Refused inside the start: the box must still end instead of waiting in exec() for good.
    QTest::newRow("refused at once") << int(SN_ERR_PROTOCOL) << Steps{} << false << "Remove file fail!";
}

void tst_RemoveProgressDlg::endsWithTheRemoval()
{
    QFETCH(int, refusal);
    QFETCH(Steps, script);
    FakeSNService service(QStringLiteral("youtube"));
    if (refusal)
        service.refuseNext(FakeSNService::OP_REMOVE, refusal);
    else
        service.scriptNext(FakeSNService::OP_REMOVE, script);
    RemoveProgressDlg dialog(&service, nullptr);
    QTEST(dialog.removeFile(QStringLiteral("Quillo"), QStringLiteral("v1")), "removed");
    QTEST(status(dialog), "finalStatus");
}

void tst_RemoveProgressDlg::closedBoxLetsTheRemovalFinish()
{
    FakeSNService service(QStringLiteral("dropboxOAuth"));
    service.scriptNext(FakeSNService::OP_REMOVE, heldThen(FakeStep::complete()));
    auto dialog = std::make_unique<RemoveProgressDlg>(&service, nullptr);
    QPointer<FakeJob> job;
    QString statusWhileRemoving;
    whenHeld(service, [&] {
        job = service.lastJob();
        QTRY_COMPARE(status(*dialog), QStringLiteral("Remove uploaded file from dropboxOAuth"));
        statusWhileRemoving = status(*dialog);
        QVERIFY(!Screenshot::save(dialog.get(), QStringLiteral("removing")).isEmpty());
        // Sent to the box itself: offscreen no window is active until activation has been processed.
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    });

    QVERIFY(dialog->removeFile(QStringLiteral("Quillo"), QStringLiteral("clip.avi")));
    QCOMPARE(statusWhileRemoving, QStringLiteral("Remove uploaded file from dropboxOAuth"));
    dialog.reset();

    // The removal goes on without its box and, once it has ended, the job frees itself.
    QVERIFY(job && job->isOpen());
    job->resume();
    QTRY_VERIFY(!job);
}

void tst_RemoveProgressDlg::removesFromTheRealService()
{
    DropboxRig dropbox;
    dropbox.grant();
    dropbox.emulation.putFile(QStringLiteral("/public/Quillo/clip.avi"), "frames");
    // Slow enough that the box is closed while the service still works on the removal.
    dropbox.rig.server.addFault("POST", QStringLiteral("/2/files/delete_v2"), HttpFault::delayReply(300));
    auto dialog = std::make_unique<RemoveProgressDlg>(dropbox.rig.handle, nullptr);
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (!dropbox.rig.server.requests("POST", QStringLiteral("/2/files/delete_v2")).isEmpty()) {
            poll.stop();
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        }
    });
    poll.start();

    QVERIFY(dialog->removeFile(QStringLiteral("Quillo"), QStringLiteral("clip.avi")));
    dialog.reset();

    QTRY_VERIFY(dropbox.emulation.paths().isEmpty());
    const QList<RecordedRequest> asked = dropbox.rig.server.requests("POST", QStringLiteral("/2/files/delete_v2"));
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().json().value(QStringLiteral("path")).toString(), QStringLiteral("/public/Quillo/clip.avi"));
    // Let the delayed answer arrive: it must reach no deleted box.
    QTest::qWait(400);
}

QUILLO_TEST_MAIN(tst_RemoveProgressDlg)
#include "tst_RemoveProgressDlg.moc"
