#pragma once

#include <QLabel>
#include <QSize>

// The handle in the bottom-right corner of a panel (the grip's parent) that the user drags to resize it.
// It reports the size the drag asks for; the panel decides how it grows and keeps itself within its window.
// Near the corner the parent shows the resize cursor too, so the small handle is easy to find.
class ResizeGrip : public QLabel
{
    Q_OBJECT

public:
    // A pointer within this Manhattan distance of the parent's bottom-right corner shows the resize cursor:
    // a little more than the grip's own 20-pixel picture, without reaching the buttons beside it.
    static constexpr int kReach = 31;

    explicit ResizeGrip(QWidget *parent = nullptr);

    // Whether a point of a widget of that size lies within reach of its bottom-right corner.
    static bool withinReach(const QSize &size, const QPoint &point);

Q_SIGNALS:
    // The size the parent would have with its top-left corner kept and its bottom-right corner under the
    // pointer; a side is negative when the pointer has passed the parent's top or left edge.
    void resizeRequested(QSize size);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_dragging = false;
    // A press on the parent within reach keeps its resize cursor until the button is released.
    bool m_heldWithinReach = false;
};
