#include "VisorWidget.h"

#include "EffectLook.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

VisorWidget::VisorWidget(QWidget *parent)
    : QWidget(parent)
    , m_menuButton(new QToolButton(this))
    , m_closeButton(new QToolButton(this))
    , m_menu(new QMenu(this))
    , m_saveAction(new QAction(tr("Save"), this))
    , m_transparentAction(new QAction(tr("Transparent"), this))
{
    EffectLook::prepare(this, m_closeButton);
    m_menuButton->setVisible(false);
    m_menuButton->setMenu(m_menu);
    m_saveAction->setCheckable(true);
    m_transparentAction->setCheckable(true);
    m_menu->addAction(m_transparentAction);
    m_menu->addSeparator();
    m_menu->addAction(m_saveAction);

    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::hide);
    connect(m_closeButton, &QToolButton::clicked, this, &VisorWidget::visorClose);
    connect(m_saveAction, &QAction::triggered, this, &VisorWidget::preserveProperty);
    connect(m_transparentAction, &QAction::triggered, this, &VisorWidget::setOpacity90);
}

VisorWidget::~VisorWidget() = default;

void VisorWidget::preserveProperty()
{
    m_preserve = !m_preserve;
    Q_EMIT saveVisorProperty(m_shade.drawnOffset(), m_preserve, opacityPercent());
}

void VisorWidget::setOpacity90()
{
    m_opacity = EffectLook::toggledOpacity(m_opacity);
    if (!m_preserve)
        Q_EMIT saveVisorProperty(m_shade.drawnOffset(), false, opacityPercent());
    update();
}

void VisorWidget::setNewMask()
{
    setMask(QRegion(shadeRect().toAlignedRect()));
}

void VisorWidget::mousePressEvent(QMouseEvent *event)
{
    clearMask();
    setCursor(Qt::ClosedHandCursor);
    m_shade.press(event->globalPosition(), shadeRect().size());
}

void VisorWidget::mouseMoveEvent(QMouseEvent *event)
{
    setCursor(Qt::OpenHandCursor);
    if (m_shade.isDragging()) {
        setCursor(Qt::ClosedHandCursor);
        if (m_shade.move(event->globalPosition()))
            update();
    } else if (m_shade.isOnCloseButton(event->position().toPoint(), shadeWidth())) {
        setCursor(Qt::ArrowCursor);
    }
}

void VisorWidget::mouseReleaseEvent(QMouseEvent *event)
{
    setCursor(Qt::OpenHandCursor);
    m_shade.release();
    if (!m_preserve)
        Q_EMIT saveVisorProperty(m_shade.drawnOffset(), false, opacityPercent());
    update();
}

void VisorWidget::paintEvent(QPaintEvent *event)
{
    if (m_firstPaintPending) {
        clearMask();
        m_shade.reset();
        m_opacity = 1.0;
        m_saveAction->setChecked(false);
        m_transparentAction->setChecked(false);
        m_firstPaintPending = false;
    }
    placeCloseButton();

    QPainter painter(this);
    painter.setOpacity(m_opacity);
    painter.fillRect(shadeRect(), EffectLook::kShadeColour);
}

QRectF VisorWidget::shadeRect() const
{
    return {m_shade.drawnOffset(), QSizeF(shadeWidth(), height())};
}

int VisorWidget::opacityPercent() const
{
    return int(100 * m_opacity);
}

void VisorWidget::placeCloseButton()
{
    const QPointF origin = m_shade.closeButtonOrigin(shadeWidth());
    m_closeButton->setGeometry(int(origin.x()), int(origin.y()), EffectLook::kCloseButtonSize,
                               EffectLook::kCloseButtonSize);
    m_closeButton->setVisible(true);
}
