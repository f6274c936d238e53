#pragma once

#include <QSize>
#include <QWidget>

class FrameGrabCallback;

// Shows the played video: the newest frame stretched over the whole widget, black when there is none.
class VideoWidget : public QWidget
{
    Q_OBJECT

public:
    explicit VideoWidget(QWidget *parent = nullptr);
    ~VideoWidget() override;

    FrameGrabCallback *grabCallback() const;
    // The frame size of the attached video, replaced by the widget's own size on every resize.
    void setVideoSize(int width, int height);
    QSize videoSize() const;
    void clearFrame();
    void setFpsHint(int fps);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    FrameGrabCallback *m_callback;
    int m_storedWidth = 0;
    int m_storedHeight = 0;
};
