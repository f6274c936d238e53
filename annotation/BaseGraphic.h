#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QString>
#include <QVector2D>

class AnnotationXmlReader;
class AnnotationXmlWriter;
class QGraphicsItem;
class QImage;
class QLineF;
class QPainter;
class QPoint;

// Which edits a graphic accepts. The editor, the tools and the document codec test these bits.
enum GraphicCapability : unsigned {
    CAP_PEN = 0x1,
    CAP_ANCHORS = 0x2,
    CAP_BRUSH = 0x4,
    CAP_OPACITY = 0x8,
    CAP_SCALE_X = 0x10,
    CAP_SCALE_Y = 0x20,
    CAP_ROTATE = 0x40,
    CAP_FLIP = 0x80,
    CAP_MIRROR = 0x100,
    CAP_TEXT = 0x200,
    CAP_SHAPE_KIND = 0x400,
    CAP_ZORDER = 0x800,
    CAP_RESERVED_1 = 0x1000,
    CAP_RESERVED_2 = 0x2000,
    CAP_CLONE = 0x4000,
    CAP_RESERVED_3 = 0x8000,
    CAP_REMOVAL_HOOK = 0x10000,
    CAP_PERSISTENT = 0x20000,
};

// Decorations at the ends of strokes and lines.
enum AnchorKind : int {
    ANCHOR_NONE = 0,
    ANCHOR_SQUARE = 1,
    ANCHOR_CIRCLE = 2,
    ANCHOR_DIAMOND = 3,
    ANCHOR_ARROW = 4,
};

// Item type codes of the graphics (QGraphicsItem::type()).
enum GraphicType : int {
    TYPE_LINE = 6,  // the Qt line item's own type
    TYPE_IMAGE = 7, // the Qt pixmap item's own type
    TYPE_SHAPE = 0x10001,
    TYPE_FREEHAND = 0x10002,
    TYPE_TEXT = 0x10004,
    TYPE_HILITER = 0x10005,
};

// Where the end decorations of one stroke piece sit and which way they point (out of the piece).
struct AnchorRecord
{
    QPointF startPoint;
    QVector2D startDirection;
    QPointF endPoint;
    QVector2D endDirection;
};

// The interface every canvas graphic carries beside its Qt item class: the capability mask, style and
// geometry operations with harmless defaults, scale/rotation/flip/mirror turned into the item
// transform, the end decorations, and the shared painting, copying and document helpers. Code holding a
// QGraphicsItem reaches it with dynamic_cast; a null result means "not a graphic".
class BaseGraphic
{
public:
    BaseGraphic(unsigned capabilities, QGraphicsItem *item);
    // Copies the graphic state of other for the new item (which is not drawing).
    BaseGraphic(const BaseGraphic &other, QGraphicsItem *item);
    virtual ~BaseGraphic();

    BaseGraphic &operator=(const BaseGraphic &) = delete;

    virtual QPen pen() const;
    virtual void setPen(const QPen &pen);
    virtual QBrush brush() const;
    virtual void setBrush(const QBrush &brush);
    // The decorations at the ends; only graphics with CAP_ANCHORS take them.
    void setStartAnchor(int kind);
    void setEndAnchor(int kind);
    virtual QFont font() const;
    virtual QColor textColor() const;
    // The font setters return true only when they changed something.
    virtual bool setFontFamily(const QString &family);
    virtual bool setFontPointSize(double size);
    virtual bool setTextColor(const QColor &color);
    virtual bool setFontBold(bool on);
    virtual bool setFontItalic(bool on);
    virtual bool setFontUnderline(bool on);
    virtual int shapeKind() const;
    virtual void setShapeKind(int kind);
    // factor is the new absolute scale, not a multiplier.
    virtual void scaleTo(double factor);
    virtual void rotateTo(double degrees);
    virtual void flip();
    virtual void mirror();
    virtual void beforeRemove();
    // The tools' contract: startDrawing once at the press (false: the graphic cannot start and is
    // dropped), continueDrawing for every move (true: taken), finishDrawing at the release.
    virtual bool startDrawing(const QPointF &scenePos);
    virtual bool continueDrawing(const QPointF &scenePos);
    virtual void finishDrawing();
    // The body of the graphic's document element; the base has none.
    virtual void writeXml(AnnotationXmlWriter &writer) const;
    virtual bool readXml(AnnotationXmlReader &reader);

    unsigned capabilities() const { return m_capabilities; }
    bool hasCapability(unsigned bits) const { return (m_capabilities & bits) != 0; }
    QGraphicsItem *graphicItem() const { return m_item; }
    int startAnchor() const { return m_startAnchor; }
    int endAnchor() const { return m_endAnchor; }
    double graphicScale() const { return m_scale; }
    double graphicRotation() const { return m_rotation; }
    bool isFlipped() const { return m_flipped; }
    bool isMirrored() const { return m_mirrored; }
    bool isDrawing() const { return m_drawing; }
    bool freeAspect() const { return m_freeAspect; }
    void setFreeAspect(bool free) { m_freeAspect = free; }
    const QList<AnchorRecord> &anchors() const { return m_anchors; }
    QString fileName(bool fullPath) const;
    QColor penColor() const;
    QColor brushColor() const;

    static Qt::PenCapStyle defaultCapStyle();

    void applyTransform();
    static QPainterPath anchorPath(double penWidth, int kind, const QPointF &point, const QVector2D &direction);
    void updateAnchorsFromLine(const QLineF &line);
    void updateAnchorsFromPath(const QPainterPath &path);
    // The same for a path that is one piece (a single move-to, at its start): only the elements near its
    // ends are read, so a stroke being drawn pays the same for its anchors at any length.
    void updateAnchorsFromOnePiece(const QPainterPath &path);
    void paintAnchors(QPainter *painter) const;
    // The bounding rect of every non-empty decoration, united with rect.
    QRectF unitedWithAnchors(const QRectF &rect, bool firstRecordOnly) const;
    void clipPainterToScene(QPainter *painter) const;
    void showContextMenu(const QPoint &screenPos) const;
    void copyItemState(const QGraphicsItem *source);
    static void copyImageToClipboard(const QImage &image);
    void copyPathToClipboard(const QPainterPath &path) const;

protected:
    // A new decoration kind changes the item's bounds: the item announces that before the change and
    // rebuilds what depends on the decorations after it. The defaults do nothing.
    virtual void anchorsAboutToChange();
    virtual void anchorsChanged();

    void writeItemAttributes(AnnotationXmlWriter &writer) const;
    bool readItemAttributes(AnnotationXmlReader &reader);
    void writeTransformAttributes(AnnotationXmlWriter &writer) const;
    bool readTransformAttributes(AnnotationXmlReader &reader);
    // The "path" element: count, bounding rect and one point per element, all on one line.
    static void writePathElement(AnnotationXmlWriter &writer, const QPainterPath &path);
    // Reads the points of a "path" element into a polyline (move to the first, lines to the others).
    static bool readPathElement(AnnotationXmlReader &reader, QPainterPath &path);

    unsigned m_capabilities;
    int m_startAnchor = ANCHOR_NONE;
    int m_endAnchor = ANCHOR_NONE;
    QString m_filePath;
    bool m_freeAspect = true;
    QGraphicsItem *m_item;
    double m_scale = 1.0;
    double m_rotation = 0.0;
    bool m_flipped = false;
    bool m_mirrored = false;
    bool m_drawing = false;
    QList<AnchorRecord> m_anchors;

private:
    void changeAnchor(int &anchor, int kind);
    bool usesAnchorAttributes() const;
    bool showsAnchorsFor(const QPainterPath &path) const;
};
