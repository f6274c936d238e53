#pragma once

#include "CameraImage.h"
#include "DocCamManagerEventListener.h"
#include "DocCamParametersListener.h"
#include "QImageFrameGrabber.h"
#include "QImageHQImageGrabber.h"

#include <QCoreApplication>
#include <QImage>
#include <QList>
#include <QString>
#include <QThread>

// Records every callback of the camera layer as a line of text, and notes any that arrives off the GUI
// thread or while a call into the layer is still running.
class CameraRecorder : public DocCamManagerEventListener,
                       public DocCamParametersListener,
                       public QImageFrameGrabber,
                       public QImageHQImageGrabber
{
public:
    QStringList events;
    QList<QImage> frames;
    QList<QImage> stills;
    int wrongThread = 0;
    int reentrant = 0;
    // Set by a test around a call into the layer: a callback inside it is re-entrant.
    bool inCall = false;

    void note(const QString &event)
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            ++wrongThread;
        if (inCall)
            ++reentrant;
        events.append(event);
    }
    int count(const QString &prefix) const
    {
        int n = 0;
        for (const QString &e : events)
            n += e.startsWith(prefix) ? 1 : 0;
        return n;
    }

    void docCamArrived(LumoDocCam *) override { note(QStringLiteral("docCamArrived")); }
    void docCamRemoved(LumoDocCam *) override { note(QStringLiteral("docCamRemoved")); }
    void webCamArrived(LumoDocCam *) override { note(QStringLiteral("webCamArrived")); }
    void webCamRemoved(LumoDocCam *) override { note(QStringLiteral("webCamRemoved")); }

    void brightnessChanged(LumoDocCam *, uint v) override { note(QStringLiteral("brightness %1").arg(v)); }
    void contrastChanged(LumoDocCam *, uint v) override { note(QStringLiteral("contrast %1").arg(v)); }
    void zoomRatioChanged(LumoDocCam *, double v) override { note(QStringLiteral("zoom %1").arg(v)); }
    void rotationChanged(LumoDocCam *, uint v) override { note(QStringLiteral("rotation %1").arg(v)); }
    void mirrorChanged(LumoDocCam *, bool v) override { note(QStringLiteral("mirror %1").arg(v)); }
    void freezeChanged(LumoDocCam *, bool v) override { note(QStringLiteral("freeze %1").arg(v)); }
    void autoWhiteBalanceChanged(LumoDocCam *, bool v) override { note(QStringLiteral("autoWhiteBalance %1").arg(v)); }
    void whiteBalanceRedChanged(LumoDocCam *, uint v) override { note(QStringLiteral("red %1").arg(v)); }
    void whiteBalanceBlueChanged(LumoDocCam *, uint v) override { note(QStringLiteral("blue %1").arg(v)); }
    void autoExposureChanged(LumoDocCam *, bool v) override { note(QStringLiteral("autoExposure %1").arg(v)); }
    void exposureChanged(LumoDocCam *, int v) override { note(QStringLiteral("exposure %1").arg(v)); }
    void autoImageChanged(LumoDocCam *, bool v) override { note(QStringLiteral("autoImage %1").arg(v)); }
    void colorEffectChanged(LumoDocCam *, int v) override { note(QStringLiteral("colorEffect %1").arg(v)); }
    void modeChanged(LumoDocCam *, uint v) override { note(QStringLiteral("mode %1").arg(v)); }
    void wideAngleChanged(LumoDocCam *, bool v) override { note(QStringLiteral("wideAngle %1").arg(v)); }
    void parameterTuningProcessStarted(LumoDocCam *) override { note(QStringLiteral("tuningStarted")); }
    void parameterTuningProcessEnded(LumoDocCam *) override { note(QStringLiteral("tuningEnded")); }
    void buttonEventReceived(LumoDocCam *, uint v) override { note(QStringLiteral("button %1").arg(v)); }
    void capabilitiesLimited(LumoDocCam *) override { note(QStringLiteral("capabilitiesLimited")); }

    void oneFrameFetched(DocCamStream *, const CameraImage &image) override
    {
        note(QStringLiteral("frame"));
        frames.append(image.getQImage());
    }
    void streamStopped(DocCamStream *, int code) override
    {
        note(QStringLiteral("stopped %1").arg(QString::number(uint(code), 16)));
    }
    void hqImageFetched(int, const QImage &image) override
    {
        note(QStringLiteral("still"));
        stills.append(image);
    }
};
