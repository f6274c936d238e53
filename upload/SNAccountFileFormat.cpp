#include "SNAccountFileFormat.h"

#include <QDataStream>
#include <QIODevice>

namespace {

const QByteArray kMagic = QByteArrayLiteral("SNAF");
constexpr auto kStreamVersion = QDataStream::Qt_6_4;

} // namespace

QByteArray SNAccountFileFormat::encode(const QList<SNAccountEntry> &entries)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out.writeRawData(kMagic.constData(), kMagic.size());
    out << kVersion << static_cast<quint32>(entries.size());
    for (const SNAccountEntry &entry : entries) {
        out << entry.service << entry.extra << entry.userName << entry.password << static_cast<quint8>(entry.kind)
            << entry.params;
    }
    return bytes;
}

SNAccountFileFormat::Decoded SNAccountFileFormat::decode(const QByteArray &bytes)
{
    Decoded result;
    if (!bytes.startsWith(kMagic))
        return result;
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    in.skipRawData(kMagic.size());
    quint16 version = 0;
    quint32 count = 0;
    in >> version >> count;
    if (in.status() != QDataStream::Ok || version != kVersion)
        return result;
    result.recognised = true;
    for (quint32 n = 0; n < count; ++n) {
        SNAccountEntry entry;
        quint8 kind = 0;
        in >> entry.service >> entry.extra >> entry.userName >> entry.password >> kind >> entry.params;
        if (in.status() != QDataStream::Ok || kind > SNAccountEntry::KIND_PENDING_GRANT)
            return result;
        entry.kind = static_cast<SNAccountEntry::Kind>(kind);
        result.entries.append(entry);
    }
    result.complete = in.atEnd();
    return result;
}
