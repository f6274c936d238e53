#pragma once

#include <QObject>

// Tells once when a camera view of the application first paints a camera picture (not its status text or
// its connecting bar): the moment a user first sees the live camera.
class CameraFramePaintWatch : public QObject
{
    Q_OBJECT

public:
    // Watches every widget of the application until the first camera picture is painted.
    explicit CameraFramePaintWatch(QObject *parent = nullptr);
    ~CameraFramePaintWatch() override;

Q_SIGNALS:
    // Emitted once, after the paint of the first camera picture is done.
    void framePainted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_seen = false;
};
