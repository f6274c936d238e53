#include "AVIRecordingThread.h"
#include "AviProbe.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "X11ScreenGrabber.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

// A real recording of the X server's screen for a few seconds.
class TestScreenRecordingX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void grabsThePrimaryScreen();
    void recordsAFewSeconds();
};

void TestScreenRecordingX11::grabsThePrimaryScreen()
{
    X11ScreenGrabber grabber;
    QString reason;
    QVERIFY2(grabber.isAvailable(&reason), qPrintable(reason));
    QVERIFY(grabber.selectScreen());
    const QImage picture = grabber.grab();
    // The screen's own pixels, also where the desktop is scaled (QT_SCALE_FACTOR=2 in the scaled run).
    const QScreen *screen = QGuiApplication::primaryScreen();
    QCOMPARE(picture.size(), screen->geometry().size() * screen->devicePixelRatio());
    QCOMPARE(grabber.screenSize(), picture.size());
    QVERIFY(grabber.lostReason().isEmpty());
}

void TestScreenRecordingX11::recordsAFewSeconds()
{
    QTemporaryDir dir;
    SettingIntf *settings = SettingImpl::getInstance();
    settings->setSavePath(dir.path() + "/");
    settings->release();
    AVIRecordingThread thread;
    // Prepared first, as the count-down does, so that the recorded time starts with the start below and not
    // once the encoder has warmed up, which on a busy machine takes a good part of the two seconds.
    QVERIFY(thread.prepareRecording(0, 640, 360, -2));
    QVERIFY(thread.startRecording(0, 640, 360, -2));
    QTest::qWait(2000);
    QVERIFY(thread.stopRecording());
    const AviProbe probe(thread.recordedFiles().value(0));
    const QJsonObject video = probe.stream("video");
    QCOMPARE(video.value("codec_tag_string").toString(), QStringLiteral("XVID"));
    QCOMPARE(video.value("width").toInt(), 640);
    QCOMPARE(video.value("height").toInt(), 360);
    // Two seconds are 50 slots. How many of them hold a picture depends on the machine's speed, which the
    // recording benchmark measures; here a fifth shows that pictures reach the file at all.
    const int pictures = video.value("nb_read_frames").toString().toInt();
    QVERIFY2(pictures >= 10, qPrintable(QString::number(pictures)));
    QVERIFY(qAbs(video.value("nb_frames").toString().toInt() - 50) <= 5);
}

QUILLO_TEST_MAIN_X11(TestScreenRecordingX11)
#include "tst_ScreenRecordingX11.moc"
