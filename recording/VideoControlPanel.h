#pragma once

#include <QFrame>

#include <memory>

class MainWindowIntf;
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

    // The close button leaves video full display, the full-screen button switches the window's full
    // screen, and the window's display mode decides whether the close button shows.
    void setMainWindow(MainWindowIntf *mainWindow);
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
    MainWindowIntf *m_mainWindow = nullptr;
};
