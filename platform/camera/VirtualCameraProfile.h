#pragma once

#include "CameraCapabilities.h"
#include "CameraIdentity.h"

#include <QSize>

// What a virtual camera is: its identity, what it offers, the size of its stills and the role it takes.
struct VirtualCameraProfile
{
    static constexpr int PixelFormatRgb32 = 0x34424752; // 'RGB4'

    // A virtual document camera is always a document camera and a virtual web cam always a web cam, whatever
    // real cameras are attached and whichever ids the settings list.
    enum class Role { DocCam, WebCam };

    CameraIdentity identity{QStringLiteral("Quillo Virtual Camera"),        0x1d6b, 0x0102, QStringLiteral("virtual-1"),
                            DocCamFormat{PixelFormatRgb32, 1920, 1080, 30}, true};
    CameraCapabilities capabilities{CameraCapabilities::ControlAutoFocus, true, true, true, true, true, 1 | 2 | 4, true,
                                    0x01 | 0x04 | 0x08 | 0x10 | 0x20,     true, true};
    // Stills are taken at twice the live size in each direction, as a document camera's sensor allows.
    QSize stillSize{3840, 2160};
    Role role = Role::DocCam;

    // A web cam as a laptop has one: 720p, a name and ids of its own, and none of a document camera's
    // controls.
    static VirtualCameraProfile webCam()
    {
        VirtualCameraProfile profile;
        profile.identity = CameraIdentity{
            QStringLiteral("Quillo Virtual Web Cam"),      0x1d6b, 0x0103, QStringLiteral("virtual-webcam-1"),
            DocCamFormat{PixelFormatRgb32, 1280, 720, 30}, false};
        profile.capabilities = CameraCapabilities{};
        profile.stillSize = QSize(1280, 720);
        profile.role = Role::WebCam;
        return profile;
    }
};
