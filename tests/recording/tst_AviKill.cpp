#include "AviProbe.h"
#include "AviRepair.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// A recording killed at an awkward moment leaves files that play, and the start-up repair makes them whole.
class TestAviKill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedRecordingStaysPlayable_data();
    void killedRecordingStaysPlayable();
};

void TestAviKill::killedRecordingStaysPlayable_data()
{
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("killAfter");
    QTest::newRow("mid-segment") << "1" << "run" << QByteArray("frames 50");
    QTest::newRow("just after a split") << "600" << "run" << QByteArray("files 2");
    QTest::newRow("during stop") << "1" << "stop" << QByteArray("stopping");
}

void TestAviKill::killedRecordingStaysPlayable()
{
    QFETCH(QString, speed);
    QFETCH(QString, mode);
    QFETCH(QByteArray, killAfter);
    QTemporaryDir dir;
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + "/aviRecordHelper",
                 {dir.filePath("Quillo-kill.avi"), speed, mode});
    QVERIFY(helper.waitForStarted());
    QByteArray output;
    QVERIFY(QTest::qWaitFor(
        [&] {
            helper.waitForReadyRead(50);
            output += helper.readAllStandardOutput();
            return output.contains(killAfter) || helper.state() == QProcess::NotRunning;
        },
        30000));
    QVERIFY2(helper.state() == QProcess::Running, output.constData());
    helper.kill(); // SIGKILL
    QVERIFY(helper.waitForFinished());

    const QStringList names = QDir(dir.path()).entryList({"*.avi"}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString &name : names) {
        const AviProbe probe(dir.filePath(name));
        QVERIFY2(probe.readable(), qPrintable(name));
        QVERIFY2(probe.stream("video").value("nb_read_frames").toString().toInt() > 0, qPrintable(name));
    }
    const QString last = dir.filePath(names.last());
    if (mode == QLatin1String("run"))
        QVERIFY(AviRepair::isUnfinished(last));
    const int readBefore = AviProbe(last).stream("video").value("nb_read_frames").toString().toInt();

    AviRepair::repairFolder(dir.path());
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        QVERIFY2(!AviRepair::isUnfinished(path), qPrintable(name));
        const AviProbe probe(path);
        const QJsonObject video = probe.stream("video");
        QCOMPARE(video.value("codec_tag_string").toString(), QStringLiteral("XVID"));
        // The header now states the length: every slot up to the last frame.
        QVERIFY(video.value("nb_frames").toString().toInt() >= video.value("nb_read_frames").toString().toInt());
        QVERIFY(probe.stream("audio").value("codec_name").toString() == QLatin1String("pcm_s16le"));
    }
    QCOMPARE(AviProbe(last).stream("video").value("nb_read_frames").toString().toInt(), readBefore);
}

QUILLO_TEST_MAIN(TestAviKill)
#include "tst_AviKill.moc"
