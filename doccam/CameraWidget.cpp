#include "CameraWidget.h"

#include "CameraCodes.h"
#include "CameraThrottleController.h"
#include "CameraWidgetDelegate.h"
#include "WebCamLog.h"
#include "ui_CameraInitBar.h"

#include <QGridLayout>
#include <QLinearGradient>
#include <QPainter>

namespace {

// The status text grows with the view: 40 points at 640 pixels wide.
constexpr int kStatusPointsPer640 = 40;

} // namespace

CameraWidget::CameraWidget(CameraThrottleController *throttle, QWidget *parent)
    : QWidget(parent)
    , m_statusText(tr("Camera not connected"))
    , m_initBar(new QWidget(this))
    , m_throttle(throttle)
{
    auto *layout = new QGridLayout(this);
    Ui_CameraInitBar form;
    form.setupUi(m_initBar);
    layout->addWidget(m_initBar);
    m_initBar->hide();
}

CameraWidget::~CameraWidget() = default;

void CameraWidget::setMirrorWidget(CameraWidget *mirror)
{
    m_mirrorWidget = mirror;
}

void CameraWidget::setDelegate(CameraWidgetDelegate *delegate)
{
    m_delegate = delegate;
}

void CameraWidget::setInitializing(bool initializing)
{
    m_initializing = initializing;
    m_initBar->setVisible(initializing && m_frame.getQImage().isNull());
    update();
}

void CameraWidget::setStatusText(const QString &text)
{
    m_statusText = text;
    update();
}

void CameraWidget::computeTargetRect()
{
    QSize size = m_frame.getQImage().size();
    size.scale(this->size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(rect().center());
    m_targetRect = target;
}

void CameraWidget::oneFrameFetched(DocCamStream *stream, const CameraImage &image)
{
    const CameraImage previous = m_frame;
    const QSize oldSize = previous.getQImage().size();
    const QImage newImage = image.getQImage();
    const QSize newSize = newImage.size();
    m_frame = image;

    if (!newImage.isNull()) {
        if (m_initializing)
            setInitializing(false);
        if (previous.getQImage().isNull() && m_delegate)
            m_delegate->firstFrameArrived(this);
    }

    QSize scaled = newSize;
    scaled.scale(oldSize, Qt::KeepAspectRatio);
    if (scaled != oldSize) {
        webCamLog(LogSystem::LOG_DEBUG, "CameraWidget::oneFrameFetched - Different aspect ratio: origin(%f), new(%f)",
                  double(oldSize.width()) / oldSize.height(), double(scaled.width()) / scaled.height());
        computeTargetRect();
        update();
    } else if (oldSize.isEmpty()) {
        computeTargetRect();
        update();
    } else if (newImage.isNull()) {
        // The picture went away: the whole view shows the status again, not only where the picture was.
        update();
    }
    update(m_targetRect);

    if (m_mirrorWidget && m_mirrorWidget != this)
        m_mirrorWidget->oneFrameFetched(stream, CameraImage(m_frame));
}

void CameraWidget::streamStopped(DocCamStream *stream, int code)
{
    if (code == CameraCodes::DeviceGone)
        setStatusText(tr("Camera not connected"));
    m_frame = CameraImage();
    update();
    if (m_mirrorWidget && m_mirrorWidget != this)
        m_mirrorWidget->streamStopped(stream, code);
}

void CameraWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    computeTargetRect();
}

void CameraWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(painter.renderHints() | QPainter::SmoothPixmapTransform);
    const QImage image = m_frame.getQImage();
    if (image.isNull()) {
        const int halfWidth = width() / 2;
        QLinearGradient gradient(halfWidth, 0, halfWidth, height());
        gradient.setColorAt(0.0, QColor::fromRgbF(1.0, 1.0, 1.0, 1.0));
        gradient.setColorAt(1.0, QColor::fromRgbF(0.8, 0.8, 0.8, 1.0));
        painter.fillRect(rect(), gradient);
        if (!m_initializing) {
            painter.setPen(QColor::fromRgbF(0.75, 0.75, 0.75, 1.0));
            painter.setFont(QFont(QStringLiteral("Calibri"), kStatusPointsPer640 * width() / 640));
            painter.drawText(rect(), Qt::AlignCenter, m_statusText);
        }
    } else {
        painter.drawImage(QRectF(m_targetRect), image, QRectF(0, 0, image.width(), image.height()));
    }
    if (m_throttle)
        m_throttle->requestNextFrame(this);
    painter.end();
}
