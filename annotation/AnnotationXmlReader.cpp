#include "AnnotationXmlReader.h"

#include "AnnotationXmlWriter.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QPen>
#include <QPointF>
#include <QRectF>

namespace {

QString orDefault(const QString &name, const char *fallback)
{
    return name.isEmpty() ? QString::fromLatin1(fallback) : name;
}

} // namespace

QString AnnotationXmlReader::invalidFormatText()
{
    return QCoreApplication::translate("QObject", "Unable to read due to invalid format.");
}

QString AnnotationXmlReader::corruptDataText()
{
    return QCoreApplication::translate("QObject", "Unable to read corrupt data.");
}

void AnnotationXmlReader::raiseCorruptData()
{
    raiseError(corruptDataText());
}

bool AnnotationXmlReader::open(QIODevice *device)
{
    setDevice(device);
    if (!readNextStartElement())
        return !hasError();
    const QXmlStreamAttributes attrs = attributes();
    if (name() == QLatin1String("document") && attrs.value(QLatin1String("company")) == QLatin1String("Lumo")
        && attrs.value(QLatin1String("version")) == QLatin1String("1.0"))
        readNextStartElement();
    else
        raiseError(invalidFormatText());
    return !hasError();
}

bool AnnotationXmlReader::readDouble(const QString &attribute, double &value)
{
    value = 0;
    const QStringView text = attributes().value(attribute);
    if (text.isEmpty())
        raiseCorruptData();
    else
        value = text.toDouble();
    return !hasError();
}

bool AnnotationXmlReader::readInt(const QString &attribute, int &value)
{
    value = 0;
    const QStringView text = attributes().value(attribute);
    if (text.isEmpty())
        raiseCorruptData();
    else
        value = text.toInt(nullptr, 10);
    return !hasError();
}

bool AnnotationXmlReader::enterElement(const QString &name)
{
    if (!readNextStartElement() || this->name() != name) {
        raiseCorruptData();
        return false;
    }
    return true;
}

bool AnnotationXmlReader::enterOrStay(const QString &name)
{
    if (isStartElement()) {
        if (this->name() != name) {
            raiseCorruptData();
            return false;
        }
        return true;
    }
    return enterElement(name);
}

bool AnnotationXmlReader::readPoint(QPointF &point, const QString &name)
{
    if (!enterElement(orDefault(name, "point")))
        return false;
    double x = 0;
    double y = 0;
    if (!readDouble(QStringLiteral("x"), x) || !readDouble(QStringLiteral("y"), y))
        return false;
    point = QPointF(x, y);
    skipCurrentElement();
    return true;
}

bool AnnotationXmlReader::readRect(QRectF &rect, const QString &name)
{
    if (!enterElement(orDefault(name, "rect")))
        return false;
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
    if (!readDouble(QStringLiteral("x"), x) || !readDouble(QStringLiteral("y"), y)
        || !readDouble(QStringLiteral("w"), w) || !readDouble(QStringLiteral("h"), h))
        return false;
    rect = QRectF(x, y, w, h);
    skipCurrentElement();
    return true;
}

bool AnnotationXmlReader::readColor(QColor &color, const QString &name)
{
    if (!enterElement(orDefault(name, "color")))
        return false;
    int r = 0;
    int g = 0;
    int b = 0;
    int a = 0;
    if (!readInt(QStringLiteral("r"), r) || !readInt(QStringLiteral("g"), g) || !readInt(QStringLiteral("b"), b)
        || !readInt(QStringLiteral("a"), a))
        return false;
    color = QColor(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255), qBound(0, a, 255));
    skipCurrentElement();
    return true;
}

bool AnnotationXmlReader::readBrush(QBrush &brush, const QString &name)
{
    if (!enterOrStay(orDefault(name, "brush")))
        return false;
    int style = 0;
    if (!readInt(QStringLiteral("style"), style))
        return false;
    // A number that names no brush style is damage, not a style.
    if (style < Qt::NoBrush || style > Qt::TexturePattern) {
        raiseCorruptData();
        return false;
    }
    if (style == Qt::NoBrush) {
        brush = QBrush(Qt::NoBrush);
    } else {
        // Only solid fills are drawn; the stored style says no more than "filled".
        QColor color;
        if (!AnnotationXmlWriter::brushStyleHasNoColor(Qt::BrushStyle(style)) && !readColor(color))
            return false;
        brush = QBrush(color, Qt::SolidPattern);
    }
    skipCurrentElement();
    return true;
}

bool AnnotationXmlReader::readPen(QPen &pen, const QString &name)
{
    if (!enterOrStay(orDefault(name, "pen")))
        return false;
    int style = 0;
    double width = 0;
    QColor color;
    if (!readInt(QStringLiteral("style"), style) || !readDouble(QStringLiteral("width"), width) || !readColor(color))
        return false;
    if (style < Qt::NoPen || style > Qt::CustomDashLine) {
        raiseCorruptData();
        return false;
    }
    pen = QPen(QBrush(color, Qt::SolidPattern), width, Qt::PenStyle(style), Qt::RoundCap, Qt::RoundJoin);
    skipCurrentElement();
    return true;
}
