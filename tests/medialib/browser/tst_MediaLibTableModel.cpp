#include "DialogWatchdog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibSortFilterModel.h"
#include "MediaLibTableModel.h"
#include "MediaLibraryImpl.h"
#include "MessageBoxScript.h"
#include "TestEnvironment.h"
#include "TestMedia.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

class TestMediaLibTableModel : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;
    QWidget m_window;
    MediaLibraryImpl *m_service = nullptr;

    QString makeFile(const QString &name, qint64 size = 1)
    {
        return TestMedia::writeFile(m_dir->path() + QLatin1Char('/') + name, QByteArray(size, '\0'));
    }
    QString makeFolder(const QString &name)
    {
        const QString path = m_dir->path() + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }
    // A row filled as the panel fills one for a listed entry.
    static void addRow(MediaLibTableModel &model, const QString &path)
    {
        const int row = model.rowCount();
        QVERIFY(model.insertRows(row, 1));
        const int type = MediaImpl::mediaTypeForPath(path);
        model.setData(model.index(row, 0), path);
        model.setData(model.index(row, 1), type);
        if (type != MediaImpl::TYPE_FOLDER) {
            model.setData(model.index(row, 2), QDateTime());
            model.setData(model.index(row, 3), qint64(-1));
            model.setData(model.index(row, 5), qint64(0));
        }
    }
    static QString text(const MediaLibTableModel &model, int row, int column, int role = Qt::DisplayRole)
    {
        return model.data(model.index(row, column), role).toString();
    }

private Q_SLOTS:
    void initTestCase() { m_service = static_cast<MediaLibraryImpl *>(MediaLibraryImpl::getInstance(&m_window)); }
    void cleanupTestCase() { m_service->release(); }
    void init()
    {
        m_watchdog.emplace();
        m_dir = std::make_unique<QTemporaryDir>(TestEnvironment::home() + QStringLiteral("/List-XXXXXX"));
        MediaFileStore::getInstance()->makeCacheFolder(m_dir->path());
    }
    void cleanup()
    {
        m_dir.reset();
        m_watchdog.reset();
    }

    void sizeText_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << qint64(0) << "0Bytes";
        QTest::newRow("just under 2 KB") << qint64(2047) << "2047Bytes";
        QTest::newRow("2 KB") << qint64(2048) << "2KB";
        QTest::newRow("1,000 KB") << qint64(1024000) << "1,000KB";
        QTest::newRow("millions") << qint64(1234567) * 1024 << "1,234,567KB";
    }
    void sizeText()
    {
        QFETCH(qint64, bytes);
        QTEST(MediaLibTableModel::sizeText(bytes), "text");
    }

    void durationText_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown") << qint64(0) << "00:00:00";
        QTest::newRow("truncated seconds") << qint64(61999) << "00:01:01";
        QTest::newRow("one hour") << qint64(3600000) << "01:00:00";
        QTest::newRow("a day or more") << qint64(25) * 3600000 << "";
    }
    void durationText()
    {
        QFETCH(qint64, ms);
        QTEST(MediaLibTableModel::durationText(ms), "text");
    }

    // What each column shows for a file, a folder and the file system's root; sizes and dates come from
    // the disk on first demand.
    void columnsShowTheEntry()
    {
        const QString file = makeFile(QStringLiteral("report.final.jpg"), 2048);
        const QString folder = makeFolder(QStringLiteral("Trip 2"));
        MediaLibTableModel model(m_service);
        addRow(model, file);
        addRow(model, folder);
        addRow(model, QStringLiteral("/"));

        QCOMPARE(text(model, 0, 0), QStringLiteral("report.final.jpg"));
        QCOMPARE(text(model, 0, 0, Qt::EditRole), QStringLiteral("report.final"));
        QCOMPARE(text(model, 0, 1), QStringLiteral("Image"));
        QCOMPARE(text(model, 0, 3), QStringLiteral("2KB"));
        QVERIFY(model.data(model.index(0, 2)).toDateTime().isValid());
        QVERIFY(!model.data(model.index(0, 4), Qt::DecorationRole).isNull());
        QVERIFY(model.data(model.index(0, 5)).isNull());

        QCOMPARE(text(model, 1, 0), QStringLiteral("Trip 2"));
        QCOMPARE(text(model, 1, 1), QStringLiteral("Folder"));
        QVERIFY(model.data(model.index(1, 3)).isNull());
        QVERIFY(model.data(model.index(1, 4), Qt::DecorationRole).isNull());

        QCOMPARE(text(model, 2, 0), QStringLiteral("/"));

        QVERIFY(model.data(model.index(3, 0)).isNull());
        QCOMPARE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable, Qt::ItemIsEditable);
        QCOMPARE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable, Qt::ItemFlags());
        QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Size"));
        QVERIFY(!model.mimeData({model.index(0, 0)}));
    }

    // Search results: missing paths are reported, files that are neither image nor video are left out,
    // the order is kept and a video's duration comes from its information file.
    void loadFilesKeepsMediaInOrder()
    {
        const QString video = makeFile(QStringLiteral("Lesson.AVI"));
        MediaImpl stored(video);
        stored.setDuration(61999);
        MediaFileStore::getInstance()->writeInfo(&stored);
        const QString missing = m_dir->path() + QStringLiteral("/gone.jpg");
        const QString folder = makeFolder(QStringLiteral("Album"));
        const QString notes = makeFile(QStringLiteral("notes.txt"));

        MediaLibTableModel model(m_service);
        QSignalSpy missingSpy(&model, &MediaLibTableModel::fileDoesNotExist);
        model.loadFiles({missing, folder, notes, video});
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(text(model, 0, 0), QStringLiteral("Album"));
        QCOMPARE(text(model, 1, 0), QStringLiteral("Lesson.AVI"));
        QCOMPARE(text(model, 1, 5), QStringLiteral("00:01:01"));
        QCOMPARE(missingSpy.size(), 1);
        QCOMPARE(missingSpy.at(0).at(0).toString(), missing);
    }

    // The first name set stores the path; a later one renames the file through the store.
    void editingTheNameRenames()
    {
        const QString path = makeFile(QStringLiteral("old.jpg"));
        MediaLibTableModel model(m_service);
        QVERIFY(model.insertRows(0, 1));
        QVERIFY(model.setData(model.index(0, 0), path));
        QVERIFY(QFile::exists(path));
        MessageBoxScript boxes;
        QVERIFY(model.setData(model.index(0, 0), QStringLiteral("new")));
        QVERIFY(boxes.shown().isEmpty());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(text(model, 0, 0), QStringLiteral("new.jpg"));
        QVERIFY(!model.setData(model.index(0, 4), 1));
        QVERIFY(!model.setData(model.index(1, 0), QStringLiteral("x")));
    }

    // A measured duration goes into the information file without wiping what else it holds, also for a
    // row whose record never read that file.
    void measuredDurationKeepsTheInformationFile()
    {
        // ffmpeg writes the videos without an event loop running; a loaded machine needs more than the
        // usual limit.
        m_watchdog.emplace(60000);
        const QString video = TestMedia::writeAvi(m_dir->path(), QStringLiteral("clip.avi"), 2.0);
        QVERIFY(!video.isEmpty());
        MediaImpl stored(video);
        stored.setTitle(QStringLiteral("Plants"));
        stored.setKeywords(QStringLiteral("biology, spring"));
        stored.setYoutubeID(QStringLiteral("yt-1"));
        MediaFileStore::getInstance()->writeInfo(&stored);

        MediaLibTableModel model(m_service);
        addRow(model, video);
        QCOMPARE(text(model, 0, 5), QStringLiteral("00:00:02"));

        MediaImpl reread(video);
        MediaFileStore::getInstance()->readInfo(&reread);
        QVERIFY(reread.duration() >= 1900);
        QCOMPARE(reread.title(), QStringLiteral("Plants"));
        QCOMPARE(reread.keywords(), QStringList({"biology", "spring"}));
        QCOMPARE(reread.youtubeID(), QStringLiteral("yt-1"));
    }

    // A video that cannot be measured and whose information file says 1 is marked 2, so it is not measured
    // again; without that mark nothing is stored.
    void unmeasurableVideo_data()
    {
        QTest::addColumn<qint64>("storedBefore");
        QTest::addColumn<qint64>("storedAfter");
        QTest::newRow("marked by the thumbnailer") << qint64(1) << qint64(2);
        QTest::newRow("nothing known") << qint64(0) << qint64(0);
    }
    void unmeasurableVideo()
    {
        QFETCH(qint64, storedBefore);
        const QString video = makeFile(QStringLiteral("broken.avi"), 100);
        MediaImpl stored(video);
        stored.setDuration(storedBefore);
        stored.setTitle(QStringLiteral("Kept"));
        MediaFileStore::getInstance()->writeInfo(&stored);

        MediaLibTableModel model(m_service);
        addRow(model, video);
        QCOMPARE(text(model, 0, 5), QStringLiteral("00:00:00"));
        MediaImpl reread(video);
        MediaFileStore::getInstance()->readInfo(&reread);
        QTEST(reread.duration(), "storedAfter");
        QCOMPARE(reread.title(), QStringLiteral("Kept"));
    }

    // Each row owns one reference: removing the row gives it back, and the model's end gives back the rest.
    void rowsGiveTheirRecordsBack()
    {
        auto model = std::make_unique<MediaLibTableModel>(m_service);
        addRow(*model, makeFile(QStringLiteral("a.jpg")));
        addRow(*model, makeFile(QStringLiteral("b.jpg")));
        addRow(*model, makeFile(QStringLiteral("c.jpg")));
        const QList<MediaImpl *> records = model->mediaList();
        for (MediaImpl *record : records)
            record->addRef();
        QVERIFY(model->removeRows(0, 1));
        QCOMPARE(records.at(0)->refCount(), 1);
        QCOMPARE(records.at(1)->refCount(), 2);
        model->clear();
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(records.at(1)->refCount(), 1);
        addRow(*model, makeFile(QStringLiteral("d.jpg")));
        MediaImpl *last = model->mediaList().at(0);
        last->addRef();
        model.reset();
        QCOMPARE(last->refCount(), 1);
        last->release();
        for (MediaImpl *record : records)
            record->release();
    }

    // Double clicks become requests by type; the info and delete views open only from column 4 of a file.
    void clicksBecomeRequests()
    {
        const QString image = makeFile(QStringLiteral("pic.png"));
        const QString video = makeFile(QStringLiteral("clip.wmv"));
        const QString folder = makeFolder(QStringLiteral("Sub"));
        MediaLibTableModel model(m_service);
        addRow(model, image);
        addRow(model, video);
        addRow(model, folder);
        QVERIFY(model.insertRows(3, 1));
        model.setData(model.index(3, 0), makeFile(QStringLiteral("notes.txt")));
        model.setData(model.index(3, 1), int(MediaImpl::TYPE_OTHER));

        QSignalSpy images(m_service, &MediaLibraryIntf::showImageRequested);
        QStringList videos;
        const auto played = connect(m_service, &MediaLibraryIntf::playVideoRequested, this,
                                    [&videos](MediaIntf *media) { videos.append(media->path()); });
        for (int row = 0; row < 4; ++row)
            model.doubleClickedOnMediaLib(model.index(row, 2));
        QCOMPARE(images.size(), 1);
        QCOMPARE(images.at(0).at(0).toString(), image);
        disconnect(played);
        QCOMPARE(videos, QStringList{video});

        // No dialog may open for these: the watchdog would fail the test.
        model.clickedOnInfoCol(model.index(2, 4));
        model.clickedOnInfoCol(model.index(0, 3));
        model.deleteInfoCol(model.index(2, 4));
        model.deleteInfoCol(model.index(0, 0));
        QVERIFY(!m_watchdog->expired());
    }

    // Sorting by duration measures no video: one without a stored length sorts as unknown until the
    // thumbnail run has stored it, then takes its place; rows without a duration stay after the videos.
    void durationSortMeasuresNothing()
    {
        m_watchdog.emplace(60000);
        const QString unmeasured = TestMedia::writeAvi(m_dir->path(), QStringLiteral("b.avi"), 2.0);
        QVERIFY(!unmeasured.isEmpty());
        const QString known = makeFile(QStringLiteral("a.avi"), 100);
        MediaImpl stored(known);
        stored.setDuration(1000);
        MediaFileStore::getInstance()->writeInfo(&stored);
        MediaLibTableModel model(m_service);
        addRow(model, makeFile(QStringLiteral("c.jpg")));
        addRow(model, known);
        addRow(model, unmeasured);
        MediaLibSortFilterModel proxy;
        proxy.setSourceModel(&model);
        const auto order = [&proxy] {
            QStringList names;
            for (int row = 0; row < proxy.rowCount(); ++row)
                names.append(proxy.index(row, MediaLibTableModel::ColumnName).data().toString());
            return names;
        };
        proxy.sort(MediaLibTableModel::ColumnDuration, Qt::AscendingOrder);
        QCOMPARE(order(), QStringList({"b.avi", "a.avi", "c.jpg"}));
        MediaImpl reread(unmeasured);
        MediaFileStore::getInstance()->readInfo(&reread);
        QCOMPARE(reread.duration(), qint64(0));

        MediaImpl measured(unmeasured);
        measured.setDuration(90000);
        MediaFileStore::getInstance()->writeInfo(&measured);
        model.reloadVideoRecords();
        QCOMPARE(order(), QStringList({"a.avi", "b.avi", "c.jpg"}));
    }

    void reloadReadsInformationAgain()
    {
        const QString image = makeFile(QStringLiteral("pic.jpg"), 10);
        MediaLibTableModel model(m_service);
        addRow(model, image);
        QCOMPARE(text(model, 0, 3), QStringLiteral("10Bytes"));
        MediaImpl stored(image);
        stored.setTitle(QStringLiteral("Updated"));
        MediaFileStore::getInstance()->writeInfo(&stored);
        makeFile(QStringLiteral("pic.jpg"), 4096);
        model.reloadMediaObj();
        QCOMPARE(model.mediaList().at(0)->title(), QStringLiteral("Updated"));
        QCOMPARE(text(model, 0, 3), QStringLiteral("4KB"));
    }
};

QUILLO_TEST_MAIN(TestMediaLibTableModel)
#include "tst_MediaLibTableModel.moc"
