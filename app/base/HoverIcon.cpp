#include "HoverIcon.h"

#include <QAbstractButton>

void HoverIcon::resize(QAbstractButton *button, QSize iconSize)
{
    if (!button->isEnabled())
        return;
    button->setIconSize(iconSize);
    button->repaint();
}

void HoverIcon::restore(QAbstractButton *button, QSize normalIconSize)
{
    if (button->iconSize() == normalIconSize)
        return;
    button->setIconSize(normalIconSize);
    button->repaint();
}
