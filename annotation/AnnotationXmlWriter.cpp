#include "AnnotationXmlWriter.h"

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QPointF>
#include <QRectF>

namespace {

// Enough for sub-pixel positions on any canvas a screen can show, and what stored documents use.
constexpr int kSignificantDigits = 6;

QString orDefault(const QString &name, const char *fallback)
{
    return name.isEmpty() ? QString::fromLatin1(fallback) : name;
}

} // namespace

AnnotationXmlWriter::AnnotationXmlWriter(QIODevice *device)
    : QXmlStreamWriter(device)
{
    setAutoFormatting(true);
    writeStartDocument();
    writeStartElement(QStringLiteral("document"));
    writeAttribute(QStringLiteral("company"), QStringLiteral("Lumo"));
    writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
}

QString AnnotationXmlWriter::number(double value)
{
    return QString::number(value, 'g', kSignificantDigits);
}

bool AnnotationXmlWriter::brushStyleHasNoColor(Qt::BrushStyle style)
{
    return style == Qt::NoBrush || style == Qt::LinearGradientPattern || style == Qt::RadialGradientPattern
           || style == Qt::ConicalGradientPattern || style == Qt::TexturePattern;
}

void AnnotationXmlWriter::writeRect(const QRectF &rect, const QString &name)
{
    writeStartElement(orDefault(name, "rect"));
    writeAttribute(QStringLiteral("x"), number(rect.x()));
    writeAttribute(QStringLiteral("y"), number(rect.y()));
    writeAttribute(QStringLiteral("w"), number(rect.width()));
    writeAttribute(QStringLiteral("h"), number(rect.height()));
    writeEndElement();
}

void AnnotationXmlWriter::writePoint(const QPointF &point, const QString &name)
{
    writeStartElement(orDefault(name, "point"));
    writeAttribute(QStringLiteral("x"), number(point.x()));
    writeAttribute(QStringLiteral("y"), number(point.y()));
    writeEndElement();
}

void AnnotationXmlWriter::writeColor(const QColor &color, const QString &name)
{
    writeStartElement(orDefault(name, "color"));
    writeAttribute(QStringLiteral("r"), QString::number(color.red()));
    writeAttribute(QStringLiteral("g"), QString::number(color.green()));
    writeAttribute(QStringLiteral("b"), QString::number(color.blue()));
    writeAttribute(QStringLiteral("a"), QString::number(color.alpha()));
    writeEndElement();
}

void AnnotationXmlWriter::writePen(const QPen &pen, const QString &name)
{
    writeStartElement(orDefault(name, "pen"));
    writeAttribute(QStringLiteral("style"), QString::number(int(pen.style())));
    writeAttribute(QStringLiteral("width"), number(pen.widthF()));
    writeColor(pen.color());
    writeEndElement();
}

void AnnotationXmlWriter::writeBrush(const QBrush &brush, const QString &name)
{
    writeStartElement(orDefault(name, "brush"));
    writeAttribute(QStringLiteral("style"), QString::number(int(brush.style())));
    if (!brushStyleHasNoColor(brush.style()))
        writeColor(brush.color());
    writeEndElement();
}
