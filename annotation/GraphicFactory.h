#pragma once

class QGraphicsItem;

// The one place that knows every graphic class by its item type: the copies made by clone and by a
// graphic copying its children, and the empty graphics a document is read into.
class GraphicFactory
{
public:
    // The copy of a graphic by its own class; null for a class that cannot be copied (also for an item
    // that only carries a graphic's type code) and when memory runs out.
    static QGraphicsItem *copy(QGraphicsItem *item);
    // An empty graphic of a type that documents store, ready to read its element into; null for any
    // other type (pictures and texts are not stored).
    static QGraphicsItem *createStored(int type);
};
