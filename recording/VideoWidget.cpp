#include "VideoWidget.h"

#include "FrameGrabCallback.h"
#include "VideoLog.h"

#include <QLinearGradient>
#include <QPainter>
#include <QResizeEvent>

namespace {
// Frames shown per second at most: enough for recordings of the desktop, and it bounds the conversion work.
constexpr int kDefaultFpsCap = 20;
} // namespace

VideoWidget::VideoWidget(QWidget *parent)
    : QWidget(parent)
    , m_callback(new FrameGrabCallback)
{
    videoLog(LogSystem::LOG_INFO, "VideoWidget::VideoWidget()");
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
    QPalette black = palette();
    black.setBrush(QPalette::All, QPalette::Window, QBrush(Qt::black));
    setPalette(black);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    m_callback->setWidget(this);
    m_callback->setFpsHint(kDefaultFpsCap);
}

VideoWidget::~VideoWidget()
{
    videoLog(LogSystem::LOG_INFO, "VideoWidget::~VideoWidget()");
    m_callback->setWidget(nullptr);
    m_callback->deleteLater();
}

FrameGrabCallback *VideoWidget::grabCallback() const
{
    return m_callback;
}

void VideoWidget::setVideoSize(int width, int height)
{
    m_storedWidth = width;
    m_storedHeight = height;
}

QSize VideoWidget::videoSize() const
{
    return QSize(m_storedWidth, m_storedHeight);
}

void VideoWidget::clearFrame()
{
    m_callback->clearFrame();
    update();
}

void VideoWidget::setFpsHint(int fps)
{
    videoLog(LogSystem::LOG_WARNING, "VideoWidget::setFpsHint() - fps : %d", fps);
    m_callback->setFpsHint(fps);
}

void VideoWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_callback->hasFrame()) {
        videoLog(LogSystem::LOG_INFO, "VideoWidget::paintEvent() - surface not active");
        painter.fillRect(rect(), palette().brush(QPalette::Window));
        return;
    }
    // The frame is stretched over the whole widget: behind an opaque one the backdrop would never show.
    if (m_callback->frame().hasAlphaChannel()) {
        QLinearGradient gradient(width() / 2, 0, width() / 2, height());
        gradient.setColorAt(0, Qt::black);
        gradient.setColorAt(1, QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f));
        painter.fillRect(rect(), gradient);
    }
    m_callback->paint(&painter, width(), height());
}

void VideoWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_storedWidth = event->size().width();
    m_storedHeight = event->size().height();
}
