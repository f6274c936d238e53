#pragma once

#include <QSize>
#include <QToolButton>

class QEnterEvent;

// A tool button whose icon grows while the pointer is over it. With text, the icon is centred above a
// text band at the bottom and grows about its own centre.
class EnlargeToolButton : public QToolButton
{
    Q_OBJECT
public:
    explicit EnlargeToolButton(QWidget *parent = nullptr);

    // Records the current icon size as the size outside hovering. Owners call it once their form has set
    // the icon size; until then the normal size is (-1, -1).
    void saveIconSize();
    // Takes back a hover enlargement, for buttons that move or hide on click and so never see the leave.
    void restoreIconSize();
    // The width the label takes in its band under the icon.
    int textWidth() const;

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QFont textFont() const;

    QSize m_normalIconSize{-1, -1};
};
