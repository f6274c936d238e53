#include "MediaLibSortFilterModel.h"
#include "MediaLibTableItemDelegate.h"
#include "TestEnvironment.h"

#include <QLineEdit>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QTest>

#include <memory>

namespace {

// Rows of name, type and size text, in the list model's column places (date and info left empty).
std::unique_ptr<QStandardItemModel> listOf(const QList<QStringList> &rows)
{
    auto model = std::make_unique<QStandardItemModel>(0, 6);
    for (const QStringList &row : rows) {
        QList<QStandardItem *> items;
        for (int column = 0; column < 6; ++column)
            items.append(new QStandardItem);
        items[0]->setText(row.value(0));
        items[1]->setText(row.value(1));
        items[3]->setText(row.value(2));
        model->appendRow(items);
    }
    return model;
}

QStringList namesInOrder(const QSortFilterProxyModel &proxy)
{
    QStringList names;
    for (int row = 0; row < proxy.rowCount(); ++row)
        names.append(proxy.index(row, 0).data().toString());
    return names;
}

} // namespace

class TestMediaLibSortFilterModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void naturalCompare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("result");
        QTest::newRow("img9 < img10") << "img9"
                                      << "img10" << -1;
        QTest::newRow("img10 > img9") << "img10"
                                      << "img9" << 1;
        QTest::newRow("second run decides") << "s1e10"
                                            << "s1e9" << 1;
        QTest::newRow("equal runs, rests without digits") << "a2b"
                                                          << "a2c" << 0;
        QTest::newRow("no digits on one side") << "file"
                                               << "file2" << 0;
        QTest::newRow("equal values, leading zero") << "x01"
                                                    << "x1" << 0;
        QTest::newRow("different prefixes") << "a10"
                                            << "b2" << 0;
        QTest::newRow("runs at different places") << "ab1"
                                                  << "a12" << 0;
        QTest::newRow("empty") << ""
                               << "1" << 0;
        QTest::newRow("too long to convert counts 0") << "n99999999999999999999"
                                                      << "n1" << -1;
    }
    void naturalCompare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, result);
        QCOMPARE(MediaLibSortFilterModel::naturalCompare(a, b), result);
    }

    void findNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<qint64>("value");
        QTest::newRow("middle") << "ab12cd" << true << 2 << 4 << qint64(12);
        QTest::newRow("at the end") << "img10" << true << 3 << 5 << qint64(10);
        QTest::newRow("none") << "abc" << false << -1 << -1 << qint64(0);
        // A number character that is not an ASCII digit ends up as 0.
        QTest::newRow("superscript") << QStringLiteral("a\u00B2") << true << 1 << 2 << qint64(0);
    }
    void findNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, found);
        int start = 0, end = 0;
        qint64 value = 0;
        QCOMPARE(MediaLibSortFilterModel::findNumber(text, start, end, value), found);
        QTEST(start, "start");
        QTEST(end, "end");
        if (found)
            QTEST(value, "value");
    }

    void sizeValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint64>("kilobytes");
        QTest::newRow("KB with commas") << "1,234,567KB" << quint64(1234567);
        QTest::newRow("small KB") << "2KB" << quint64(2);
        QTest::newRow("bytes count 0") << "2047Bytes" << quint64(0);
        QTest::newRow("MB") << "3MB" << quint64(3072);
        QTest::newRow("GB") << "2GB" << quint64(2097152);
        QTest::newRow("empty (a folder)") << "" << quint64(0);
    }
    void sizeValue()
    {
        QFETCH(QString, text);
        MediaLibSortFilterModel proxy;
        QTEST(proxy.sizeValue(text), "kilobytes");
    }

    // Folders lead in ascending order whatever the column; names sort naturally and case-blind; sizes by
    // value, with byte counts all equal and kept in their listing order.
    void sortsRowsByColumn_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("name ascending") << 0 << int(Qt::AscendingOrder)
                                        << QStringList{"alpha2",    "Zeta",     "IMG9.jpg", "img10.jpg",
                                                       "small.jpg", "tiny.jpg", "video.avi"};
        QTest::newRow("name descending") << 0 << int(Qt::DescendingOrder)
                                         << QStringList{"video.avi", "tiny.jpg", "small.jpg", "img10.jpg",
                                                        "IMG9.jpg",  "Zeta",     "alpha2"};
        QTest::newRow("size ascending") << 3 << int(Qt::AscendingOrder)
                                        << QStringList{"Zeta",      "alpha2",   "small.jpg", "tiny.jpg",
                                                       "img10.jpg", "IMG9.jpg", "video.avi"};
        QTest::newRow("type ascending") << 1 << int(Qt::AscendingOrder)
                                        << QStringList{"Zeta",     "alpha2",   "small.jpg", "img10.jpg",
                                                       "tiny.jpg", "IMG9.jpg", "video.avi"};
    }
    void sortsRowsByColumn()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QStringList, expected);
        auto source = listOf({{"video.avi", "Video", "1,024KB"},
                              {"small.jpg", "Image", "900Bytes"},
                              {"Zeta", "Folder", ""},
                              {"img10.jpg", "Image", "980KB"},
                              {"tiny.jpg", "Image", "1500Bytes"},
                              {"IMG9.jpg", "Image", "990KB"},
                              {"alpha2", "Folder", ""}});
        MediaLibSortFilterModel proxy;
        proxy.setSortCaseSensitivity(Qt::CaseInsensitive);
        proxy.setSourceModel(source.get());
        proxy.sort(column, Qt::SortOrder(order));
        QCOMPARE(namesInOrder(proxy), expected);
    }

    void delegateKeepsPathsWithinTheLimit_data()
    {
        QTest::addColumn<int>("folderLength");
        QTest::addColumn<int>("maxLength");
        QTest::newRow("short folder") << 200 << 40;
        QTest::newRow("230 characters") << 230 << 10;
        QTest::newRow("exactly the limit") << 240 << 0;
        QTest::newRow("over the limit: no editor") << 241 << -1;
    }
    void delegateKeepsPathsWithinTheLimit()
    {
        QFETCH(int, folderLength);
        QFETCH(int, maxLength);
        MediaLibTableItemDelegate delegate;
        delegate.setFolderPath(QLatin1Char('/') + QString(folderLength - 1, QLatin1Char('d')));
        QWidget parent;
        std::unique_ptr<QWidget> editor(delegate.createEditor(&parent, QStyleOptionViewItem(), QModelIndex()));
        if (maxLength < 0) {
            QVERIFY(!editor);
            return;
        }
        auto *line = qobject_cast<QLineEdit *>(editor.get());
        QVERIFY(line);
        QCOMPARE(line->parent(), &parent);
        QCOMPARE(line->maxLength(), maxLength);
    }
};

QUILLO_TEST_MAIN(TestMediaLibSortFilterModel)
#include "tst_MediaLibSortFilterModel.moc"
