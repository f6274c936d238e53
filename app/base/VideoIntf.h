#pragma once

#include <QObject>
#include <QSize>
#include <QString>

class QWidget;

// The video playback service: one .avi or .wmv file at a time, shown in its own widget. Operations return 0
// or a negative code and never throw. The main window creates the one instance and owns it.
class VideoIntf : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~VideoIntf() override = default;

    // Bits of actionStatus() and actionStatusChanged(); 0 when nothing plays.
    enum VideoActionStatus : uint {
        ACTION_STOPPED = 1,
        ACTION_PLAYING = 2,
        ACTION_PAUSED = 4,
        // Playing or paused.
        ACTION_NOT_STOPPED = 8,
        ACTION_SEEKABLE = 16,
        ACTION_PLAYABLE = 32,
    };

    virtual QWidget *videoWidget() = 0;
    virtual void showVideo() = 0;
    virtual void hideVideo() = 0;
    virtual int attachVideo(const QString &path) = 0;
    virtual QString videoPath() = 0;
    // The video's size fitted into the area with its aspect ratio kept.
    virtual QSize videoSize(const QSize &area) = 0;
    virtual void resizeVideo(const QSize &size) = 0;
    virtual int getTotalVideoLengthInSeconds() = 0;
    virtual int setProgressReportPeriod(int ms) = 0;
    virtual int start() = 0;
    virtual int pause() = 0;
    virtual int resume() = 0;
    virtual int stop() = 0;
    virtual int moveTo(int seconds) = 0;
    // 0 (silent) to 100 (full).
    virtual int getVolume() = 0;
    virtual int setVolume(uint percent) = 0;
    // VideoActionStatus bits.
    virtual uint actionStatus() = 0;
    virtual void dropFpsForLoadBalance(int fps) = 0;

Q_SIGNALS:
    void progressUpdated(uint seconds);
    void ended();
    void aborted();
    void actionStatusChanged(uint status);
};
