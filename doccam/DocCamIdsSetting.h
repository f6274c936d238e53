#pragma once

#include <QMap>
#include <QString>

// The setting "camera/docCamIds" lists the USB ids of the document cameras as "vvvv:pppp" entries. The
// camera layer cannot read settings itself, so its holders hand the list over when they get the camera
// manager: both camera services create it, and whichever runs first fixes the roles.
class DocCamIdsSetting
{
public:
    // The options for DocCamManager::getDocCamManager; empty when the setting lists no id.
    static QMap<QString, QString> managerOptions();
};
