#pragma once

#include <QItemDelegate>

// The name editor of the media list: a line edit that keeps the entry's full path within the program's
// path limit, and none at all in a folder whose own path already exceeds it.
class MediaLibTableItemDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    // The longest path the media library creates by renaming (the file-transfer dialog's limit as well).
    static constexpr int kMaxPathLength = 240;

    explicit MediaLibTableItemDelegate(QObject *parent = nullptr);

    // The absolute path of the folder the list shows.
    void setFolderPath(const QString &path) { folderPath = path; }
    QString currentFolderPath() const { return folderPath; }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // The present name always fits, however deep the folder: the limit applies to what is typed beyond it.
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;

private:
    QString folderPath;
};
