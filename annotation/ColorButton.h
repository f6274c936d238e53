#pragma once

#include <QColor>
#include <QToolButton>

// A swatch of one colour that offers that colour when clicked.
class ColorButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ColorButton(QWidget *parent = nullptr);

    QColor color() const;
    // Takes the colour; the owner repaints when it wants the change seen at once.
    void setColor(const QColor &color);

public Q_SLOTS:
    void beClicked();

Q_SIGNALS:
    void clickToGetColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};
