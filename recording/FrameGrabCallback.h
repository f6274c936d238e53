#pragma once

#include "FramePacer.h"
#include "VideoFrameConverter.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QThreadPool>
#include <QVideoFrame>

#include <atomic>
#include <functional>

class QPainter;
class QWidget;

// Receives the player's decoded frames on whatever thread delivers them, keeps the ones the frame-rate cap
// lets through, converts them to images on its own worker thread and holds the newest for painting. The
// widget it serves is asked to repaint through a queued connection, so it is only ever touched on its
// own thread.
class FrameGrabCallback : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<qint64()>;

    explicit FrameGrabCallback(QObject *parent = nullptr);
    ~FrameGrabCallback() override;

    // 0 shows every frame.
    void setFpsHint(int fps);
    int fpsHint() const;
    // The widget repainted after each converted frame; nullptr for none.
    void setWidget(QWidget *widget);
    // Milliseconds of a steady clock; replaceable so that the pacing can be checked without waiting.
    void setClock(Clock clock);

    bool hasFrame() const;
    QImage frame() const;
    // The held frame with its start time in the medium in microseconds (-1 when the player gave none).
    QImage timedFrame(qint64 *startUs) const;
    // Drops the held frame and any frame still being converted.
    void clearFrame();
    // Draws the held frame stretched over 0, 0, width, height.
    void paint(QPainter *painter, int width, int height) const;

    // Thread-safe; cheap for frames the cap drops.
    void presentFrame(const QVideoFrame &frame);
    // Waits until no frame is being converted.
    void waitForConversions();
    // How many frames were converted so far: the cap's savings show here.
    int conversions() const { return m_conversions; }

Q_SIGNALS:
    // Emitted on the worker thread when a new frame is held.
    void frameReady();

private:
    void convertPending();

    mutable QMutex m_mutex;
    FramePacer m_pacer;
    Clock m_clock;
    QElapsedTimer m_elapsed;
    QVideoFrame m_pending;
    quint64 m_pendingGeneration = 0;
    // Counts clearFrame calls, so that a conversion started before one is not shown after it.
    quint64 m_generation = 0;
    bool m_converting = false;
    std::atomic<int> m_conversions{0};
    QImage m_frame;
    qint64 m_frameStartUs = -1;
    QMetaObject::Connection m_widgetConnection;
    // Used by the converter thread only.
    VideoFrameConverter m_frameConverter;
    QThreadPool m_converter;
};
