// The information file beside a media file: whatever its bytes, reading applies what it can and stops, and
// what was read survives being written and read back unchanged.
#include "FuzzSupport.h"
#include "MediaImpl.h"
#include "MediaInfoFile.h"

#include <QBuffer>

namespace {

QByteArray readInto(MediaImpl &record, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    MediaInfoFile::read(buffer, record);
    return MediaInfoFile::toXml(record);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The record's type comes from the file when the file has one, else from the name.
    MediaImpl record(QStringLiteral("/media/clip.avi"));
    const QByteArray written = readInto(record, FuzzSupport::bytesOf(data, size));
    MediaImpl again(QStringLiteral("/media/clip.avi"));
    const QByteArray rewritten = readInto(again, written);
    FUZZ_CHECK(written == rewritten, "the information file changed when read back:\n%s\n---\n%s",
               written.constData(), rewritten.constData());
    return 0;
}
