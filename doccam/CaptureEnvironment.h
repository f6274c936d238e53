#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

#include <functional>

class LumoVisionIntf;
class QScreen;

// What the capture service takes from its surroundings. The system's own is the default; a test puts its
// own pieces in before the service is created.
struct CaptureEnvironment
{
    // The document-camera service, one counted reference given back with its release().
    std::function<LumoVisionIntf *()> cameraService;
    // Free bytes on the volume of a folder (negative when unknown).
    std::function<qint64(const QString &folder)> freeSpace;
    std::function<bool(const QString &folder)> isWritable;
    // The picture of one screen; a null pixmap when the session does not let it be grabbed (Wayland).
    std::function<QPixmap(QScreen *screen)> grabScreen;
    // Plays the capture sound kept at the given path; empty: through the audio output.
    std::function<void(const QString &soundPath)> playSound;
    // Milliseconds in one second of a time-lapse interval.
    int msPerSecond = 1000;

    static CaptureEnvironment system();
};
