#pragma once

#include <QByteArray>

class MediaImpl;
class QIODevice;

// The XML information file of a media file: the user's texts, the duration, the type and the per-service
// upload state, under the root element "FileInformation".
class MediaInfoFile
{
public:
    // The whole document for the record; a record whose type is not known yet gets it computed and fixed.
    static QByteArray toXml(MediaImpl &record);
    // Applies the known elements of the document to the record, in document order, up to the end or to
    // the first fault; whatever was applied before a fault stays.
    static void read(QIODevice &device, MediaImpl &record);
};
