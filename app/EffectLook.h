#pragma once

#include <QColor>

class QToolButton;
class QWidget;

// What the visor and the spotlight share in looks and make-up: both are see-through layers over the main
// window's central area that paint a grey shade and carry a small close button.
namespace EffectLook {

inline const QColor kShadeColour(127, 127, 127, 255);
// The faint setting of "Transparent": the picture shows through almost fully while the shade stays visible.
constexpr qreal kFaintOpacity = 0.1;
// The close button's side, in pixels, the size of its image.
constexpr int kCloseButtonSize = 16;

// Makes the widget a layer that shows its parent wherever it paints nothing and follows the pointer
// without a button held, and gives the close button its size and image.
void prepare(QWidget *widget, QToolButton *closeButton);
// The opacity that a toggle between opaque and faint gives.
qreal toggledOpacity(qreal opacity);

} // namespace EffectLook
