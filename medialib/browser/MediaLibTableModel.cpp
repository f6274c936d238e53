#include "MediaLibTableModel.h"

#include "DriveRoot.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibraryImpl.h"
#include "OsHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QTime>

#include <utility>

namespace {

// A duration of 0 or 1 ms means "not known yet"; 1 is what a thumbnail run stores for a video whose length
// it could not learn, and 2 what the list stores once it could not measure it either.
constexpr qint64 kDurationUnknown = 1;
constexpr qint64 kDurationUnmeasurable = 2;
constexpr qint64 kSizeUnknown = -1;

QDateTime creationTime(const QString &path)
{
    const QFileInfo info(path);
    // Not every file system keeps a birth time.
    const QDateTime born = info.birthTime();
    return born.isValid() ? born : info.lastModified();
}

// A fresh record of the path with what its information file says; the caller releases it.
MediaImpl *recordFromInfoFile(const QString &path)
{
    auto *record = new MediaImpl(path);
    MediaFileStore::getInstance()->readInfo(record);
    return record;
}

} // namespace

MediaLibTableModel::MediaLibTableModel(MediaLibraryImpl *owner, QObject *parent)
    : QAbstractTableModel(parent)
    , m_owner(owner)
{
}

MediaLibTableModel::~MediaLibTableModel()
{
    for (MediaImpl *record : std::as_const(m_records))
        record->release();
}

void MediaLibTableModel::clear()
{
    if (m_records.isEmpty())
        return;
    // All rows in one step: taking them one by one from the front moves the rest each time, seconds for a
    // folder of tens of thousands.
    beginRemoveRows(QModelIndex(), 0, int(m_records.size()) - 1);
    const QList<MediaImpl *> gone = std::exchange(m_records, {});
    for (MediaImpl *record : gone)
        record->release();
    endRemoveRows();
}

void MediaLibTableModel::appendRecords(const QList<MediaImpl *> &records)
{
    if (records.isEmpty())
        return;
    const int first = int(m_records.size());
    beginInsertRows(QModelIndex(), first, first + int(records.size()) - 1);
    m_records.reserve(first + records.size());
    for (MediaImpl *record : records) {
        record->addRef();
        m_records.append(record);
    }
    endInsertRows();
}

int MediaLibTableModel::rowCount(const QModelIndex &) const
{
    return int(m_records.size());
}

int MediaLibTableModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

MediaImpl *MediaLibTableModel::recordAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_records.size())
        return nullptr;
    return m_records.at(index.row());
}

QString MediaLibTableModel::sizeText(qint64 bytes)
{
    const qint64 kilobytes = bytes / 1024;
    if (kilobytes > 1) {
        QString digits = QString::number(kilobytes);
        for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
            digits.insert(at, QLatin1Char(','));
        return digits + QStringLiteral("KB");
    }
    return QString::number(bytes) + QStringLiteral("Bytes");
}

QString MediaLibTableModel::durationText(qint64 milliseconds)
{
    const int hours = int(milliseconds / 3600000);
    const int minutes = int((milliseconds / 60000) % 60);
    const int seconds = int((milliseconds / 1000) % 60);
    // A day or more is no time of day: the text stays empty, as it always did.
    return QTime(hours, minutes, seconds).toString(QStringLiteral("hh:mm:ss"));
}

bool MediaLibTableModel::isDriveRootFolder(MediaImpl *record) const
{
    if (record->mediaType() != MediaImpl::TYPE_FOLDER)
        return false;
    const QString path = record->path();
    auto known = m_driveRoots.constFind(path);
    if (known == m_driveRoots.constEnd())
        known = m_driveRoots.insert(path, isDriveRoot(path));
    return known.value();
}

QString MediaLibTableModel::nameOf(MediaImpl *record, int role) const
{
    const QString path = record->path();
    if (isDriveRootFolder(record))
        return driveRootName(path);
    // The record's type stands for "a folder exists there": it was taken from the disk when the row was
    // listed, and the sort asks for every row's name many times over.
    if (record->mediaType() == MediaImpl::TYPE_FOLDER)
        return QDir(path).dirName();
    // Cut from the path rather than through QFileInfo: the sort asks for every name many times over.
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (role != Qt::EditRole)
        return fileName;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 ? fileName.left(dot) : fileName;
}

qint64 MediaLibTableModel::durationOf(MediaImpl *record) const
{
    if (record->duration() > kDurationUnknown)
        return record->duration();
    MediaImpl *stored = recordFromInfoFile(record->path());
    const qint64 storedDuration = stored->duration();
    if (storedDuration > kDurationUnknown) {
        stored->release();
        return storedDuration;
    }
    qint64 measured = mediaDuration(record->path());
    if (measured == 0 && storedDuration == kDurationUnknown)
        measured = kDurationUnmeasurable;
    if (measured != 0) {
        // The row's record may never have read its information file (a search result): the measurement is
        // written into what the file holds, so titles, keywords and upload state stay as they are.
        stored->setDuration(measured);
        MediaFileStore::getInstance()->writeInfo(stored);
        record->setDuration(measured);
    }
    stored->release();
    return measured;
}

qint64 MediaLibTableModel::knownDuration(MediaImpl *record) const
{
    if (record->duration() <= kDurationUnknown && !m_durationsLookedUp.contains(record->path())) {
        m_durationsLookedUp.insert(record->path());
        MediaImpl *stored = recordFromInfoFile(record->path());
        if (stored->duration() > kDurationUnknown)
            record->setDuration(stored->duration());
        stored->release();
    }
    return record->duration() > kDurationUnknown ? record->duration() : 0;
}

QVariant MediaLibTableModel::data(const QModelIndex &index, int role) const
{
    MediaImpl *record = recordAt(index);
    if (!record)
        return QVariant();
    const int type = record->mediaType();
    if (role == KnownDurationRole) {
        if (index.column() != ColumnDuration || type != MediaImpl::TYPE_VIDEO)
            return QVariant();
        return knownDuration(record);
    }
    if (role == Qt::DecorationRole) {
        if (index.column() == ColumnInfo && type != MediaImpl::TYPE_FOLDER)
            return QIcon(QStringLiteral(":/Image/pics/info.png"));
        return QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();

    switch (index.column()) {
    case ColumnName:
        return nameOf(record, role);
    case ColumnType:
        switch (type) {
        case MediaImpl::TYPE_IMAGE:
            return QStringLiteral("Image");
        case MediaImpl::TYPE_VIDEO:
            return QStringLiteral("Video");
        case MediaImpl::TYPE_FOLDER:
            return QStringLiteral("Folder");
        default:
            return type;
        }
    case ColumnDate:
        if (record->lastModified().isNull())
            record->setLastModified(creationTime(record->path()));
        return record->lastModified();
    case ColumnSize:
        if (type == MediaImpl::TYPE_FOLDER)
            return QVariant();
        if (record->size() == kSizeUnknown)
            record->setSize(QFileInfo(record->path()).size());
        return sizeText(record->size());
    case ColumnDuration:
        if (type != MediaImpl::TYPE_VIDEO)
            return QVariant();
        return durationText(durationOf(record));
    default:
        return QVariant();
    }
}

bool MediaLibTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    MediaImpl *record = recordAt(index);
    if (!record || role != Qt::EditRole)
        return false;
    switch (index.column()) {
    case ColumnName:
        if (record->path().isEmpty())
            record->setPath(value.toString());
        else
            MediaFileStore::getInstance()->renameMediaFile(record, value.toString(), true);
        break;
    case ColumnType:
        record->setType(value.toInt());
        // The type places the row before any column's order (folders first): the whole row has changed for
        // the sort, whichever column it sorts by.
        Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
        return true;
    case ColumnDate:
        record->setLastModified(value.toDateTime());
        break;
    case ColumnSize:
        record->setSize(value.toLongLong());
        break;
    case ColumnDuration:
        record->setDuration(value.toLongLong());
        break;
    default:
        return false;
    }
    Q_EMIT dataChanged(index, index);
    return true;
}

QVariant MediaLibTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    switch (section) {
    case ColumnName:
        return tr("Media Name");
    case ColumnType:
        return tr("Type");
    case ColumnDate:
        return tr("Date");
    case ColumnSize:
        return tr("Size");
    case ColumnInfo:
        return tr("Info");
    case ColumnDuration:
        return tr("Duration");
    default:
        return QVariant();
    }
}

QMimeData *MediaLibTableModel::mimeData(const QModelIndexList &) const
{
    return nullptr;
}

bool MediaLibTableModel::insertRows(int row, int count, const QModelIndex &parent)
{
    if (count < 1 || row < 0 || row > m_records.size())
        return false;
    beginInsertRows(parent, row, row + count - 1);
    for (int i = 0; i < count; ++i)
        m_records.insert(row + i, new MediaImpl(QString()));
    endInsertRows();
    return true;
}

bool MediaLibTableModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (count < 1 || row < 0 || row + count > m_records.size())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    for (int i = 0; i < count; ++i)
        m_records.takeAt(row)->release();
    endRemoveRows();
    return true;
}

Qt::ItemFlags MediaLibTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsEnabled;
    Qt::ItemFlags result = QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
    if (index.column() == ColumnName)
        result |= Qt::ItemIsEditable;
    return result;
}

void MediaLibTableModel::loadFiles(const QList<QString> &paths)
{
    int row = 0;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            Q_EMIT fileDoesNotExist(path);
            continue;
        }
        const QString absolute = info.absoluteFilePath();
        const int type = MediaImpl::mediaTypeForPath(absolute);
        if (type == MediaImpl::TYPE_OTHER)
            continue;
        insertRows(row, 1);
        setData(index(row, ColumnName), absolute);
        setData(index(row, ColumnType), type);
        if (type != MediaImpl::TYPE_FOLDER) {
            setData(index(row, ColumnDate), QDateTime());
            setData(index(row, ColumnSize), kSizeUnknown);
            if (type == MediaImpl::TYPE_VIDEO) {
                MediaImpl *stored = recordFromInfoFile(absolute);
                setData(index(row, ColumnDuration), stored->duration());
                stored->release();
            }
        }
        ++row;
    }
}

void MediaLibTableModel::reloadMediaObj()
{
    MediaFileStore *store = MediaFileStore::getInstance();
    for (MediaImpl *record : std::as_const(m_records)) {
        store->readInfo(record);
        if (record->mediaType() != MediaImpl::TYPE_FOLDER) {
            record->setSize(QFileInfo(record->path()).size());
            record->setLastModified(creationTime(record->path()));
        }
    }
}

void MediaLibTableModel::reloadVideoRecords()
{
    MediaFileStore *store = MediaFileStore::getInstance();
    for (int row = 0; row < m_records.size(); ++row) {
        MediaImpl *record = m_records.at(row);
        if (record->mediaType() != MediaImpl::TYPE_VIDEO)
            continue;
        store->readInfo(record);
        record->setSize(QFileInfo(record->path()).size());
        record->setLastModified(creationTime(record->path()));
        Q_EMIT dataChanged(index(row, ColumnDate), index(row, ColumnDuration));
    }
}

void MediaLibTableModel::doubleClickedOnMediaLib(const QModelIndex &index)
{
    MediaImpl *record = recordAt(index);
    if (!record || !m_owner)
        return;
    switch (record->mediaType()) {
    case MediaImpl::TYPE_IMAGE:
        m_owner->requestShowImage(record->path());
        break;
    case MediaImpl::TYPE_VIDEO:
        m_owner->requestPlayVideo(record);
        break;
    case MediaImpl::TYPE_FOLDER:
        m_owner->openFolder(record);
        break;
    default:
        break;
    }
}

void MediaLibTableModel::clickedOnInfoCol(const QModelIndex &index)
{
    MediaImpl *record = recordAt(index);
    if (record && m_owner && index.column() == ColumnInfo && record->mediaType() != MediaImpl::TYPE_FOLDER)
        m_owner->showMediaInfo(record);
}

void MediaLibTableModel::deleteInfoCol(const QModelIndex &index)
{
    MediaImpl *record = recordAt(index);
    if (record && m_owner && index.column() == ColumnInfo && record->mediaType() != MediaImpl::TYPE_FOLDER)
        m_owner->showMediaInfoForDelete(record);
}
