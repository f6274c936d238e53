#include "SpotlightWidget.h"

#include "EffectLook.h"

#include <QActionGroup>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolButton>

namespace {

const QColor kOutlineColour(63, 72, 204, 255);
using EffectLook::kCloseButtonSize;
// Around the close button the arrow cursor shows one pixel further than the button reaches.
constexpr int kCloseCorner = kCloseButtonSize + 1;

} // namespace

SpotlightWidget::SpotlightWidget(QWidget *parent)
    : QWidget(parent)
    , m_menuButton(new QToolButton(this))
    , m_closeButton(new QToolButton(this))
    , m_menu(new QMenu(this))
    , m_saveAction(new QAction(tr("Save"), this))
    , m_triangleAction(new QAction(tr("Triangle"), this))
    , m_rectangleAction(new QAction(tr("Rectangle"), this))
    , m_circleAction(new QAction(tr("Circle"), this))
    , m_transparentAction(new QAction(tr("Transparent"), this))
    , m_shapeGroup(new QActionGroup(this))
{
    EffectLook::prepare(this, m_closeButton);
    m_menuButton->setVisible(false);
    m_menuButton->setMenu(m_menu);
    for (QAction *action : {m_saveAction, m_triangleAction, m_rectangleAction, m_circleAction, m_transparentAction})
        action->setCheckable(true);
    m_shapeGroup->addAction(m_triangleAction);
    m_shapeGroup->addAction(m_rectangleAction);
    m_shapeGroup->addAction(m_circleAction);
    m_shapeGroup->setExclusive(true);
    m_menu->addAction(m_triangleAction);
    m_menu->addAction(m_rectangleAction);
    m_menu->addAction(m_circleAction);
    m_menu->addSeparator();
    m_menu->addAction(m_transparentAction);
    m_menu->addSeparator();
    m_menu->addAction(m_saveAction);

    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::hide);
    connect(m_closeButton, &QToolButton::clicked, this, &SpotlightWidget::spotClose);
    connect(m_saveAction, &QAction::triggered, this, &SpotlightWidget::preserveProperty);
    connect(m_triangleAction, &QAction::triggered, this, &SpotlightWidget::setTriangleShape);
    connect(m_rectangleAction, &QAction::triggered, this, &SpotlightWidget::setRectangleShape);
    connect(m_circleAction, &QAction::triggered, this, &SpotlightWidget::setCircleShape);
    connect(m_transparentAction, &QAction::triggered, this, &SpotlightWidget::setOpacity90);

    // A click on it must not take the keyboard from the picture beneath.
    m_closeButton->setFocusPolicy(Qt::NoFocus);
}

SpotlightWidget::~SpotlightWidget() = default;

void SpotlightWidget::preserveProperty()
{
    m_locked = !m_locked;
}

void SpotlightWidget::setTriangleShape()
{
    setShape(SpotlightIntf::TRIANGLE);
    update();
}

void SpotlightWidget::setRectangleShape()
{
    setShape(SpotlightIntf::RECTANGLE);
    update();
}

void SpotlightWidget::setCircleShape()
{
    setShape(SpotlightIntf::CIRCLE);
    update();
}

void SpotlightWidget::setOpacity90()
{
    m_opacity = EffectLook::toggledOpacity(m_opacity);
    update();
}

void SpotlightWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    // With a stretch chosen the cursor keeps its stretch arrows.
    if (!m_horizontalResize && !m_verticalResize) {
        m_pressPos = event->position();
        setCursor(Qt::ClosedHandCursor);
        update();
    }
}

void SpotlightWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_pressed) {
        hover(pos);
        return;
    }
    if (m_horizontalResize) {
        m_hole.stretchTo(pos, Qt::Horizontal);
    } else if (m_verticalResize) {
        m_hole.stretchTo(pos, Qt::Vertical);
    } else {
        setCursor(Qt::ClosedHandCursor);
        m_hole.moveBy(event->position() - m_pressPos);
        m_pressPos = event->position();
    }
    update();
}

void SpotlightWidget::mouseReleaseEvent(QMouseEvent *event)
{
    setCursor(Qt::OpenHandCursor);
    m_horizontalResize = false;
    m_verticalResize = false;
    m_pressed = false;
    update();
}

void SpotlightWidget::paintEvent(QPaintEvent *event)
{
    if (m_firstPaintPending) {
        m_hole.centreIn(size());
        setShape(SpotlightIntf::CIRCLE);
        m_transparentAction->setChecked(false);
        m_saveAction->setChecked(false);
        m_firstPaintPending = false;
    }

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen;
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setColor(kOutlineColour);
    pen.setWidth(SpotlightHole::kOutlineWidth);
    painter.setOpacity(m_opacity);
    painter.setPen(pen);

    QPainterPath shade;
    shade.addRect(rect());
    painter.fillPath(shade.subtracted(m_hole.path()), EffectLook::kShadeColour);
    m_hole.drawOutline(painter);

    m_closeButton->setGeometry(width() - kCloseButtonSize, 0, kCloseButtonSize, kCloseButtonSize);
    m_closeButton->setVisible(true);
}

void SpotlightWidget::resizeEvent(QResizeEvent *event)
{
    m_hole.followResize(event->size(), event->oldSize());
    update();
}

void SpotlightWidget::setShape(SpotlightIntf::SHAPE shape)
{
    m_hole.setShape(shape);
    switch (shape) {
    case SpotlightIntf::CIRCLE:
        m_circleAction->setChecked(true);
        break;
    case SpotlightIntf::TRIANGLE:
        m_triangleAction->setChecked(true);
        break;
    case SpotlightIntf::RECTANGLE:
        m_rectangleAction->setChecked(true);
        break;
    }
}

void SpotlightWidget::hover(QPoint pos)
{
    const SpotlightHole::Zone zone = m_hole.zoneAt(pos);
    m_horizontalResize = zone == SpotlightHole::Zone::Horizontal;
    m_verticalResize = zone == SpotlightHole::Zone::Vertical;
    if (m_horizontalResize)
        setCursor(Qt::SizeHorCursor);
    else if (m_verticalResize)
        setCursor(Qt::SizeVerCursor);
    else if (pos.x() >= width() - kCloseCorner && pos.y() <= kCloseCorner)
        setCursor(Qt::ArrowCursor);
    else
        setCursor(Qt::OpenHandCursor);
}
