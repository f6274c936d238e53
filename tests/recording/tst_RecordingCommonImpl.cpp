#include "MessageBoxScript.h"
#include "PrivateMount.h"
#include "RecordingCommonImpl.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The state machine over scripted platform operations.
class ScriptedRecording : public RecordingCommonImpl
{
    Q_OBJECT

public:
    ScriptedRecording()
    {
        setFreeSpaceQuery([this](const QString &) { return freeBytes; });
    }

    bool getMute() override { return false; }
    int setMute(bool) override { return 0; }
    uint getVolume() override { return 0; }
    int setVolume(uint) override { return 0; }
    QList<QString> audioSources() override { return {}; }

    int doStartRecording() override { return ++starts, startResult; }
    int doStopRecording(QList<QString> *files) override
    {
        ++stops;
        if (files)
            *files = written;
        return stopResult;
    }
    int doPauseRecording() override { return 1; }
    int doResumeRecording() override { return 1; }
    int doStartAudioMonitor() override { return ++monitorStarts, monitorResult; }
    void doStopAudioMonitor() override { ++monitorStops; }

    qint64 freeBytes = qint64(1) << 40;
    int startResult = 0;
    int stopResult = 0;
    int monitorResult = 0;
    int starts = 0;
    int stops = 0;
    int monitorStarts = 0;
    int monitorStops = 0;
    QList<QString> written;
};

class TestRecordingCommonImpl : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    ScriptedRecording *m_service = nullptr;

    static void setSaveFolder(const QString &folder)
    {
        SettingIntf *settings = SettingImpl::getInstance();
        settings->setSavePath(folder);
        settings->release();
    }
    static QList<uint> statuses(const QSignalSpy &spy)
    {
        QList<uint> values;
        for (const QList<QVariant> &arguments : spy)
            values.append(arguments.at(0).toUInt());
        return values;
    }

private Q_SLOTS:
    void init()
    {
        setSaveFolder(m_dir.path() + "/");
        m_service = new ScriptedRecording;
    }
    void cleanup() { m_service->release(); }

    void refusalsAndStatusSequence();
    void platformFailuresKeepTheState();
    void freeSpaceFloor_data();
    void freeSpaceFloor();
    void folderThatCannotBeMade();
    void unwritableFolder();
    void exitConfirmation_data();
    void exitConfirmation();
    void forcedStops_data();
    void forcedStops();
    void forcedStopWithError();
    void forcedStopWhoseStopFailsEndsIdle();
    void monitorUsersAreCounted();
    void recordingWithoutMicrophoneLeavesOtherMonitorUsers();
    void exitConfirmationReleasesTheRecordingsMonitor();
    void referenceCounting();
};

void TestRecordingCommonImpl::refusalsAndStatusSequence()
{
    MessageBoxScript boxes;
    QSignalSpy status(m_service, &RecordingIntf::actionStatusChanged);
    QList<QString> files;
    QCOMPARE(m_service->actionStatus(), 1u);
    QCOMPARE(m_service->stopRecording(&files), -1001);
    QCOMPARE(m_service->pauseRecording(), -1001);
    QCOMPARE(m_service->resumeRecording(), -1001);

    QCOMPARE(m_service->startRecording(), 0);
    QCOMPARE(m_service->startRecording(), -1000);
    QCOMPARE(m_service->resumeRecording(), -1003);
    QCOMPARE(m_service->pauseRecording(), 0);
    QCOMPARE(m_service->pauseRecording(), -1002);
    QCOMPARE(m_service->actionStatus(), 10u);
    QCOMPARE(m_service->resumeRecording(), 0);
    m_service->written = {"a.avi"};
    QCOMPARE(m_service->stopRecording(&files), 0);
    QCOMPARE(files, QList<QString>{"a.avi"});

    QCOMPARE(statuses(status), (QList<uint>{6, 10, 6, 1}));
    QCOMPARE(m_service->starts, 1);
    QVERIFY(boxes.shown().isEmpty());
}

void TestRecordingCommonImpl::platformFailuresKeepTheState()
{
    QSignalSpy status(m_service, &RecordingIntf::actionStatusChanged);
    m_service->startResult = -1;
    QCOMPARE(m_service->startRecording(), -1);
    QCOMPARE(m_service->actionStatus(), 1u);
    m_service->startResult = 0;
    QCOMPARE(m_service->startRecording(), 0);
    m_service->stopResult = -1;
    QList<QString> files;
    QCOMPARE(m_service->stopRecording(&files), -1);
    QCOMPARE(m_service->actionStatus(), 6u);
    QCOMPARE(statuses(status), QList<uint>{6});
}

void TestRecordingCommonImpl::freeSpaceFloor_data()
{
    QTest::addColumn<qint64>("freeBytes");
    QTest::addColumn<int>("result");
    QTest::newRow("exactly 2 MiB") << qint64(2097152) << -4000;
    QTest::newRow("one byte more") << qint64(2097153) << 0;
    QTest::newRow("no volume") << qint64(-1) << -4000;
}

void TestRecordingCommonImpl::freeSpaceFloor()
{
    QFETCH(qint64, freeBytes);
    QFETCH(int, result);
    MessageBoxScript boxes;
    m_service->freeBytes = freeBytes;
    QCOMPARE(m_service->startRecording(), result);
    if (result == 0) {
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(m_service->actionStatus(), 6u);
    } else {
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.lastText(), QStringLiteral("Not enough disk space!"));
        QCOMPARE(boxes.shown().first().informativeText, QStringLiteral("Cannot start recording!"));
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Warning"));
        QCOMPARE(m_service->starts, 0);
    }
}

void TestRecordingCommonImpl::folderThatCannotBeMade()
{
    MessageBoxScript boxes;
    // A missing folder falls back to the default media folder; a file standing where one of its parents
    // should be keeps that from being made.
    const QString media = SettingImpl::defaultMediaFolder();
    const QString blocker = QDir::cleanPath(media + "/..");
    QVERIFY(QDir().mkpath(QFileInfo(blocker).path()));
    QDir(blocker).removeRecursively();
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    setSaveFolder(m_dir.filePath("missing") + "/");
    const int result = m_service->startRecording();
    QFile::remove(blocker);
    QCOMPARE(result, -4000);
    QVERIFY(boxes.shown().isEmpty());
    QCOMPARE(m_service->starts, 0);
}

void TestRecordingCommonImpl::unwritableFolder()
{
    QTemporaryDir folder;
    PrivateMount readOnly = PrivateMount::readOnly(folder.path());
    if (!readOnly.isMounted())
        return;
    setSaveFolder(folder.path() + "/");
    MessageBoxScript boxes;
    const int result = m_service->startRecording();
    readOnly.unmount();
    QCOMPARE(result, -4002);
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.lastText(), QStringLiteral("Permission Denied! You do not have access to the directory."));
    QCOMPARE(boxes.shown().first().informativeText,
             QStringLiteral("You do not have permission to write to %1/.").arg(folder.path()));
    QCOMPARE(m_service->starts, 0);
}

void TestRecordingCommonImpl::exitConfirmation_data()
{
    QTest::addColumn<bool>("recording");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("stopResult");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("filesLeft");
    QTest::addColumn<uint>("status");
    QTest::newRow("idle") << false << int(QMessageBox::Yes) << 0 << 0 << 0 << 1u;
    QTest::newRow("no") << true << int(QMessageBox::No) << 0 << -3000 << 0 << 6u;
    QTest::newRow("closed") << true << int(QMessageBox::NoButton) << 0 << -3000 << 0 << 6u;
    QTest::newRow("yes") << true << int(QMessageBox::Yes) << 0 << 0 << 1 << 1u;
    QTest::newRow("yes, stop fails") << true << int(QMessageBox::Yes) << -1 << 1000 << 0 << 1u;
}

void TestRecordingCommonImpl::exitConfirmation()
{
    QFETCH(bool, recording);
    QFETCH(int, answer);
    QFETCH(int, stopResult);
    QFETCH(int, result);
    QFETCH(int, filesLeft);
    QFETCH(uint, status);
    MessageBoxScript boxes;
    if (recording)
        QCOMPARE(m_service->startRecording(), 0);
    m_service->written = {"a.avi"};
    m_service->stopResult = stopResult;
    boxes.answerNext(QMessageBox::StandardButton(answer));
    QList<QString> files;
    QCOMPARE(m_service->confirmExitWhileRecording(&files), result);
    QCOMPARE(files.size(), filesLeft);
    QCOMPARE(m_service->actionStatus(), status);
    QCOMPARE(boxes.shown().size(), recording ? 1 : 0);
    if (recording) {
        const MessageBoxes::Request &box = boxes.shown().first();
        QCOMPARE(box.text, QStringLiteral("Do you really want to exit Quillo?"));
        QCOMPARE(box.informativeText, QStringLiteral("Recording in progress"));
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.defaultButton, QMessageBox::No);
    }
}

void TestRecordingCommonImpl::forcedStops_data()
{
    QTest::addColumn<bool>("recording");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("filesPassed");
    QTest::newRow("files on disk") << true << true << "Not enough disk space!" << -4000 << true;
    QTest::newRow("files gone") << true << false << "Destination disk removed!" << -4001 << false;
    QTest::newRow("nothing recording") << false << false << "Destination disk removed!" << -4001 << false;
}

void TestRecordingCommonImpl::forcedStops()
{
    QFETCH(bool, recording);
    QFETCH(bool, fileExists);
    QFETCH(QString, box);
    QFETCH(int, code);
    QFETCH(bool, filesPassed);
    MessageBoxScript boxes;
    const QString file = m_dir.filePath("Quillo-2012-09-28_14-05-09.avi");
    QFile::remove(file);
    if (fileExists) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    if (recording)
        QCOMPARE(m_service->startRecording(), 0);
    m_service->written = {file};
    QSignalSpy stopped(m_service, &RecordingIntf::recordStopped);
    QSignalSpy status(m_service, &RecordingIntf::actionStatusChanged);
    m_service->forceStopRecording();
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.lastText(), box);
    QCOMPARE(boxes.shown().first().informativeText, QStringLiteral("Recording interrupted."));
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(stopped.first().at(0).toInt(), code);
    QCOMPARE(stopped.first().at(1).value<QList<QString>>(), filesPassed ? QList<QString>{file} : QList<QString>());
    QCOMPARE(statuses(status), recording ? QList<uint>{1} : QList<uint>());
    QCOMPARE(m_service->actionStatus(), 1u);
}

void TestRecordingCommonImpl::forcedStopWithError()
{
    MessageBoxScript boxes;
    QCOMPARE(m_service->startRecording(), 0);
    // One file with pictures in it, one left empty and one never made.
    QFile kept(m_dir.filePath("x.avi"));
    QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("RIFF") == 4);
    kept.close();
    QFile empty(m_dir.filePath("y.avi"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    m_service->written = {m_dir.filePath("x.avi"), m_dir.filePath("y.avi"), m_dir.filePath("z.avi")};
    QSignalSpy stopped(m_service, &RecordingIntf::recordStopped);
    m_service->forceStopRecordingWithError(-5000, "Use XVID codec failed. Please contact customer service");
    QCOMPARE(boxes.lastText(), QStringLiteral("Recording interrupted."));
    QCOMPARE(boxes.shown().first().informativeText,
             QStringLiteral("Use XVID codec failed. Please contact customer service"));
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(stopped.first().at(0).toInt(), -5000);
    // What was written before the error is handed on, for the window to offer; nothing that holds nothing.
    QCOMPARE(stopped.first().at(1).value<QList<QString>>(), QList<QString>{m_dir.filePath("x.avi")});
    QCOMPARE(m_service->actionStatus(), 1u);
}

void TestRecordingCommonImpl::forcedStopWhoseStopFailsEndsIdle()
{
    MessageBoxScript boxes;
    QCOMPARE(m_service->startRecording(), 0);
    m_service->stopResult = -1;
    QSignalSpy stopped(m_service, &RecordingIntf::recordStopped);
    m_service->forceStopRecording();
    QCOMPARE(stopped.size(), 1);
    // The capture is over: the service must not go on showing a recording that cannot be stopped.
    QCOMPARE(m_service->actionStatus(), 1u);
    QCOMPARE(m_service->startRecording(), 0);
    QCOMPARE(m_service->monitorStops, 1);
}

void TestRecordingCommonImpl::monitorUsersAreCounted()
{
    QCOMPARE(m_service->startAudioMonitor(), 0);
    QCOMPARE(m_service->startAudioMonitor(), 0);
    QCOMPARE(m_service->monitorStarts, 1);
    m_service->stopAudioMonitor();
    QCOMPARE(m_service->monitorStops, 0);
    m_service->stopAudioMonitor();
    QCOMPARE(m_service->monitorStops, 1);
    m_service->stopAudioMonitor();
    QCOMPARE(m_service->monitorStops, 1);

    m_service->monitorResult = -2001;
    QCOMPARE(m_service->startAudioMonitor(), -2001);
    m_service->stopAudioMonitor();
    QCOMPARE(m_service->monitorStops, 1);
}

void TestRecordingCommonImpl::recordingWithoutMicrophoneLeavesOtherMonitorUsers()
{
    MessageBoxScript boxes;
    // The recording's own monitor call fails (no microphone yet) and still the start succeeds.
    m_service->monitorResult = -2001;
    QCOMPARE(m_service->startRecording(), 0);
    // The settings dialog's meter starts once a microphone is there.
    m_service->monitorResult = 0;
    QCOMPARE(m_service->startAudioMonitor(), 0);
    QList<QString> files;
    QCOMPARE(m_service->stopRecording(&files), 0);
    QCOMPARE(m_service->monitorStops, 0);
    QCOMPARE(m_service->startRecording(), 0);
    m_service->forceStopRecording();
    QCOMPARE(m_service->monitorStops, 0);
    // The recording after the forced stop held a user of its own and gave it back; the meter's remains.
    m_service->stopAudioMonitor();
    QCOMPARE(m_service->monitorStops, 1);
}

void TestRecordingCommonImpl::exitConfirmationReleasesTheRecordingsMonitor()
{
    MessageBoxScript boxes;
    QCOMPARE(m_service->startRecording(), 0);
    boxes.answerNext(QMessageBox::Yes);
    QList<QString> files;
    QCOMPARE(m_service->confirmExitWhileRecording(&files), 0);
    QCOMPARE(m_service->monitorStops, 1);
    // A later user starts the monitor afresh.
    QCOMPARE(m_service->startAudioMonitor(), 0);
    QCOMPARE(m_service->monitorStarts, 2);
}

void TestRecordingCommonImpl::referenceCounting()
{
    auto *service = new ScriptedRecording;
    QPointer<ScriptedRecording> alive(service);
    service->addRef();
    service->release();
    QVERIFY(alive);
    service->release();
    QVERIFY(!alive);
}

QUILLO_TEST_MAIN_PRIVATE_MOUNTS(TestRecordingCommonImpl)
#include "tst_RecordingCommonImpl.moc"
