#include "MainWindowFake.h"
#include "TestEnvironment.h"
#include "VideoControlPanel.h"
#include "VideoCtrlSlider.h"
#include "VideoIntf.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

// Records the calls the panel makes and answers with a mask the test sets; resume and start move the mask
// on as the real service does.
class FakeVideo : public VideoIntf
{
public:
    QStringList calls;
    uint mask = 33;

    QWidget *videoWidget() override { return nullptr; }
    void showVideo() override {}
    void hideVideo() override {}
    int attachVideo(const QString &) override { return 0; }
    QString videoPath() override { return {}; }
    QSize videoSize(const QSize &area) override { return area; }
    void resizeVideo(const QSize &) override {}
    int getTotalVideoLengthInSeconds() override { return 0; }
    int setProgressReportPeriod(int) override { return 0; }
    int start() override { return record(QStringLiteral("start"), 58); }
    int pause() override { return record(QStringLiteral("pause"), 60); }
    int resume() override { return record(QStringLiteral("resume"), 58); }
    int stop() override { return record(QStringLiteral("stop"), 33); }
    int moveTo(int seconds) override { return record(QStringLiteral("moveTo %1").arg(seconds), mask); }
    int getVolume() override { return 0; }
    int setVolume(uint percent) override { return record(QStringLiteral("setVolume %1").arg(percent), mask); }
    uint actionStatus() override { return mask; }
    void dropFpsForLoadBalance(int) override {}

private:
    int record(const QString &call, uint newMask)
    {
        calls << call;
        mask = newMask;
        return 0;
    }
};

} // namespace

class TestVideoControlPanel : public QObject
{
    Q_OBJECT

private:
    template<typename T>
    static T *child(VideoControlPanel &panel, const char *name)
    {
        return panel.findChild<T *>(QLatin1String(name));
    }

private Q_SLOTS:
    void formIconsAreCompiledIn_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *name : {"videobar_exit", "play", "playing", "sound", "become_FullScreen", "exit_FullScreen"})
            QTest::newRow(name) << QStringLiteral(":/Image/pics/%1.png").arg(QLatin1String(name));
    }
    void formIconsAreCompiledIn()
    {
        QFETCH(QString, path);
        QVERIFY(!QImage(path).isNull());
    }

    void playButtonStartsOrResumes_data()
    {
        QTest::addColumn<uint>("mask");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("stopped") << 33u << true << QStringList{"start"};
        QTest::newRow("paused") << 60u << true << QStringList{"resume"};
        QTest::newRow("playing, unchecked") << 58u << false << QStringList{"pause"};
    }
    void playButtonStartsOrResumes()
    {
        QFETCH(uint, mask);
        QFETCH(bool, checked);
        QFETCH(QStringList, calls);
        VideoControlPanel panel;
        FakeVideo video;
        video.mask = mask;
        panel.setVideo(&video);
        auto *play = child<QPushButton>(panel, "playPauseBtn");
        play->setChecked(!checked);
        play->click();
        QCOMPARE(video.calls, calls);
    }

    void buttonsFollowMask_data()
    {
        QTest::addColumn<uint>("mask");
        QTest::addColumn<bool>("sliderEnabled");
        QTest::addColumn<bool>("playChecked");
        QTest::addColumn<bool>("playEnabled");
        QTest::newRow("stopped") << 33u << false << false << true;
        QTest::newRow("playing") << 58u << true << true << true;
        QTest::newRow("paused") << 60u << true << true << true;
        QTest::newRow("nothing playable") << 0u << false << true << false;
    }
    void buttonsFollowMask()
    {
        QFETCH(uint, mask);
        QFETCH(bool, sliderEnabled);
        QFETCH(bool, playChecked);
        QFETCH(bool, playEnabled);
        VideoControlPanel panel;
        FakeVideo video;
        panel.setVideo(&video);
        Q_EMIT video.actionStatusChanged(mask);
        QCOMPARE(child<VideoCtrlSlider>(panel, "jogSlider")->isEnabled(), sliderEnabled);
        QCOMPARE(child<QPushButton>(panel, "playPauseBtn")->isChecked(), playChecked);
        QCOMPARE(child<QPushButton>(panel, "playPauseBtn")->isEnabled(), playEnabled);
    }

    void sliderSeeksOnlyForUser()
    {
        VideoControlPanel panel;
        FakeVideo video;
        panel.setVideo(&video);
        panel.setVideoLength(120);
        // The main window connects these two.
        connect(&video, &VideoIntf::progressUpdated, &panel, &VideoControlPanel::videoPlaybackCurrentTime);
        connect(&video, &VideoIntf::ended, &panel, &VideoControlPanel::videoEnded);
        auto *jog = child<VideoCtrlSlider>(panel, "jogSlider");
        Q_EMIT video.progressUpdated(42);
        QCOMPARE(jog->value(), 42);
        Q_EMIT video.ended();
        QCOMPARE(jog->value(), 0);
        Q_EMIT video.progressUpdated(7);
        QCOMPARE(jog->value(), 7);
        QVERIFY(video.calls.isEmpty());
        jog->setValue(8);
        jog->setValue(9);
        QCOMPARE(video.calls, (QStringList{"moveTo 8", "moveTo 9"}));

        panel.setVolumeSliderValue(40);
        QCOMPARE(video.calls.last(), QStringLiteral("setVolume 40"));
    }

    void clickJumpsToPosition_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("value");
        QTest::newRow("left at a quarter") << Qt::LeftButton << 30;
        QTest::newRow("right does not jump") << Qt::RightButton << 0;
    }
    void clickJumpsToPosition()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, value);
        VideoControlPanel panel;
        FakeVideo video;
        panel.setVideo(&video);
        auto *jog = child<VideoCtrlSlider>(panel, "jogSlider");
        jog->setRange(0, 120);
        jog->setFixedWidth(400);
        QTest::mouseClick(jog, button, {}, QPoint(100, jog->height() / 2));
        QCOMPARE(jog->value(), value);
        if (value)
            QCOMPARE(video.calls.last(), QStringLiteral("moveTo %1").arg(value));
        else
            QVERIFY(video.calls.isEmpty());
    }

    // Closing a video hands the panel the service's "no video" code as its length; the video opened next
    // must still seek from its start, a click at a quarter of the slider to a quarter of its length.
    void lengthsKeepTheSliderFromZero_data()
    {
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<int>("quarter");
        QTest::newRow("closed, then 120 s") << QList<int>{-2000, 120} << 30;
        QTest::newRow("120 s, closed, 60 s") << QList<int>{120, -2000, 60} << 15;
        QTest::newRow("refused, then 40 s") << QList<int>{-2001, 40} << 10;
        QTest::newRow("only closed") << QList<int>{-2000} << 0;
    }
    void lengthsKeepTheSliderFromZero()
    {
        QFETCH(QList<int>, lengths);
        QFETCH(int, quarter);
        VideoControlPanel panel;
        FakeVideo video;
        panel.setVideo(&video);
        for (int length : lengths)
            panel.setVideoLength(length);
        auto *jog = child<VideoCtrlSlider>(panel, "jogSlider");
        QCOMPARE(jog->minimum(), 0);
        QCOMPARE(jog->maximum(), qMax(0, lengths.last()));
        QVERIFY(jog->value() >= 0);
        jog->setFixedWidth(400);
        video.calls.clear();
        QTest::mouseClick(jog, Qt::LeftButton, {}, QPoint(100, jog->height() / 2));
        QCOMPARE(jog->value(), quarter);
        if (quarter)
            QCOMPARE(video.calls.last(), QStringLiteral("moveTo %1").arg(quarter));
    }

    void mainWindowSignals()
    {
        VideoControlPanel panel;
        MainWindowFake window;
        panel.setMainWindow(&window);
        child<QPushButton>(panel, "closeBtn")->click();
        panel.clickFullScreenButton();
        const QVariantList fullOn = window.lastArgs(QStringLiteral("changeVideoFullScreenDisplayMode"));
        panel.clickFullScreenButton();
        QCOMPARE(window.callNames(), (QStringList{"leaveVideoFullDisplaySplit", "changeVideoFullScreenDisplayMode",
                                                  "changeVideoFullScreenDisplayMode"}));
        QCOMPARE(fullOn, QVariantList{true});
        QCOMPARE(window.lastArgs(QStringLiteral("changeVideoFullScreenDisplayMode")), QVariantList{false});
    }

    void displayModeShowsCloseButton_data()
    {
        QTest::addColumn<QList<int>>("modes");
        QTest::addColumn<bool>("visible");
        QTest::newRow("5 hides") << QList<int>{5} << false;
        QTest::newRow("8 shows") << QList<int>{5, 8} << true;
        QTest::newRow("9 keeps hidden") << QList<int>{3, 9} << false;
        QTest::newRow("9 keeps shown") << QList<int>{0, 9} << true;
    }
    void displayModeShowsCloseButton()
    {
        QFETCH(QList<int>, modes);
        QFETCH(bool, visible);
        VideoControlPanel panel;
        MainWindowFake window;
        panel.setMainWindow(&window);
        panel.show();
        for (int mode : modes)
            Q_EMIT window.splitModeChange(mode);
        QCOMPARE(child<QPushButton>(panel, "closeBtn")->isVisible(), visible);
        QCOMPARE(child<QFrame>(panel, "line")->isVisible(), visible);
    }
};

QUILLO_TEST_MAIN(TestVideoControlPanel)
#include "tst_VideoControlPanel.moc"
