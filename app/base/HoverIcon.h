#pragma once

#include <QSize>

class QAbstractButton;

// The icon size change shared by the buttons whose icon grows while hovered.
class HoverIcon
{
public:
    // Gives an enabled button the icon size and repaints it at once, so the change shows before the next
    // event; a disabled button keeps its size.
    static void resize(QAbstractButton *button, QSize iconSize);
    // Gives the button its normal icon size back, enabled or not: a button disabled under the pointer must
    // not keep the enlargement after the pointer has left it.
    static void restore(QAbstractButton *button, QSize normalIconSize);
};
