#pragma once

#include "CameraImage.h"
#include "QImageFrameGrabber.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class CameraThrottleController;
class CameraWidgetDelegate;

// The on-screen view of one live stream and at the same time that stream's frame sink. It keeps the last
// frame and draws it scaled into the largest centred rectangle of the frame's aspect ratio; without a
// frame it shows a status text, or a "Connecting to Camera" bar while a stream starts. It never asks for
// frames itself: after each paint it tells its throttle controller. Every frame and stop can be handed on
// to a mirror view. A plain raster widget, so that it can move between parents.
class CameraWidget : public QWidget, public QImageFrameGrabber
{
    Q_OBJECT

public:
    CameraWidget(CameraThrottleController *throttle, QWidget *parent);
    ~CameraWidget() override;

    void setMirrorWidget(CameraWidget *mirror);
    void setInitializing(bool initializing);
    void setStatusText(const QString &text);
    void setDelegate(CameraWidgetDelegate *delegate);

    const CameraImage &frame() const { return m_frame; }
    QString statusText() const { return m_statusText; }
    bool isInitializing() const { return m_initializing; }
    QRect targetRect() const { return m_targetRect; }
    QWidget *initBar() const { return m_initBar; }

    void oneFrameFetched(DocCamStream *stream, const CameraImage &image) override;
    void streamStopped(DocCamStream *stream, int code) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void computeTargetRect();

    CameraImage m_frame;
    QRect m_targetRect;
    QString m_statusText;
    // Guarded: the mirror view belongs to another parent and may be deleted first.
    QPointer<CameraWidget> m_mirrorWidget;
    bool m_initializing = false;
    QWidget *m_initBar;
    CameraThrottleController *m_throttle;
    CameraWidgetDelegate *m_delegate = nullptr;
};
