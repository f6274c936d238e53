#include "HoverIcon.h"

#include <QAbstractButton>

void HoverIcon::resize(QAbstractButton *button, QSize iconSize)
{
    if (!button->isEnabled())
        return;
    button->setIconSize(iconSize);
    button->repaint();
}
