#include "MediaLibTableItemDelegate.h"

#include <QLineEdit>

MediaLibTableItemDelegate::MediaLibTableItemDelegate(QObject *parent)
    : QItemDelegate(parent)
{
}

QWidget *MediaLibTableItemDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                                 const QModelIndex &) const
{
    if (folderPath.size() > kMaxPathLength)
        return nullptr;
    auto *editor = new QLineEdit(parent);
    editor->setMaxLength(kMaxPathLength - int(folderPath.size()));
    return editor;
}
