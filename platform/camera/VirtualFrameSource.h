#pragma once

#include "FrameSource.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QWaitCondition>

#include <memory>

class VirtualPicture;

// Frames of the built-in camera at a steady rate. A frame is drawn only when one is asked for; frames the
// screen did not ask for in time are skipped, as a real device's would be.
class VirtualFrameSource : public FrameSource
{
public:
    VirtualFrameSource(const QSize &size, int framesPerSecond, const QString &cameraName, int openResult);
    ~VirtualFrameSource() override;

    int open() override;
    void close() override;
    int waitForFrame(int timeoutMs) override;
    void wake() override;
    QImage takeFrame() override;

private:
    QSize m_size;
    int m_framesPerSecond;
    QString m_cameraName;
    int m_openResult;
    std::unique_ptr<VirtualPicture> m_picture;
    QMutex m_mutex;
    QWaitCondition m_condition;
    QElapsedTimer m_clock;
    qint64 m_frameNumber = -1;
    bool m_woken = false;
};
