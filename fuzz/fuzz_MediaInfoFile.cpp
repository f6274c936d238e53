// The information file beside a media file. Read from any bytes, it applies what it can and stops, and what
// was read survives being written and read back unchanged. Written from any texts a user may type (the same
// bytes taken as the title, author, description and keywords), it reads back with every text kept.
#include "FuzzSupport.h"
#include "MediaImpl.h"
#include "MediaInfoFile.h"

#include <QBuffer>

namespace {

const QString kPath = QStringLiteral("/media/clip.avi");

void readInto(MediaImpl &record, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    MediaInfoFile::read(buffer, record);
}

void readBack(const QByteArray &bytes)
{
    MediaImpl record(kPath);
    readInto(record, bytes);
    const QByteArray written = MediaInfoFile::toXml(record);
    MediaImpl again(kPath);
    readInto(again, written);
    const QByteArray rewritten = MediaInfoFile::toXml(again);
    FUZZ_CHECK(written == rewritten, "the information file changed when read back:\n%s\n---\n%s", written.constData(),
               rewritten.constData());
}

void writeTexts(const QByteArray &bytes)
{
    // Four texts separated by NUL, which no user can type.
    const QList<QByteArray> parts = bytes.split('\0');
    const auto part = [&parts](int i) { return i < parts.size() ? QString::fromUtf8(parts.at(i)) : QString(); };
    MediaImpl record(kPath);
    record.setTitle(part(0));
    record.setAuthor(part(1));
    record.setDescription(part(2));
    record.setKeywords(part(3));
    const QByteArray written = MediaInfoFile::toXml(record);
    MediaImpl read(kPath);
    readInto(read, written);
    // What XML cannot hold at all (control characters other than tab and line ends) the writer leaves out.
    const auto storable = [](QString text) {
        text.removeIf([](QChar c) {
            return (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
                   || c.unicode() == 0xfffe || c.unicode() == 0xffff;
        });
        return text;
    };
    record.setTitle(storable(record.title()));
    record.setAuthor(storable(record.author()));
    record.setDescription(storable(record.description()));
    record.setKeywords(storable(record.keywords().join(QLatin1Char(','))));
    FUZZ_CHECK(read.title() == record.title() && read.author() == record.author()
                   && read.description() == record.description() && read.keywords() == record.keywords(),
               "texts were lost or changed on the way through the file:\n%s", written.constData());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytesOf(data, size);
    readBack(bytes);
    writeTexts(bytes);
    return 0;
}
