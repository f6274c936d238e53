#pragma once

#include <QList>
#include <QStringList>

// Which attached cameras are document cameras and which are web cams. USB video devices do not say
// which they are, so the choice goes by a list of document-camera ids, or without one by where the
// camera is plugged in.
class CameraRoles
{
public:
    struct Candidate
    {
        uint vendorId = 0;
        uint productId = 0;
        bool external = true;
        bool virtualCamera = false;
        // A virtual camera in the web-cam role.
        bool virtualWebCam = false;
    };

    // For each candidate, in order, whether it is a document camera. Virtual cameras always are, unless they
    // are virtual web cams, which never are. Of the others: with ids listed, exactly those listed; without,
    // one camera: the first external one, else the first built-in one. Everything else is a web cam.
    static QList<bool> assign(const QList<Candidate> &candidates, const QList<quint32> &docCamIds);
    // Entries "vvvv:pppp" in hexadecimal; malformed ones are left out.
    static QList<quint32> parseIds(const QStringList &entries);
    static quint32 idOf(uint vendorId, uint productId);
};
