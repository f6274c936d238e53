#pragma once

#include <QColor>
#include <QWidget>

#include <memory>

namespace Ui {
class ColorCube;
}

// The colour grid of the annotation option panels: a "Color" caption over a swatch of the current colour
// and nine preset colours; a click on a preset makes it current.
class ColorCube : public QWidget
{
    Q_OBJECT

public:
    explicit ColorCube(QWidget *parent = nullptr);
    ~ColorCube() override;

    // Invalid until a colour has been set, although the swatch shows red from the start.
    QColor currentColor() const;

public Q_SLOTS:
    // Announces the colour only when it differs from the current one.
    void setCurrentColor(const QColor &color);

Q_SIGNALS:
    void colorChanged(const QColor &color);

private:
    std::unique_ptr<Ui::ColorCube> ui;
    QColor m_currentColor;
};
