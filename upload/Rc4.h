#pragma once

#include <QByteArray>

// The RC4 stream cipher: the standard key schedule, no bytes dropped. Enciphering and deciphering are the
// same operation. It hides the account file from a casual look; the file's mode is what protects it.
class Rc4
{
public:
    // An empty key is replaced by a fixed one (the key schedule divides by the key's length); only the first
    // 256 bytes of a longer key count.
    static QByteArray transform(const QByteArray &key, const QByteArray &data);
};
