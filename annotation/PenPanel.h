#pragma once

#include <QColor>
#include <QWidget>

class AnnotationIntf;
class ColorCube;
class QLabel;
class QSlider;

// Which of the annotation service's pens a pen panel reads and writes.
struct PenAccess
{
    int (AnnotationIntf::*width)();
    void (AnnotationIntf::*setWidth)(int);
    QColor (AnnotationIntf::*color)();
    void (AnnotationIntf::*setColor)(const QColor &);
};

// What the freehand, line and shape option panels share: a thickness slider, a transparency slider and a
// colour grid for one tool's pen. The panel reads the pen from the annotation service once, when it is made,
// and sends every change straight back; it keeps no settings of its own.
class PenPanel : public QWidget
{
    Q_OBJECT

public:
    // Transparency is a percentage (0 opaque, 100 invisible); alpha runs from 0 to 255. Both conversions
    // truncate, so they are not exact inverses.
    static int alphaForTransparency(int transparency);
    static int transparencyForAlpha(int alpha);

public Q_SLOTS:
    void thicknessChanged(int width);
    void opacityChanged(int transparency);
    void colorChanged(const QColor &color);

protected:
    struct Controls
    {
        QSlider *thickness;
        QLabel *thicknessLabel;
        QSlider *opacity;
        QLabel *opacityLabel;
        ColorCube *colors;
    };

    PenPanel(const PenAccess &access, QWidget *parent);
    // Shows the service's pen in the controls, then connects them, so loading sends nothing back.
    void bind(const Controls &controls);

private:
    void showThickness(int width);
    void showTransparency(int transparency);

    PenAccess m_access;
    Controls m_controls{};
};
