#include "VideoControlPanel.h"

#include "MainWindowIntf.h"
#include "VideoIntf.h"
#include "ui_VideoControlPanel.h"

VideoControlPanel::VideoControlPanel(QWidget *parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::VideoControlPanel>())
{
    ui->setupUi(this);
}

VideoControlPanel::~VideoControlPanel() = default;

void VideoControlPanel::setMainWindow(MainWindowIntf *mainWindow)
{
    m_mainWindow = mainWindow;
    connect(ui->closeBtn, &QPushButton::clicked, mainWindow, &MainWindowIntf::leaveVideoFullDisplaySplit);
    connect(ui->fullScreenBtn, &QToolButton::clicked, mainWindow, &MainWindowIntf::changeVideoFullScreenDisplayMode);
    connect(mainWindow, &MainWindowIntf::splitModeChange, this, &VideoControlPanel::splitModeChangedUI);
}

void VideoControlPanel::setVideo(VideoIntf *video)
{
    m_video = video;
    connect(ui->playPauseBtn, &QPushButton::clicked, this, &VideoControlPanel::videoStartPauseRequest);
    connect(ui->jogSlider, &QSlider::valueChanged, this, &VideoControlPanel::setVideoCurrentTime);
    connect(ui->volSlider, &QSlider::valueChanged, this, &VideoControlPanel::setVideoVolume);
    connect(video, &VideoIntf::actionStatusChanged, this, &VideoControlPanel::btnsEnableByVideoStatus);
}

void VideoControlPanel::showPanel()
{
    setVisible(true);
}

void VideoControlPanel::setVideoLength(int seconds)
{
    // The service answers "no video" with a negative code; a maximum alone below 0 would drag the minimum
    // down with it and keep it there for every later video.
    ui->jogSlider->setRange(0, qMax(0, seconds));
}

void VideoControlPanel::setVolumeSliderValue(int value)
{
    ui->volSlider->setValue(value);
}

void VideoControlPanel::setPlayPauseChecked(bool checked)
{
    ui->playPauseBtn->setChecked(checked);
    repaint();
}

void VideoControlPanel::clickFullScreenButton()
{
    ui->fullScreenBtn->click();
}

void VideoControlPanel::videoStartPauseRequest(bool play)
{
    if (!m_video)
        return;
    if (!play) {
        m_video->pause();
        return;
    }
    if (m_video->actionStatus() & VideoIntf::ACTION_PAUSED)
        m_video->resume();
    // Read afresh: a resumed video is no longer stopped and must not be started again.
    if (m_video->actionStatus() & VideoIntf::ACTION_STOPPED)
        m_video->start();
}

void VideoControlPanel::setVideoCurrentTime(int seconds)
{
    if (m_video)
        m_video->moveTo(seconds);
}

void VideoControlPanel::setVideoVolume(int percent)
{
    if (m_video)
        m_video->setVolume(uint(percent));
}

void VideoControlPanel::btnsEnableByVideoStatus(uint status)
{
    ui->jogSlider->setEnabled(status & VideoIntf::ACTION_SEEKABLE);
    if (status & VideoIntf::ACTION_STOPPED) {
        ui->playPauseBtn->setChecked(false);
        ui->playPauseBtn->setEnabled(true);
    } else {
        ui->playPauseBtn->setChecked(true);
        ui->playPauseBtn->setEnabled(status & (VideoIntf::ACTION_PLAYING | VideoIntf::ACTION_PAUSED));
    }
}

void VideoControlPanel::moveJogSliderQuietly(int seconds)
{
    // The slider follows playback; only the user's moves seek.
    disconnect(ui->jogSlider, &QSlider::valueChanged, this, &VideoControlPanel::setVideoCurrentTime);
    ui->jogSlider->setValue(seconds);
    if (m_video)
        connect(ui->jogSlider, &QSlider::valueChanged, this, &VideoControlPanel::setVideoCurrentTime);
}

void VideoControlPanel::videoPlaybackCurrentTime(uint seconds)
{
    moveJogSliderQuietly(int(seconds));
}

void VideoControlPanel::videoEnded()
{
    moveJogSliderQuietly(0);
}

void VideoControlPanel::splitModeChangedUI(int mode)
{
    switch (mode) {
    case 0:
    case 1:
    case 2:
    case 7:
    case 8:
        ui->closeBtn->setVisible(true);
        ui->line->setVisible(true);
        break;
    case 3:
    case 4:
    case 5:
    case 6:
        ui->closeBtn->setVisible(false);
        ui->line->setVisible(false);
        break;
    default:
        break;
    }
}
