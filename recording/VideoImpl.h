#pragma once

#include "VideoIntf.h"
#include "WinMediaService.h"

#include <QFile>
#include <QPointer>

#include <memory>

class VideoWidget;

// Plays the attached video in its widget through a WinMediaService, one service per attached file.
class VideoImpl : public VideoIntf
{
    Q_OBJECT

public:
    enum Code {
        VIDEO_OK = 0,
        VIDEO_NOT_FOUND = -1000,
        VIDEO_NO_PATH = -2000,
        VIDEO_REFUSED = -2001,
        VIDEO_WRONG_STATE = -2003,
        VIDEO_OUT_OF_RANGE = -3000,
        VIDEO_NOT_SEEKABLE = -3001,
        VIDEO_VOLUME_TOO_HIGH = -4000,
    };

    // A new service whose widget is a child of videoParent.
    static VideoImpl *create(QWidget *videoParent);
    explicit VideoImpl(QWidget *videoParent);
    ~VideoImpl() override;

    QWidget *videoWidget() override;
    void showVideo() override;
    void hideVideo() override;
    int attachVideo(const QString &path) override;
    QString videoPath() override;
    QSize videoSize(const QSize &area) override;
    void resizeVideo(const QSize &size) override;
    int getTotalVideoLengthInSeconds() override;
    int setProgressReportPeriod(int ms) override;
    int start() override;
    int pause() override;
    int resume() override;
    int stop() override;
    int moveTo(int seconds) override;
    int getVolume() override;
    int setVolume(uint percent) override;
    uint actionStatus() override;
    void dropFpsForLoadBalance(int fps) override;

    // The media service of the attached file; nullptr after releaseVideo.
    WinMediaService *mediaService() const;

public Q_SLOTS:
    void positionChanged(qint64 ms);
    void stateChanged(WinMediaService::MEDIA_STATE state);
    void mediaStatusChanged(WinMediaService::MEDIA_STATUS status);
    void releaseVideo();

private:
    void replaceMediaService();
    void warnInvalid();

    QString m_path;
    std::unique_ptr<WinMediaService> m_media;
    // Guarded: the widget's parent may delete it first, and then it must not be deleted again here.
    QPointer<VideoWidget> m_widget;
    std::unique_ptr<QFile> m_file;
    // The warning about an unplayable file is shown once per attach, also when the player finds out late.
    bool m_warned = false;
};
