#pragma once

#include <QXmlStreamReader>

class QBrush;
class QColor;
class QPen;
class QPointF;
class QRectF;

// Reads an annotation document: checks the root, then offers the value encodings that the canvas and
// the graphics read their elements with. Every failure raises the reader's error, which is the only
// report of what went wrong.
class AnnotationXmlReader : public QXmlStreamReader
{
public:
    AnnotationXmlReader() = default;

    // Checks the "document" root and stands on its first child element.
    bool open(QIODevice *device);

    bool readDouble(const QString &attribute, double &value);
    bool readInt(const QString &attribute, int &value);
    bool readPoint(QPointF &point, const QString &name = QString());
    bool readRect(QRectF &rect, const QString &name = QString());
    bool readColor(QColor &color, const QString &name = QString());
    // These two read the current element when the reader already stands on one.
    bool readBrush(QBrush &brush, const QString &name = QString());
    bool readPen(QPen &pen, const QString &name = QString());

    // Advances to the next start element and checks its name; raises the corrupt-data error otherwise.
    bool enterElement(const QString &name);
    void raiseCorruptData();

    static QString invalidFormatText();
    static QString corruptDataText();

private:
    bool enterOrStay(const QString &name);
};
