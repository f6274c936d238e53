#include "ColorCube.h"

#include "ColorButton.h"
#include "ui_ColorCube.h"

ColorCube::ColorCube(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::ColorCube>())
{
    ui->setupUi(this);
    const struct
    {
        ColorButton *button;
        QColor color;
    } presets[] = {
        {ui->redBtn, QColor(255, 0, 0)},        {ui->lightGreenBtn, QColor(3, 231, 0)},
        {ui->orangeBtn, QColor(255, 128, 0)},   {ui->yellowBtn, QColor(255, 239, 70)},
        {ui->skyBlueBtn, QColor(1, 131, 255)},  {ui->greenBtn, QColor(18, 121, 17)},
        {ui->darkBlueBtn, QColor(0, 25, 255)},  {ui->brownBtn, QColor(175, 125, 69)},
        {ui->peachRedBtn, QColor(255, 0, 253)},
    };
    for (const auto &preset : presets) {
        preset.button->setColor(preset.color);
        connect(preset.button, &ColorButton::clickToGetColor, this, &ColorCube::setCurrentColor);
    }
    ui->curColorBtn->setColor(QColor(255, 0, 0));
}

ColorCube::~ColorCube() = default;

QColor ColorCube::currentColor() const
{
    return m_currentColor;
}

void ColorCube::setCurrentColor(const QColor &color)
{
    if (color == m_currentColor)
        return;
    m_currentColor = color;
    ui->curColorBtn->setColor(color);
    ui->curColorBtn->repaint();
    emit colorChanged(color);
}
