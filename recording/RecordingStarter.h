#pragma once

#include "ui_RecordingStarter.h"

#include <QWidget>

// The overlay that counts down 3, 2, 1 before a recording starts. It answers once through
// startRecording: true when the count ran out, false when Escape, Alt+F4 or a close cancelled it; then
// it hides and deletes itself.
class RecordingStarter : public QWidget, private Ui::RecordingStarter
{
    Q_OBJECT

public:
    RecordingStarter(QWidget *parent, bool fixedBackground, int width, int height);

    void setGeometry(const QRect &rect);
    void setGeometry(int x, int y, int w, int h);
    void start();

Q_SIGNALS:
    void startRecording(bool start);

public Q_SLOTS:
    void timeout();
    void quilloMoved(const QPoint &position);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void finish(bool start);

    int count = 3;
    bool fixedBackground;
    // The answer has been given; a step already queued must not give another.
    bool finished = false;
};
