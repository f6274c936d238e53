#pragma once

#include <QtGlobal>

// A capture format as the device delivers it, before any rotation: the four-character pixel code, the size
// and the frame rate.
struct DocCamFormat
{
    int pixelFormat = 0;
    int width = 0;
    int height = 0;
    int framesPerSecond = 0;

    bool operator==(const DocCamFormat &other) const = default;
};
