#include "DocCamIdsSetting.h"

#include "DocCamManager.h"
#include "SettingImpl.h"

namespace {

const QString kDocCamIdsKey = QStringLiteral("camera/docCamIds");

} // namespace

QMap<QString, QString> DocCamIdsSetting::managerOptions()
{
    SettingIntf *settings = SettingImpl::getInstance();
    const QStringList ids = settings->value(kDocCamIdsKey).toStringList();
    settings->release();
    if (ids.isEmpty())
        return {};
    return {{DocCamManager::kDocCamIdsOption, ids.join(QLatin1Char(','))}};
}
