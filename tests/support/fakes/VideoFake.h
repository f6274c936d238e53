#pragma once

#include "CallRecorder.h"
#include "VideoIntf.h"

#include <QPointer>

// The video playback service for window tests (see CallRecorder for calls and answers). Its view is a
// plain widget of its own that show/hideVideo show and hide; videoSize answers the area unless set. A test
// emits the service's signals itself; setActionStatus keeps answer and signal in step.
class VideoFake : public VideoIntf, public CallRecorder
{
    Q_OBJECT

public:
    VideoFake();
    ~VideoFake() override;

    // actionStatus answers it, and actionStatusChanged is sent.
    void setActionStatus(uint status);

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

private:
    QPointer<QWidget> m_view;
};
