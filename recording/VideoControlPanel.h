#pragma once

#include <QFrame>

#include <memory>

class VideoIntf;

namespace Ui {
class VideoControlPanel;
}

// The bar under the played video: close, play/pause, jog slider, volume and full screen. It turns the
// user's actions into calls on the playback service and follows the service's action-status mask,
// position and end.
class VideoControlPanel : public QFrame
{
    Q_OBJECT

public:
    explicit VideoControlPanel(QWidget *parent = nullptr);
    ~VideoControlPanel() override;

    // The main window, connected by its slot and signal names: leaveVideoFullDisplaySplit(),
    // changeVideoFullScreenDisplayMode(bool) and splitModeChange(int).
    void setMainWindow(QObject *mainWindow);
    void setVideo(VideoIntf *video);
    void showPanel();
    void setVideoLength(int seconds);
    void setVolumeSliderValue(int value);
    void setPlayPauseChecked(bool checked);
    void clickFullScreenButton();

public Q_SLOTS:
    void videoStartPauseRequest(bool play);
    void setVideoCurrentTime(int seconds);
    void setVideoVolume(int percent);
    void btnsEnableByVideoStatus(uint status);
    void videoPlaybackCurrentTime(uint seconds);
    void videoEnded();
    void splitModeChangedUI(int mode);

private:
    void moveJogSliderQuietly(int seconds);

    std::unique_ptr<Ui::VideoControlPanel> ui;
    VideoIntf *m_video = nullptr;
    QObject *m_mainWindow = nullptr;
};
