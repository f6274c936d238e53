#pragma once

#include "DocCamFormat.h"

#include <QImage>
#include <QList>
#include <QString>

// The device-independent pieces of the V4L2 backend: error codes, format choice, control scaling,
// pixel conversion and what sysfs tells about a device.
class V4l2Support
{
public:
    struct FormatOffer
    {
        quint32 pixelFormat;
        int width;
        int height;
        int framesPerSecond;
    };
    struct ControlRange
    {
        int minimum;
        int maximum;
        int step;
    };
    struct UsbInfo
    {
        uint vendorId = 0;
        uint productId = 0;
        bool external = true;
        // The USB device's place on the bus, "1-2.3".
        QString port;
    };

    // The CameraCodes value for an errno left by a failed call.
    static int codeForErrno(int error);
    // The format to stream in; width 0 when nothing usable is offered.
    static DocCamFormat chooseFormat(const QList<FormatOffer> &offers);
    // A level in [low, high] as a device value in the control's range (on its step grid), and back.
    static int toDevice(double level, double low, double high, const ControlRange &range);
    static double fromDevice(int value, double low, double high, const ControlRange &range);
    // One YUYV (4:2:2) frame as RGB32; a null image when the data is too short for the size.
    static QImage yuyvToRgb32(const uchar *data, qsizetype length, int width, int height, int bytesPerLine);
    // sysfsRoot is normally "/sys"; node the device's name, "video0".
    static UsbInfo readUsbInfo(const QString &sysfsRoot, const QString &node);
};
