#include "MediaLibSortFilterModel.h"

#include "MediaLibTableModel.h"

namespace {

// Column numbers of the list model that the order depends on.
constexpr int kNameColumn = 0;
constexpr int kTypeColumn = 1;
constexpr int kSizeColumn = 3;
constexpr int kDurationColumn = 5;

const QString kFolderType = QStringLiteral("Folder");

} // namespace

MediaLibSortFilterModel::MediaLibSortFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
}

QMimeData *MediaLibSortFilterModel::mimeData(const QModelIndexList &indexes) const
{
    if (!sourceModel())
        return nullptr;
    QModelIndexList mapped;
    mapped.reserve(indexes.size());
    for (const QModelIndex &index : indexes)
        mapped.append(mapToSource(index));
    return sourceModel()->mimeData(mapped);
}

int MediaLibSortFilterModel::compareType(const QString &a, const QString &b)
{
    if (a.compare(b, Qt::CaseInsensitive) == 0)
        return 0;
    if (a.compare(kFolderType, Qt::CaseInsensitive) == 0)
        return -1;
    if (b.compare(kFolderType, Qt::CaseInsensitive) == 0)
        return 1;
    return 0;
}

bool MediaLibSortFilterModel::findNumber(const QString &s, int &start, int &end, qint64 &value)
{
    start = -1;
    end = -1;
    for (int i = 0; i < s.size(); ++i) {
        const bool number = s.at(i).isNumber();
        if (start < 0 && number) {
            start = i;
        } else if (start >= 0 && !number) {
            end = i;
            break;
        }
    }
    if (start < 0)
        return false;
    if (end < 0)
        end = int(s.size());
    bool ok = false;
    value = s.mid(start, end - start).toLongLong(&ok, 10);
    if (!ok)
        value = 0;
    return true;
}

int MediaLibSortFilterModel::naturalCompare(QString &a, QString &b)
{
    while (!a.isEmpty()) {
        int startA = 0, endA = 0, startB = 0, endB = 0;
        qint64 valueA = 0, valueB = 0;
        if (!findNumber(a, startA, endA, valueA) || !findNumber(b, startB, endB, valueB))
            return 0;
        if (startA != startB || QStringView(a).left(startA) != QStringView(b).left(startB))
            return 0;
        if (valueA < valueB)
            return -1;
        if (valueA > valueB)
            return 1;
        a = a.mid(endA);
        b = b.mid(endB);
    }
    return 0;
}

bool MediaLibSortFilterModel::nameLessThan(const QString &a, const QString &b)
{
    QString lowerA = a.toLower();
    QString lowerB = b.toLower();
    const int natural = naturalCompare(lowerA, lowerB);
    if (natural != 0)
        return natural < 0;
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

quint64 MediaLibSortFilterModel::sizeValue(const QVariant &text) const
{
    QString value = text.toString();
    value.remove(QStringLiteral("kb"), Qt::CaseInsensitive);
    value.remove(QLatin1Char(','));
    quint64 multiplier = 1;
    if (value.contains(QStringLiteral("mb"), Qt::CaseInsensitive)) {
        value.remove(QStringLiteral("mb"), Qt::CaseInsensitive);
        multiplier = 1024;
    }
    if (value.contains(QStringLiteral("gb"), Qt::CaseInsensitive)) {
        value.remove(QStringLiteral("gb"), Qt::CaseInsensitive);
        multiplier = 1048576;
    }
    return value.toULongLong(nullptr, 10) * multiplier;
}

bool MediaLibSortFilterModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    if (!left.isValid() || !right.isValid())
        return false;
    const QAbstractItemModel *source = sourceModel();
    const QString leftType = source->data(source->index(left.row(), kTypeColumn), Qt::DisplayRole).toString();
    const QString rightType = source->data(source->index(right.row(), kTypeColumn), Qt::DisplayRole).toString();

    const int byType = compareType(leftType, rightType);
    if (byType != 0)
        return byType < 0;

    // The duration's display text would have the list model measure the video. Rows without a duration
    // come after the videos, as the display texts' order had them.
    if (left.column() == kDurationColumn) {
        const QVariant leftMs = source->data(left, MediaLibTableModel::KnownDurationRole);
        const QVariant rightMs = source->data(right, MediaLibTableModel::KnownDurationRole);
        if (leftMs.isValid() != rightMs.isValid())
            return leftMs.isValid();
        return leftMs.toLongLong() < rightMs.toLongLong();
    }
    const QVariant leftText = source->data(left, Qt::DisplayRole);
    const QVariant rightText = source->data(right, Qt::DisplayRole);
    switch (left.column()) {
    case kNameColumn: {
        QString a = leftText.toString().toLower();
        QString b = rightText.toString().toLower();
        const int natural = naturalCompare(a, b);
        if (natural != 0)
            return natural < 0;
        break;
    }
    case kSizeColumn:
        return qint64(sizeValue(leftText)) < qint64(sizeValue(rightText));
    default:
        break;
    }
    return QSortFilterProxyModel::lessThan(left, right);
}
