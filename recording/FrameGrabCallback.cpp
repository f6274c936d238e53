#include "FrameGrabCallback.h"

#include <QPainter>
#include <QWidget>

FrameGrabCallback::FrameGrabCallback(QObject *parent)
    : QObject(parent)
{
    // One converter thread: frames must be shown in order, and the cap already bounds the work.
    m_converter.setMaxThreadCount(1);
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };
}

FrameGrabCallback::~FrameGrabCallback()
{
    {
        QMutexLocker locker(&m_mutex);
        m_pending = QVideoFrame();
    }
    m_converter.waitForDone();
}

void FrameGrabCallback::setFpsHint(int fps)
{
    QMutexLocker locker(&m_mutex);
    m_pacer.setCap(fps);
}

int FrameGrabCallback::fpsHint() const
{
    QMutexLocker locker(&m_mutex);
    return m_pacer.cap();
}

void FrameGrabCallback::setWidget(QWidget *widget)
{
    disconnect(m_widgetConnection);
    if (widget)
        m_widgetConnection = connect(this, &FrameGrabCallback::frameReady, widget, qOverload<>(&QWidget::update),
                                     Qt::QueuedConnection);
}

void FrameGrabCallback::setClock(Clock clock)
{
    QMutexLocker locker(&m_mutex);
    m_clock = std::move(clock);
    m_pacer.reset();
}

bool FrameGrabCallback::hasFrame() const
{
    QMutexLocker locker(&m_mutex);
    return !m_frame.isNull();
}

QImage FrameGrabCallback::frame() const
{
    QMutexLocker locker(&m_mutex);
    return m_frame;
}

QImage FrameGrabCallback::timedFrame(qint64 *startUs) const
{
    QMutexLocker locker(&m_mutex);
    *startUs = m_frameStartUs;
    return m_frame;
}

void FrameGrabCallback::clearFrame()
{
    QMutexLocker locker(&m_mutex);
    m_frame = QImage();
    m_frameStartUs = -1;
    m_pending = QVideoFrame();
    ++m_generation;
    m_pacer.reset();
}

void FrameGrabCallback::paint(QPainter *painter, int width, int height) const
{
    // A shared copy: the worker may replace the held frame while this one is drawn.
    const QImage image = frame();
    if (!image.isNull())
        painter->drawImage(QRect(0, 0, width, height), image);
}

void FrameGrabCallback::presentFrame(const QVideoFrame &frame)
{
    if (!frame.isValid())
        return;
    QMutexLocker locker(&m_mutex);
    if (!m_pacer.accept(m_clock()))
        return;
    // A frame still waiting for the converter is replaced: showing the newest matters more than showing all.
    m_pending = frame;
    m_pendingGeneration = m_generation;
    if (!m_converting) {
        m_converting = true;
        m_converter.start([this] { convertPending(); });
    }
}

void FrameGrabCallback::waitForConversions()
{
    m_converter.waitForDone();
}

void FrameGrabCallback::convertPending()
{
    for (;;) {
        QVideoFrame frame;
        quint64 generation = 0;
        {
            QMutexLocker locker(&m_mutex);
            if (!m_pending.isValid()) {
                m_converting = false;
                return;
            }
            frame = std::exchange(m_pending, QVideoFrame());
            generation = m_pendingGeneration;
        }
        // Converting here keeps that work off the GUI thread.
        QImage image = m_frameConverter.convert(frame);
        ++m_conversions;
        bool shown = false;
        {
            QMutexLocker locker(&m_mutex);
            if (generation == m_generation && !image.isNull()) {
                m_frame = std::move(image);
                m_frameStartUs = frame.startTime();
                shown = true;
            }
        }
        if (shown)
            Q_EMIT frameReady();
    }
}
