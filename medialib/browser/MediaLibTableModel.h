#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

class MediaImpl;
class MediaLibraryImpl;

// The rows of the media list: one media record each, shown as name, type, date, size, an info icon and a
// video's duration. Size, date and duration are worked out when a cell is first shown and kept in the
// record. Editing a name renames the file through the media store; clicks become requests to the
// media-library service.
//
// Each row owns one reference on its record: removing the row (removeRows, clear, the model's end) gives
// it back. Whoever keeps a record longer than the row takes a reference of its own.
class MediaLibTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        ColumnName = 0,
        ColumnType = 1,
        ColumnDate = 2,
        ColumnSize = 3,
        ColumnInfo = 4,
        ColumnDuration = 5,
        ColumnCount = 6
    };
    // The duration column's milliseconds as far as they are known, 0 while not: what the sort reads. It never
    // measures a video (a media graph built on the GUI thread for each one); the thumbnail run measures them,
    // and reloadVideoRecords brings the results in.
    static constexpr int KnownDurationRole = Qt::UserRole + 1;

    explicit MediaLibTableModel(MediaLibraryImpl *owner, QObject *parent = nullptr);
    ~MediaLibTableModel() override;

    // The records in row order; the row keeps its reference.
    QList<MediaImpl *> mediaList() const { return m_records; }
    void clear();
    // Appends rows for the records in one insertion; each row takes a reference of its own.
    void appendRecords(const QList<MediaImpl *> &records);
    // Fills an empty model with the paths that exist, skipping files that are neither image nor video.
    void loadFiles(const QList<QString> &paths);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The list view starts its drags itself: no drag data here.
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool insertRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // "2047Bytes", "2KB", "1,234,567KB": the texts the list's sort order reads back.
    static QString sizeText(qint64 bytes);
    // "hh:mm:ss"; empty from 24 hours on.
    static QString durationText(qint64 milliseconds);

Q_SIGNALS:
    void fileDoesNotExist(QString path);

public Q_SLOTS:
    void doubleClickedOnMediaLib(const QModelIndex &index);
    void clickedOnInfoCol(const QModelIndex &index);
    void deleteInfoCol(const QModelIndex &index);
    void reloadMediaObj();
    // Reads the information files of the video rows again (a thumbnail run has stored their lengths) and
    // reports their cells changed, so a sort by duration puts them in their places.
    void reloadVideoRecords();

private:
    MediaImpl *recordAt(const QModelIndex &index) const;
    QString nameOf(MediaImpl *record, int role) const;
    qint64 durationOf(MediaImpl *record) const;
    qint64 knownDuration(MediaImpl *record) const;
    bool isDriveRootFolder(MediaImpl *record) const;

    QList<MediaImpl *> m_records;
    MediaLibraryImpl *m_owner;
    // Folders known to be (or not be) drive roots: asking the mount table on every paint would cost.
    mutable QHash<QString, bool> m_driveRoots;
    // Videos whose information file the sort has read for a duration: it is read once, not per comparison.
    mutable QSet<QString> m_durationsLookedUp;
};
