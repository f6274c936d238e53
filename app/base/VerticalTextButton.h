#pragma once

#include <QFrame>
#include <QRect>
#include <QString>

// A text tab that emits clicked() on any mouse release and can paint its text turned by 90 degrees, for
// the main window's side tabs. Only the text is painted: the frame itself is left to the style sheet.
class VerticalTextButton : public QFrame
{
    Q_OBJECT
public:
    explicit VerticalTextButton(QWidget *parent = nullptr);

    // None of the setters repaints; the owner sets all three and then updates or moves the tab.
    void setText(const QString &text);
    void setVertical(bool vertical);
    // Horizontal text is drawn into this rectangle; vertical text only takes its size (see paintEvent).
    void setTextRect(const QRect &rect);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    bool m_vertical = false;
    QRect m_textRect;
};
