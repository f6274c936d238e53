#pragma once

#include "SNAccountStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The account store kept in one file, enciphered with RC4 under a key made from the user and the machine
// (AccountFileKey). Every change rewrites the file atomically with mode 0600 in a folder of mode 0700.
// A file the key does not open is tried with the fallback keys (the machine's other network interfaces,
// the plain rule); one that opens is written again under the key. A file that no key opens, or that is
// damaged, is moved aside as "<name>.unreadable" (never over an earlier one) and never overwritten.
class RC4SimpleSNAccountFileStore : public SNAccountStore
{
public:
    RC4SimpleSNAccountFileStore(const QString &path, const QByteArray &key);

    void setFallbackKeys(const QList<QByteArray> &keys) { m_fallbackKeys = keys; }
    QString path() const { return m_path; }

    // True when the file was read or does not exist yet; false when it could not be read (it is then set
    // aside and the store starts from what could be recovered, or empty).
    bool load() override;

protected:
    void save() override;

private:
    void setAside();

    QString m_path;
    QByteArray m_key;
    QList<QByteArray> m_fallbackKeys;
    // Set when an unreadable file could not be moved aside: it must not be written over.
    bool m_writeBlocked = false;
};
