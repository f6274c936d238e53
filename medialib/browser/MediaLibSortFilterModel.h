#pragma once

#include <QSortFilterProxyModel>

// The order of the media list: folders ahead of files in every column, names compared with their digit
// runs as numbers (img9 before img10), the size column by the number its text shows and the duration column
// by the list model's known milliseconds (never measuring a video).
class MediaLibSortFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit MediaLibSortFilterModel(QObject *parent = nullptr);

    QMimeData *mimeData(const QModelIndexList &indexes) const override;

    // -1 when only the left type is "Folder", +1 when only the right one is, else 0; case ignored.
    static int compareType(const QString &a, const QString &b);
    // -1 or +1 when the digit runs decide, 0 when they do not (the caller then compares the whole texts).
    // Consumes both arguments.
    static int naturalCompare(QString &a, QString &b);
    // The first run of number characters in s: its start, its end (one past) and its value, 0 when it does
    // not convert. False when s holds none.
    static bool findNumber(const QString &s, int &start, int &end, qint64 &value);
    // The name column's order of two names of the same kind: digit runs as numbers, then the whole texts
    // without regard to case.
    static bool nameLessThan(const QString &a, const QString &b);
    // A size text ("1,024KB", "900Bytes") as kilobytes; a byte count counts 0.
    quint64 sizeValue(const QVariant &text) const;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
};
