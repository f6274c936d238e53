#pragma once

#include <QMutex>
#include <QWidget>

class QGridLayout;
class QScrollBar;

// The frame around the thumbnail view: a viewport and two scroll bars of its own. The view does not
// scroll itself; it lays its tiles out from an offset, which this frame relays from its bars, and it
// dictates the bars' ranges. The content is not owned: it outlives the frame.
class MediaLibScrollArea : public QWidget
{
    Q_OBJECT

public:
    // Codes of lastError(); a code stays until another failure replaces it.
    enum Error {
        NoError = 0,
        VisibilityNotChanged = 1,
        RangeNotSet = 2,
        PageStepNotSet = 3,
        ValueNotSet = 4,
        NoSuchBar = 5,
        NoViewport = 6,
        UnknownSender = 7,
    };
    // Delay before sizeChanged: a burst of resizes while the window is dragged settles into one report.
    static constexpr int kSizeReportDelayMs = 10;

    explicit MediaLibScrollArea(QWidget *parent = nullptr);
    ~MediaLibScrollArea() override;

    // Puts w into the viewport (not owned). Always true.
    bool setWidget(QWidget *w);
    QWidget *contentWidget() const { return widget; }
    bool setScrollBarValue(int value, Qt::Orientation o);
    // Shown bars are enabled and hidden ones disabled; a hidden bar leaves the layout and goes back to 0.
    bool setScrollBarVisible(bool visible, Qt::Orientation o);
    QScrollBar *scrollBar(Qt::Orientation o);
    // Replaces the bar of o (deleting the old one); refuses null and a bar of the other orientation.
    bool setScrollBar(QScrollBar *bar, Qt::Orientation o);
    int lastError() const { return m_lastError; }
    QWidget *viewportWidget() const { return viewport; }
    // The height of one line of the content (a row of tiles): a wheel notch anywhere over the frame moves
    // the vertical bar by QApplication::wheelScrollLines() lines. 0, the default, leaves the wheel to the
    // bar, whose line is its single step.
    void setWheelLineHeight(int pixels) { m_wheelLineHeight = pixels; }
    int wheelLineHeight() const { return m_wheelLineHeight; }

Q_SIGNALS:
    void sizeChanged(QSize size);
    void scrollBarValueChanged(int value, Qt::Orientation o);

public Q_SLOTS:
    // Hides the bar for an empty range (max not above min, or min negative; false), otherwise shows it with
    // the range, a page of one viewport and the same relative position as before.
    bool setScrollBarRange(int min, int max, Qt::Orientation o);
    void emitScrollBarValueChanged(int value);
    void emitSizeChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QScrollBar *barOf(Qt::Orientation o) const;
    void placeBar(QScrollBar *bar, Qt::Orientation o);
    // Scrolls by whole notches of the wheel; false when the wheel is left to the bar.
    bool scrollByWheel(QWheelEvent *event);

    QGridLayout *layout = nullptr;
    QScrollBar *verticalBar = nullptr;
    QScrollBar *horizontalBar = nullptr;
    QWidget *viewport = nullptr;
    QWidget *widget = nullptr;
    QMutex mutex;
    int m_lastError = NoError;
    int m_wheelLineHeight = 0;
    // What a high-resolution wheel turned short of a whole notch, kept for its next turn.
    int m_wheelAngle = 0;
};
