#include "PenPanel.h"

#include "AnnotationImpl.h"
#include "ColorCube.h"

#include <QLabel>
#include <QSlider>

namespace {
constexpr int kOpaque = 255;
constexpr int kFullTransparency = 100;
} // namespace

PenPanel::PenPanel(const PenAccess &access, QWidget *parent)
    : QWidget(parent, Qt::WindowFlags())
    , m_access(access)
{
}

int PenPanel::alphaForTransparency(int transparency)
{
    return kOpaque - (transparency * kOpaque) / kFullTransparency;
}

int PenPanel::transparencyForAlpha(int alpha)
{
    return kFullTransparency - (alpha * kFullTransparency) / kOpaque;
}

void PenPanel::bind(const Controls &controls)
{
    m_controls = controls;
    if (AnnotationIntf *service = AnnotationImpl::getInstance()) {
        const int width = (service->*m_access.width)();
        controls.thickness->setValue(width);
        showThickness(width);
        const QColor color = (service->*m_access.color)();
        const int transparency = transparencyForAlpha(color.alpha());
        controls.opacity->setValue(transparency);
        showTransparency(transparency);
        controls.colors->setCurrentColor(color);
    }
    connect(controls.thickness, &QSlider::valueChanged, this, &PenPanel::thicknessChanged);
    connect(controls.opacity, &QSlider::valueChanged, this, &PenPanel::opacityChanged);
    connect(controls.colors, &ColorCube::colorChanged, this, &PenPanel::colorChanged);
}

void PenPanel::showThickness(int width)
{
    m_controls.thicknessLabel->setText(tr(" %1 px").arg(width));
}

void PenPanel::showTransparency(int transparency)
{
    m_controls.opacityLabel->setText(QStringLiteral(" %1 %").arg(transparency));
}

void PenPanel::thicknessChanged(int width)
{
    showThickness(width);
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        (service->*m_access.setWidth)(width);
}

void PenPanel::opacityChanged(int transparency)
{
    showTransparency(transparency);
    if (AnnotationIntf *service = AnnotationImpl::getInstance()) {
        QColor color = m_controls.colors->currentColor();
        color.setAlpha(alphaForTransparency(transparency));
        (service->*m_access.setColor)(color);
    }
}

void PenPanel::colorChanged(const QColor &color)
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance()) {
        QColor withAlpha = color;
        withAlpha.setAlpha(alphaForTransparency(m_controls.opacity->value()));
        (service->*m_access.setColor)(withAlpha);
    }
}
