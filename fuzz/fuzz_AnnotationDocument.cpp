// An annotation document: whatever its bytes, reading it onto a canvas ends (with or without an error), the
// graphics it read can be drawn, and a canvas that read it whole saves a document that reads back whole.
#include "FuzzSupport.h"

#include "AnnotationXmlReader.h"
#include "AnnotationXmlWriter.h"
#include "Canvas.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace {

bool readDocument(Canvas &canvas, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    AnnotationXmlReader reader;
    return reader.open(&buffer) && canvas.readXml(reader);
}

QByteArray writeDocument(const Canvas &canvas)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    AnnotationXmlWriter writer(&buffer);
    canvas.writeXml(writer);
    writer.writeEndDocument();
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Canvas canvas;
    const bool whole = readDocument(canvas, FuzzSupport::bytesOf(data, size));

    // What was read is shown: draw it the way a view does, into a small picture.
    QImage picture(64, 48, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        canvas.render(&painter);
    }

    if (whole) {
        const QByteArray saved = writeDocument(canvas);
        Canvas again;
        FUZZ_CHECK(readDocument(again, saved), "a document read whole was saved unreadable:\n%s", saved.constData());
        FUZZ_CHECK(again.items().size() == canvas.items().size(), "the saved document holds %lld of %lld graphics",
                   qint64(again.items().size()), qint64(canvas.items().size()));
    }
    return 0;
}
