#pragma once

#include "DocCamFormat.h"

#include <QString>

// What tells one attached camera from another, and what its role is chosen by.
struct CameraIdentity
{
    QString name;
    uint vendorId = 0;
    uint productId = 0;
    // Stable per port while the device stays plugged in.
    QString locationId;
    DocCamFormat format;
    // Plugged into a port that is not marked as fixed: an external USB camera, not one built into the
    // machine.
    bool external = true;
};
