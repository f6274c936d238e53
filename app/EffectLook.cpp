#include "EffectLook.h"

#include <QToolButton>
#include <QWidget>

namespace EffectLook {

void prepare(QWidget *widget, QToolButton *closeButton)
{
    widget->setAttribute(Qt::WA_TranslucentBackground);
    widget->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    widget->setMouseTracking(true);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->resize(kCloseButtonSize, kCloseButtonSize);
    closeButton->setStyleSheet(QStringLiteral("border:transparent;background-image:url(:/Image/pics/close.png)"));
}

qreal toggledOpacity(qreal opacity)
{
    return opacity >= 1.0 ? kFaintOpacity : 1.0;
}

} // namespace EffectLook
