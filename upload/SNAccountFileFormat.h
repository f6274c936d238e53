#pragma once

#include "SNAccountEntry.h"

#include <QByteArray>
#include <QList>

// The deciphered content of the account file "SNAccountFile.dat": the magic "SNAF", a big-endian quint16
// format version (1), then a QDataStream of version Qt_6_4 holding a quint32 count and that many entries,
// each as service, extra, user name, password (QString), kind (quint8) and params (QMap<QString,QString>).
// Both directions are pure functions over bytes.
class SNAccountFileFormat
{
public:
    static constexpr quint16 kVersion = 1;

    struct Decoded
    {
        // The bytes start with the magic and a known version: the key was right.
        bool recognised = false;
        // Every announced entry was read whole; otherwise entries holds those read before the damage.
        bool complete = false;
        QList<SNAccountEntry> entries;
    };

    static QByteArray encode(const QList<SNAccountEntry> &entries);
    static Decoded decode(const QByteArray &bytes);
};
