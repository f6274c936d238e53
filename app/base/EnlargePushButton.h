#pragma once

#include <QPushButton>
#include <QSize>

class QEnterEvent;

// A push button whose icon grows slightly while the pointer is over it; painting is the push button's own.
class EnlargePushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit EnlargePushButton(QWidget *parent = nullptr);

    // Records the current icon size as the size outside hovering. Owners call it once their form has set
    // the icon size; until then the normal size is (-1, -1).
    void saveIconSize();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QSize m_normalIconSize{-1, -1};
};
