// The bytes a second copy of the program sends the running one, arriving in pieces as a local socket hands
// them over. The running copy takes the first whole message once its last byte is there, exactly the
// text that was sent; refuses a length over the cap as soon as the length is there; and otherwise waits.
// The first input byte is the size of the pieces (0: everything at once), the rest is what the peer sends.
#include "FuzzSupport.h"
#include "InstanceGuard.h"

#include <QtEndian>

namespace {

constexpr qint64 kHeaderBytes = sizeof(quint32);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype pieceSize = data[0];
    const QByteArray sent = FuzzSupport::bytesOf(data + 1, size - 1);
    // What a reader of the whole stream at once would find: the length the peer announced, if it got that far.
    const bool hasHeader = sent.size() >= kHeaderBytes;
    const quint32 announced = hasHeader ? qFromBigEndian<quint32>(sent.constData()) : 0;
    const bool tooLong = hasHeader && announced > quint32(InstanceGuard::kMaxMessageBytes);

    QByteArray received;
    qsizetype offset = 0;
    while (offset < sent.size()) {
        const qsizetype piece = pieceSize == 0 ? sent.size() : qMin<qsizetype>(pieceSize, sent.size() - offset);
        received.append(sent.mid(offset, piece));
        offset += piece;
        // The guard never looks further than one header and the longest message.
        const QByteArray looked = received.left(kHeaderBytes + InstanceGuard::kMaxMessageBytes);
        QString message;
        qint64 used = -1;
        const InstanceGuard::MessageParse parse = InstanceGuard::parseMessage(looked, &message, &used);
        if (received.size() < kHeaderBytes) {
            FUZZ_CHECK(parse == InstanceGuard::MessageParse::Incomplete, "a message was taken before its length came");
            continue;
        }
        if (tooLong) {
            FUZZ_CHECK(parse == InstanceGuard::MessageParse::Refused, "a length of %u was not refused", announced);
            return 0;
        }
        if (received.size() < kHeaderBytes + qint64(announced)) {
            FUZZ_CHECK(parse == InstanceGuard::MessageParse::Incomplete,
                       "a message of %u bytes was taken with only %lld received", announced,
                       static_cast<long long>(received.size() - kHeaderBytes));
            continue;
        }
        FUZZ_CHECK(parse == InstanceGuard::MessageParse::Complete, "a whole message of %u bytes was not taken",
                   announced);
        FUZZ_CHECK(used == kHeaderBytes + qint64(announced), "the message took %lld bytes, not %lld",
                   static_cast<long long>(used), static_cast<long long>(kHeaderBytes + announced));
        FUZZ_CHECK(message == QString::fromUtf8(sent.mid(kHeaderBytes, announced)),
                   "the message is not the text that was sent");
        // The connection ends with the first message; anything after it is never read.
        return 0;
    }
    return 0;
}
