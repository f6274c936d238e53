#include "ResizeGrip.h"

#include <QMouseEvent>

ResizeGrip::ResizeGrip(QWidget *parent)
    : QLabel(parent)
{
    setCursor(Qt::SizeAllCursor);
    // The parent's corner around the grip answers the pointer as well; that needs its moves without a button.
    if (parent) {
        parent->setMouseTracking(true);
        parent->installEventFilter(this);
    }
}

bool ResizeGrip::withinReach(const QSize &size, const QPoint &point)
{
    return QPoint(size.width() - point.x(), size.height() - point.y()).manhattanLength() < kReach;
}

bool ResizeGrip::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *parent = parentWidget();
    if (watched != parent)
        return QLabel::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *press = static_cast<QMouseEvent *>(event);
        if (press->buttons() & Qt::LeftButton) {
            m_heldWithinReach = withinReach(parent->size(), press->position().toPoint());
            parent->setCursor(m_heldWithinReach ? Qt::SizeAllCursor : Qt::ArrowCursor);
        }
        break;
    }
    case QEvent::MouseMove: {
        const auto *move = static_cast<QMouseEvent *>(event);
        const bool near = m_heldWithinReach || withinReach(parent->size(), move->position().toPoint());
        parent->setCursor(near ? Qt::SizeAllCursor : Qt::ArrowCursor);
        break;
    }
    case QEvent::MouseButtonRelease:
        parent->setCursor(Qt::ArrowCursor);
        m_heldWithinReach = false;
        break;
    default:
        break;
    }
    return QLabel::eventFilter(watched, event);
}

void ResizeGrip::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = true;
    event->accept();
}

void ResizeGrip::mouseMoveEvent(QMouseEvent *event)
{
    QWidget *parent = parentWidget();
    if (parent && m_dragging && (event->buttons() & Qt::LeftButton)) {
        const QPoint corner = parent->mapFromGlobal(event->globalPosition().toPoint());
        Q_EMIT resizeRequested(QSize(corner.x(), corner.y()));
    }
    event->accept();
}

void ResizeGrip::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    event->accept();
}
