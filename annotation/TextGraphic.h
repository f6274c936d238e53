#pragma once

#include "BaseGraphic.h"

#include <QGraphicsTextItem>

class QTextCharFormat;

// An editable rich-text label. The style setters act on the character format at the item's text
// cursor: on the selection, or on the text typed next when nothing is selected.
class TextGraphic : public QGraphicsTextItem, public BaseGraphic
{
    Q_OBJECT
public:
    static constexpr unsigned kCapabilities = 0xFBF8;

    explicit TextGraphic(QGraphicsItem *parent = nullptr);
    explicit TextGraphic(const QString &text, QGraphicsItem *parent = nullptr);
    // The copy shows the same text but is not editable.
    TextGraphic(const TextGraphic &other);

    int type() const override { return TYPE_TEXT; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    QFont font() const override { return QGraphicsTextItem::font(); }
    QColor textColor() const override;
    bool setFontFamily(const QString &family) override;
    bool setFontPointSize(double size) override;
    bool setTextColor(const QColor &color) override;
    bool setFontBold(bool on) override;
    bool setFontItalic(bool on) override;
    bool setFontUnderline(bool on) override;

signals:
    // Emitted with the item itself each time it loses the keyboard focus (it is then read-only).
    void lostFocus(QGraphicsTextItem &item);

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QTextCharFormat cursorFormat() const;
    // Applies format at the cursor; text that may change size announces the geometry change first.
    void applyFormat(const QTextCharFormat &format, bool changesGeometry);
};
