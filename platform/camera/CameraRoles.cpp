#include "CameraRoles.h"

quint32 CameraRoles::idOf(uint vendorId, uint productId)
{
    return ((vendorId & 0xFFFFu) << 16) | (productId & 0xFFFFu);
}

QList<quint32> CameraRoles::parseIds(const QStringList &entries)
{
    QList<quint32> ids;
    for (const QString &entry : entries) {
        const QStringList parts = entry.trimmed().split(QLatin1Char(':'));
        if (parts.size() != 2)
            continue;
        bool vendorOk = false;
        bool productOk = false;
        const uint vendor = parts[0].toUInt(&vendorOk, 16);
        const uint product = parts[1].toUInt(&productOk, 16);
        if (vendorOk && productOk && vendor <= 0xFFFF && product <= 0xFFFF)
            ids.append(idOf(vendor, product));
    }
    return ids;
}

QList<bool> CameraRoles::assign(const QList<Candidate> &candidates, const QList<quint32> &docCamIds)
{
    QList<bool> docCam(candidates.size(), false);
    qsizetype chosen = -1;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const Candidate &c = candidates[i];
        if (c.virtualCamera) {
            docCam[i] = !c.virtualWebCam;
        } else if (!docCamIds.isEmpty()) {
            docCam[i] = docCamIds.contains(idOf(c.vendorId, c.productId));
        } else if (chosen < 0 || (c.external && !candidates[chosen].external)) {
            chosen = i;
        }
    }
    if (chosen >= 0)
        docCam[chosen] = true;
    return docCam;
}
