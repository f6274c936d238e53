#pragma once

#include <QXmlStreamWriter>

class QBrush;
class QColor;
class QPen;
class QPointF;
class QRectF;

// Writes an annotation document: the declaration and the "document" root on construction, then the
// value encodings that the canvas and the graphics use for their elements. The caller closes the root
// (writeEndDocument) after the canvas has written itself.
class AnnotationXmlWriter : public QXmlStreamWriter
{
public:
    explicit AnnotationXmlWriter(QIODevice *device);

    // Numbers are written with six significant digits.
    static QString number(double value);

    // An empty name selects the encoding's own element name ("rect", "point", "color", "pen", "brush").
    void writeRect(const QRectF &rect, const QString &name = QString());
    void writePoint(const QPointF &point, const QString &name = QString());
    void writeColor(const QColor &color, const QString &name = QString());
    void writePen(const QPen &pen, const QString &name = QString());
    void writeBrush(const QBrush &brush, const QString &name = QString());

    // True for the brush styles stored without a colour (none, the gradients, a texture).
    static bool brushStyleHasNoColor(Qt::BrushStyle style);
};
