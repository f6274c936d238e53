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

void MediaLibTableItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        const int room = qMax(0, kMaxPathLength - int(folderPath.size()));
        line->setMaxLength(qMax(room, int(index.data(Qt::EditRole).toString().size())));
    }
    QItemDelegate::setEditorData(editor, index);
}
