#pragma once

#include "CameraCapabilities.h"
#include "CameraIdentity.h"

#include <QSize>

// What a virtual camera is: its identity, what it offers and the size of its stills.
struct VirtualCameraProfile
{
    static constexpr int PixelFormatRgb32 = 0x34424752; // 'RGB4'

    CameraIdentity identity{QStringLiteral("Quillo Virtual Camera"), 0x1d6b, 0x0102, QStringLiteral("virtual-1"),
                            DocCamFormat{PixelFormatRgb32, 1920, 1080, 30}, true};
    CameraCapabilities capabilities{CameraCapabilities::ControlAutoFocus,
                                    true,
                                    true,
                                    true,
                                    true,
                                    true,
                                    1 | 2 | 4,
                                    true,
                                    0x01 | 0x04 | 0x08 | 0x10 | 0x20,
                                    true,
                                    true};
    // Stills are taken at twice the live size in each direction, as a document camera's sensor allows.
    QSize stillSize{3840, 2160};
};
