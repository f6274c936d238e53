#include "CameraFramePaintWatch.h"

#include "CameraWidget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

CameraFramePaintWatch::CameraFramePaintWatch(QObject *parent)
    : QObject(parent)
{
    qApp->installEventFilter(this);
}

CameraFramePaintWatch::~CameraFramePaintWatch()
{
    qApp->removeEventFilter(this);
}

bool CameraFramePaintWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_seen && event->type() == QEvent::Paint) {
        const auto *view = qobject_cast<CameraWidget *>(watched);
        if (view && !view->frame().getQImage().isNull()) {
            m_seen = true;
            qApp->removeEventFilter(this);
            // The filter runs before the view paints; the next turn of the loop comes after the paint and its
            // flush to the screen.
            QTimer::singleShot(0, this, &CameraFramePaintWatch::framePainted);
        }
    }
    return QObject::eventFilter(watched, event);
}
