#include "TextGraphic.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QTextCharFormat>
#include <QTextCursor>

namespace {

// Qt's relative comparison: equal when the difference is at most 1e-12 of the smaller magnitude.
bool samePointSize(double a, double b)
{
    return qAbs(a - b) <= 1e-12 * qMin(qAbs(a), qAbs(b));
}

} // namespace

TextGraphic::TextGraphic(QGraphicsItem *parent)
    : TextGraphic(QString(), parent)
{
}

TextGraphic::TextGraphic(const QString &text, QGraphicsItem *parent)
    : QGraphicsTextItem(text, parent)
    , BaseGraphic(kCapabilities, this)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
    setTextInteractionFlags(Qt::TextEditorInteraction);
}

TextGraphic::TextGraphic(const TextGraphic &other)
    : QGraphicsTextItem(other.parentItem())
    , BaseGraphic(other, this)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
    if (other.type() == TYPE_TEXT) {
        copyItemState(&other);
        setDefaultTextColor(other.defaultTextColor());
        setHtml(other.toHtml());
    }
}

void TextGraphic::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    clipPainterToScene(painter);
    QGraphicsTextItem::paint(painter, option, widget);
}

void TextGraphic::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    showContextMenu(event->screenPos());
    event->accept();
}

void TextGraphic::focusOutEvent(QFocusEvent *event)
{
    setTextInteractionFlags(Qt::NoTextInteraction);
    emit lostFocus(*this);
    QGraphicsTextItem::focusOutEvent(event);
}

QTextCharFormat TextGraphic::cursorFormat() const
{
    return textCursor().charFormat();
}

void TextGraphic::applyFormat(const QTextCharFormat &format, bool changesGeometry)
{
    QTextCursor cursor = textCursor();
    if (changesGeometry)
        prepareGeometryChange();
    cursor.beginEditBlock();
    cursor.setCharFormat(format);
    cursor.endEditBlock();
    setTextCursor(cursor);
}

QColor TextGraphic::textColor() const
{
    return cursorFormat().foreground().color();
}

bool TextGraphic::setFontFamily(const QString &family)
{
    QTextCharFormat format = cursorFormat();
    if (!hasCapability(CAP_TEXT) || format.fontFamilies().toStringList().value(0) == family)
        return false;
    format.setFontFamilies({family});
    applyFormat(format, true);
    return true;
}

bool TextGraphic::setFontPointSize(double size)
{
    QTextCharFormat format = cursorFormat();
    if (!hasCapability(CAP_TEXT) || samePointSize(size, format.fontPointSize()))
        return false;
    format.setFontPointSize(size);
    applyFormat(format, true);
    return true;
}

bool TextGraphic::setTextColor(const QColor &color)
{
    QTextCharFormat format = cursorFormat();
    if (!hasCapability(CAP_TEXT) || format.foreground().color() == color)
        return false;
    format.setForeground(QBrush(color, Qt::SolidPattern));
    applyFormat(format, false);
    return true;
}

bool TextGraphic::setFontBold(bool on)
{
    QTextCharFormat format = cursorFormat();
    // A format without a weight reads as normal.
    const int weight = on ? QFont::Bold : QFont::Normal;
    if (!hasCapability(CAP_TEXT) || format.fontWeight() == weight)
        return false;
    if (on)
        format.setFontWeight(QFont::Bold);
    else
        format.clearProperty(QTextFormat::FontWeight);
    applyFormat(format, true);
    return true;
}

bool TextGraphic::setFontItalic(bool on)
{
    QTextCharFormat format = cursorFormat();
    if (!hasCapability(CAP_TEXT) || format.fontItalic() == on)
        return false;
    format.setFontItalic(on);
    applyFormat(format, true);
    return true;
}

bool TextGraphic::setFontUnderline(bool on)
{
    QTextCharFormat format = cursorFormat();
    const QTextCharFormat::UnderlineStyle style = on ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline;
    if (!hasCapability(CAP_TEXT) || format.underlineStyle() == style)
        return false;
    format.setUnderlineStyle(style);
    applyFormat(format, true);
    return true;
}
