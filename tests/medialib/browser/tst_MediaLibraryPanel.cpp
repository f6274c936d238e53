#include "CaptureFake.h"
#include "DialogWatchdog.h"
#include "DriveList.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibScrollArea.h"
#include "MediaLibSortFilterModel.h"
#include "MediaLibTableModel.h"
#include "MediaLibTableView.h"
#include "MediaLibThumbnailView.h"
#include "MediaLibraryDatabase.h"
#include "MediaLibraryImpl.h"
#include "MediaLibraryPanel.h"
#include "MediaThumbnailObj.h"
#include "MediaViewOperations.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "Screenshot.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "UploadFake.h"

#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>
#include <optional>

namespace {

// Longer than the poll, the watcher and a loaded machine's delays together.
constexpr int kFreshnessTimeoutMs = 5000;

QStringList rowNames(const QAbstractItemModel *model)
{
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(model->index(row, MediaLibTableModel::ColumnName).data().toString());
    return names;
}

QStringList recordNames(const QList<MediaImpl *> &records)
{
    QStringList names;
    for (MediaImpl *record : records)
        names.append(QFileInfo(record->path()).fileName());
    return names;
}

QStringList recordPaths(const MediaLibTableModel *model)
{
    QStringList paths;
    for (MediaImpl *record : model->mediaList())
        paths.append(record->path());
    return paths;
}

// The tiles' names in the order the thumbnail view shows them.
QStringList tileNames(const MediaLibThumbnailView *view)
{
    QStringList names;
    const QList<MediaImpl *> records = view->records();
    for (int index : view->displayOrder())
        names.append(QFileInfo(records.at(index)->path()).fileName());
    return names;
}

QStringList search(const QString &text)
{
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    QStringList found = index->searchKeywords(index->parseKeywords(text));
    MediaLibraryDatabase::release();
    return found;
}

void writeImage(const QString &path, const QColor &color)
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(color);
    QVERIFY2(image.save(path), qPrintable(path));
}

} // namespace

class TestMediaLibraryPanel : public QObject
{
    Q_OBJECT

private:
    std::optional<QTemporaryDir> m_root;
    // The media folder, with capitals as the default one has.
    QString m_media;
    std::optional<DialogWatchdog> m_watchdog;
    std::unique_ptr<UploadFake> m_upload;
    CaptureFake m_capture;
    MediaLibraryImpl *m_service = nullptr;
    MediaLibraryPanel *m_panel = nullptr;

    QString touch(const QString &relative, const QByteArray &content = "media")
    {
        const QString path = QDir(m_media).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            QTest::qFail(qPrintable(QStringLiteral("cannot write %1").arg(path)), __FILE__, __LINE__);
        file.write(content);
        return path;
    }

    void setSetting(const QString &key, const QVariant &value)
    {
        SettingImpl *settings = SettingImpl::getInstance();
        settings->setValue(key, value);
        settings->release();
    }

    QVariant setting(const QString &key)
    {
        SettingImpl *settings = SettingImpl::getInstance();
        const QVariant value = settings->value(key);
        settings->release();
        return value;
    }

    void openLibrary(QWidget *parent = nullptr)
    {
        m_service = static_cast<MediaLibraryImpl *>(MediaLibraryImpl::getInstance(parent, &m_capture));
        m_panel = m_service->panel();
    }

    void closeLibrary()
    {
        if (m_service)
            m_service->release();
        m_service = nullptr;
        m_panel = nullptr;
    }

    template<typename T>
    T *child(const char *name)
    {
        T *found = m_panel->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }

    void enter(const QString &path) { m_panel->changeDirectory(QDir(path)); }

private Q_SLOTS:
    void init()
    {
        m_watchdog.emplace();
        m_root.emplace();
        QVERIFY(m_root->isValid());
        m_media = m_root->filePath(QStringLiteral("Lessons/Media Library"));
        QVERIFY(QDir().mkpath(m_media));
        SettingImpl *settings = SettingImpl::getInstance();
        settings->setSavePath(m_media);
        settings->release();
        m_upload = std::make_unique<UploadFake>();
    }

    void cleanup()
    {
        closeLibrary();
        DriveList::setSource({});
        for (const char *key : {"medialibrary/mode", "medialibrary/width", "medialibrary/height"})
            setSetting(QString::fromLatin1(key), QVariant());
        m_upload.reset();
        m_root.reset();
        m_watchdog.reset();
    }

    void entersTheMediaFolderListingFoldersThenImagesThenVideos()
    {
        for (const char *folder : {"Trip 10", "Trip 2", ".cache"})
            QDir().mkpath(QDir(m_media).filePath(QLatin1String(folder)));
        for (const char *file :
             {"clip.avi", "img10.jpg", "img2.JPG", "notes.txt", ".secret.jpg", "talk.wmv", "board.tif"})
            touch(QLatin1String(file));
        QFile hiddenList(QDir(m_media).filePath(QStringLiteral(".hidden")));
        QVERIFY(hiddenList.open(QIODevice::Append));
        hiddenList.write("board.tif\n");
        hiddenList.close();

        openLibrary();
        QCOMPARE(m_panel->currentFolder().absolutePath(), m_media);
        QCOMPARE(m_panel->shownPath(), m_media);
        // The model keeps the filling order: folders, images, videos; hidden and foreign files are not listed.
        QStringList filled = recordNames(m_panel->folderModel()->mediaList());
        QCOMPARE(filled.size(), 6);
        QCOMPARE(QSet<QString>(filled.begin(), filled.begin() + 2), QSet<QString>({"Trip 10", "Trip 2"}));
        QCOMPARE(QSet<QString>(filled.begin() + 2, filled.begin() + 4), QSet<QString>({"img10.jpg", "img2.JPG"}));
        QCOMPARE(QSet<QString>(filled.begin() + 4, filled.end()), QSet<QString>({"clip.avi", "talk.wmv"}));
        // The list shows folders first and numbers by their value; the tiles follow the list.
        const QStringList shown = rowNames(m_panel->listView()->model());
        QCOMPARE(shown, QStringList({"Trip 2", "Trip 10", "clip.avi", "img2.JPG", "img10.jpg", "talk.wmv"}));
        QCOMPARE(tileNames(m_panel->thumbnailView()), shown);
        QCOMPARE(child<QLabel>("currentFolder")->toolTip(), QStringLiteral("Current directory path"));
    }

    void newEntriesAppearAndVanishedOnesLeaveInPlace()
    {
        touch(QStringLiteral("a.jpg"));
        const QString doomed = touch(QStringLiteral("b.jpg"));
        openLibrary();
        const QList<MediaImpl *> before = m_panel->folderModel()->mediaList();
        QCOMPARE(before.size(), 2);
        // The rows hold the records; b.jpg's goes with its row.
        const qsizetype kept = recordNames(before).indexOf(QStringLiteral("a.jpg"));

        const QString added = touch(QStringLiteral("c.avi"));
        QTRY_COMPARE_WITH_TIMEOUT(m_panel->folderModel()->rowCount(), 3, kFreshnessTimeoutMs);
        // Added in place: the rows already there kept their records, and the new row is selected.
        QCOMPARE(m_panel->folderModel()->mediaList().mid(0, 2), before);
        QCOMPARE(m_panel->thumbnailView()->entryCount(), 3);
        const QModelIndexList selected = m_panel->listView()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().data().toString(), QStringLiteral("c.avi"));
        QVERIFY(MediaFileStore::getInstance()->hasInfoFile(added));
        touch(QStringLiteral("readme.txt"));

        QVERIFY(QFile::remove(doomed));
        QTRY_COMPARE_WITH_TIMEOUT(recordNames(m_panel->folderModel()->mediaList()), QStringList({"a.jpg", "c.avi"}),
                                  kFreshnessTimeoutMs);
        QCOMPARE(m_panel->thumbnailView()->entryCount(), 2);
        // Not by a reload: the record left is the one shown before.
        QCOMPARE(m_panel->folderModel()->mediaList().first(), before.at(kept));
        QCOMPARE(m_panel->thumbnailView()->records(), m_panel->folderModel()->mediaList());
    }

    // A folder too large to read at once is read on a worker and its rows arrive in batches, filled as a
    // small folder's are (folders, images, videos) and shown in the list's order, the tiles alike; it is
    // followed from its last batch on. Left before its rows are in, it adds none of them to the next folder.
    void aLargeFolderArrivesInBatches()
    {
        const int images = MediaLibraryPanel::kImmediateEntries + MediaLibraryPanel::kBatchEntries + 10;
        const QString large = QDir(m_media).filePath(QStringLiteral("Time-lapse"));
        QVERIFY(QDir().mkpath(large + QStringLiteral("/Day 2")));
        for (int i = 0; i < images; ++i)
            touch(QStringLiteral("Time-lapse/frame%1.jpg").arg(i));
        touch(QStringLiteral("Time-lapse/lesson.avi"));
        openLibrary();
        enter(large);
        QVERIFY(m_panel->isLoading());
        QTRY_VERIFY_WITH_TIMEOUT(!m_panel->isLoading(), kFreshnessTimeoutMs);
        const QStringList filled = recordNames(m_panel->folderModel()->mediaList());
        QCOMPARE(filled.size(), images + 2);
        QCOMPARE(filled.first(), QStringLiteral("Day 2"));
        QCOMPARE(filled.last(), QStringLiteral("lesson.avi"));
        const QStringList shown = rowNames(m_panel->listView()->model());
        QCOMPARE(shown.mid(0, 4), QStringList({"Day 2", "frame0.jpg", "frame1.jpg", "frame2.jpg"}));
        QCOMPARE(shown.at(11), QStringLiteral("frame10.jpg"));
        QCOMPARE(tileNames(m_panel->thumbnailView()), shown);

        touch(QStringLiteral("Time-lapse/late.jpg"));
        QTRY_COMPARE_WITH_TIMEOUT(m_panel->folderModel()->rowCount(), images + 3, kFreshnessTimeoutMs);

        enter(large);
        QVERIFY(m_panel->isLoading());
        enter(m_media);
        QVERIFY(!m_panel->isLoading());
        // Long enough for the abandoned reading to come back and be dropped.
        QTest::qWait(kFreshnessTimeoutMs / 5);
        QCOMPARE(recordNames(m_panel->folderModel()->mediaList()), QStringList{"Time-lapse"});
        QCOMPARE(m_panel->thumbnailView()->entryCount(), 1);
    }

    void aVanishedFolderFallsBackToTheDriveList()
    {
        const QString folder = QDir(m_media).filePath(QStringLiteral("Unit 1"));
        touch(QStringLiteral("Unit 1/a.jpg"));
        DriveList::setSource([] { return QList<DriveList::Mount>(); });
        openLibrary();
        enter(folder);
        QVERIFY(QDir(folder).removeRecursively());
        QTRY_VERIFY_WITH_TIMEOUT(m_panel->isDriveRootMode(), kFreshnessTimeoutMs);
        QCOMPARE(m_panel->shownPath(), QStringLiteral("My Computer"));
    }

    void driveListComesFromTheMountTable()
    {
        QList<DriveList::Mount> mounts = {
            {QStringLiteral("/"), "ext4"},          {QStringLiteral("/proc"), "proc"},
            {QStringLiteral("/media/usb"), "vfat"}, {QStringLiteral("/boot"), "ext4"},
            {QStringLiteral("/dev/shm"), "tmpfs"},  {QStringLiteral("/mnt/share"), "nfs4"},
        };
        DriveList::setSource([&mounts] { return mounts; });
        openLibrary();
        enter(QStringLiteral("/"));
        // The root of a drive leads back to the drive list.
        child<QToolButton>("preBtn")->click();
        QVERIFY(m_panel->isDriveRootMode());
        QCOMPARE(m_panel->shownPath(), QStringLiteral("My Computer"));
        QCOMPARE(recordPaths(m_panel->driveModel()), QStringList({"/", "/media/usb", "/mnt/share"}));
        QCOMPARE(m_panel->thumbnailView()->entryCount(), 3);
        QVERIFY(!child<QToolButton>("preBtn")->isEnabled());
        QVERIFY(!child<QToolButton>("addFolderBtn")->isEnabled());
        QVERIFY(!m_panel->listView()->acceptDrops());
        QVERIFY(!m_panel->listView()->dragEnabled());
        QVERIFY(!m_panel->listView()->menuEnabled());
        QVERIFY(!m_panel->thumbnailView()->acceptDrops());
        QCOMPARE(m_panel->thumbnailView()->contextMenuPolicy(), Qt::NoContextMenu);
        m_panel->resize(300, 440);
        QVERIFY(!Screenshot::save(m_panel, QStringLiteral("drive-list")).isEmpty());

        // A stick pulled out while the list is shown.
        mounts.removeAt(2);
        m_panel->onUSBDeviceChanged();
        QCOMPARE(recordPaths(m_panel->driveModel()), QStringList({"/", "/mnt/share"}));

        // Opening a drive ends the drive list.
        MediaIntf *root = m_service->getMedia(QStringLiteral("/"));
        m_service->openFolder(root);
        root->release();
        QVERIFY(!m_panel->isDriveRootMode());
        QCOMPARE(m_panel->listView()->mediaModel(), m_panel->folderModel());
        QVERIFY(child<QToolButton>("preBtn")->isEnabled());
        QVERIFY(m_panel->listView()->acceptDrops());
        QVERIFY(m_panel->listView()->menuEnabled());
    }

    void backClimbsOneFolder()
    {
        const QString unit = QDir(m_media).filePath(QStringLiteral("Unit 1/Week 2"));
        QVERIFY(QDir().mkpath(unit));
        openLibrary();
        enter(unit);
        child<QToolButton>("preBtn")->click();
        QCOMPARE(m_panel->currentFolder().absolutePath(), QFileInfo(unit).absolutePath());
    }

    void capturesAreIndexedUnderTheirRealPath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("indexed");
        QTest::newRow("snapshot with capitals") << "Snap_01.JPG" << true;
        QTest::newRow("grab") << "Desktop 2.png" << true;
        QTest::newRow("not a media file") << "Snap_02.txt" << false;
    }
    void capturesAreIndexedUnderTheirRealPath()
    {
        QFETCH(QString, name);
        QFETCH(bool, indexed);
        openLibrary();
        const QString path = touch(QStringLiteral("Class 4B/") + name);
        emit m_capture.docCamImageCaptured(path);
        const QString word = QFileInfo(name).completeBaseName().toLower();
        QCOMPARE(search(word), indexed ? QStringList{path} : QStringList());
        QVERIFY(!m_panel->addToDatabase(QFileInfo(path).absolutePath()));
    }

    void aTimeLapseFolderIsProtectedWhileItsSeriesRuns()
    {
        openLibrary();
        const QString first = touch(QStringLiteral("Time Lapse 1/TL_0001.jpg"));
        const QString second = touch(QStringLiteral("Time Lapse 1/TL_0002.jpg"));
        const QString folder = QFileInfo(first).absolutePath().toLower();
        emit m_capture.oneTimeLapseImageCaptured(first);
        emit m_capture.oneTimeLapseImageCaptured(second);
        QCOMPARE(m_panel->protectedPaths(), QStringList{folder});
        QVERIFY(m_panel->listView()->operations()->protectedPaths().contains(folder));
        QVERIFY(m_panel->thumbnailView()->operations()->protectedPaths().contains(folder));
        QCOMPARE(search(QStringLiteral("tl_0002")), QStringList{second});

        // The folder cannot be renamed from the list while the series runs.
        enter(m_media);
        MessageBoxScript boxes;
        m_panel->thumbnailView()->operations()->isProtected(QFileInfo(first).absolutePath());
        QCOMPARE(boxes.lastText(), QStringLiteral("This folder is in use"));

        emit m_capture.timeLapseImageCaptureAborted({first, second}, 1000);
        QVERIFY(m_panel->protectedPaths().isEmpty());
        QVERIFY(m_panel->listView()->operations()->protectedPaths().isEmpty());
        QVERIFY(m_panel->thumbnailView()->operations()->protectedPaths().isEmpty());
    }

    void aFileGoneBehindTheIndexLosesItsCompanions()
    {
        MediaFileStore *store = MediaFileStore::getInstance();
        const QString path = touch(QStringLiteral("Unit 1/Board.JPG"));
        const QString sibling = touch(QStringLiteral("Unit 1/Chalk.jpg"));
        for (const QString &file : {path, sibling}) {
            auto *record = new MediaImpl(file);
            record->setKeywords(QStringLiteral("chalkboard"));
            store->makeCacheFolder(file);
            store->writeInfo(record);
            record->release();
            QFile thumbnail(store->thumbnailPath(file));
            QVERIFY(thumbnail.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::remove(path));

        openLibrary();
        enter(QFileInfo(path).absolutePath());
        // The index is brought in step on a worker; the companions go once it is done.
        QTRY_VERIFY(!store->hasInfoFile(path));
        QVERIFY(!store->hasThumbnail(path));
        QVERIFY(store->hasInfoFile(sibling));
        QVERIFY(store->hasThumbnail(sibling));
        QCOMPARE(search(QStringLiteral("chalkboard")), QStringList{sibling});
    }

    void searchShowsResultsAndBackReturns()
    {
        MediaFileStore *store = MediaFileStore::getInstance();
        const QString found = touch(QStringLiteral("Unit 1/waves.jpg"));
        touch(QStringLiteral("other.jpg"));
        auto *record = new MediaImpl(found);
        record->setKeywords(QStringLiteral("ocean"));
        store->makeCacheFolder(found);
        store->writeInfo(record);
        record->release();
        openLibrary();

        auto *searchEdit = child<QLineEdit>("lineEdit");
        QTest::keyClick(searchEdit, Qt::Key_Return);
        QVERIFY(!m_panel->searchModel());

        for (bool fromDriveList : {false, true}) {
            if (fromDriveList) {
                DriveList::setSource([] { return QList<DriveList::Mount>(); });
                enter(QStringLiteral("/"));
                m_panel->returnPreFolder();
                QVERIFY(m_panel->isDriveRootMode());
            }
            searchEdit->setText(QStringLiteral("ocean"));
            QTest::keyClick(searchEdit, Qt::Key_Return);
            QVERIFY(m_panel->searchModel());
            QCOMPARE(m_panel->shownPath(), QStringLiteral("Search result: ocean"));
            QCOMPARE(child<QLabel>("currentFolder")->toolTip(), QStringLiteral("Search result"));
            QVERIFY(searchEdit->text().isEmpty());
            QCOMPARE(m_panel->listView()->mediaModel(), m_panel->searchModel());
            QCOMPARE(rowNames(m_panel->listView()->model()), QStringList{"waves.jpg"});
            QCOMPARE(m_panel->searchThumbnailView()->entryCount(), 1);
            QCOMPARE(m_panel->listView()->dragDropMode(), QAbstractItemView::DragOnly);
            QVERIFY(!child<QToolButton>("addFolderBtn")->isEnabled());
            QVERIFY(child<QToolButton>("preBtn")->isEnabled());

            child<QToolButton>("preBtn")->click();
            QVERIFY(!m_panel->searchModel());
            QCOMPARE(child<QLabel>("currentFolder")->toolTip(), QStringLiteral("Current directory path"));
            if (fromDriveList) {
                QVERIFY(m_panel->isDriveRootMode());
                QCOMPARE(m_panel->shownPath(), QStringLiteral("My Computer"));
            } else {
                QCOMPARE(m_panel->shownPath(), m_media);
                QCOMPARE(m_panel->listView()->mediaModel(), m_panel->folderModel());
                QCOMPARE(m_panel->listView()->dragDropMode(), QAbstractItemView::DragDrop);
            }
        }

        // A folder opened among the results ends them.
        enter(m_media);
        searchEdit->setText(QStringLiteral("unit"));
        QTest::keyClick(searchEdit, Qt::Key_Return);
        QVERIFY(m_panel->searchModel());
        enter(QFileInfo(found).absolutePath());
        QVERIFY(!m_panel->searchModel());
        QCOMPARE(rowNames(m_panel->listView()->model()), QStringList{"waves.jpg"});
    }

    // Results shown straight in the thumbnail view take the list's order, here its stored descending sort.
    void searchResultsInTheThumbnailViewFollowTheList()
    {
        MediaFileStore *store = MediaFileStore::getInstance();
        for (const char *name : {"Unit 1/bay.jpg", "Unit 2/cove.jpg", "atoll.jpg", "delta.jpg"}) {
            auto *record = new MediaImpl(touch(QLatin1String(name)));
            record->setKeywords(QStringLiteral("coast"));
            store->makeCacheFolder(record->path());
            store->writeInfo(record);
            record->release();
        }
        openLibrary();
        QHeaderView *header = m_panel->listView()->horizontalHeader();
        header->setSortIndicator(MediaLibTableModel::ColumnName, Qt::DescendingOrder);
        m_panel->listView()->storeSortingInfo(MediaLibTableModel::ColumnName);
        m_panel->changeViewMode();
        QCOMPARE(m_panel->viewMode(), int(MediaLibraryPanel::ThumbnailMode));

        auto *searchEdit = child<QLineEdit>("lineEdit");
        searchEdit->setText(QStringLiteral("coast"));
        QTest::keyClick(searchEdit, Qt::Key_Return);
        QVERIFY(m_panel->searchModel());
        const QStringList listed = rowNames(m_panel->listView()->model());
        QCOMPARE(listed, QStringList({"delta.jpg", "cove.jpg", "bay.jpg", "atoll.jpg"}));
        QCOMPARE(tileNames(m_panel->searchThumbnailView()), listed);
    }

    void newFoldersAreNumbered()
    {
        openLibrary();
        MessageBoxScript boxes;
        const QDir media(m_media);
        for (const char *expected : {"NewFolder", "NewFolder_0", "NewFolder_1"}) {
            child<QToolButton>("addFolderBtn")->click();
            QVERIFY2(QFileInfo(media.filePath(QLatin1String(expected))).isDir(), expected);
        }
        QVERIFY(boxes.shown().isEmpty());
        // The folders come in through the watcher.
        QTRY_COMPARE_WITH_TIMEOUT(m_panel->folderModel()->rowCount(), 3, kFreshnessTimeoutMs);
    }

    // A new folder takes its place among the folders at once, before any file, without a reload.
    void aNewFolderSortsBeforeTheFiles()
    {
        touch(QStringLiteral("apple.jpg"));
        touch(QStringLiteral("berry.jpg"));
        openLibrary();
        QCOMPARE(rowNames(m_panel->listView()->model()), (QStringList{"apple.jpg", "berry.jpg"}));
        child<QToolButton>("addFolderBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_panel->folderModel()->rowCount(), 3, kFreshnessTimeoutMs);
        QCOMPARE(rowNames(m_panel->listView()->model()), (QStringList{"NewFolder", "apple.jpg", "berry.jpg"}));
    }

    void aNewFolderThatCannotBeMadeIsReported_data()
    {
        QTest::addColumn<int>("pathLength");
        QTest::addColumn<bool>("blockedByFile");
        QTest::addColumn<QString>("message");
        QTest::newRow("239 characters") << 239 << false << "";
        QTest::newRow("240 characters") << 240 << false << "Path is invalid";
        QTest::newRow("a file in the way") << 0 << true << "Create new folder failed";
    }
    void aNewFolderThatCannotBeMadeIsReported()
    {
        QFETCH(int, pathLength);
        QFETCH(bool, blockedByFile);
        QFETCH(QString, message);
        openLibrary();
        QString folder = m_media;
        if (pathLength > 0) {
            // A folder deep enough that its "NewFolder" makes a path of exactly pathLength characters.
            const int room = pathLength - int(m_media.size()) - int(QStringLiteral("/NewFolder").size()) - 1;
            QVERIFY(room > 0);
            folder = QDir(m_media).filePath(QString(room, QLatin1Char('d')));
            QVERIFY(QDir().mkpath(folder));
            QCOMPARE(QDir(folder).filePath(QStringLiteral("NewFolder")).size(), pathLength);
            QCOMPARE(m_panel->isFileProhibited(QDir(folder).filePath(QStringLiteral("NewFolder"))), pathLength > 239);
            enter(folder);
        }
        if (blockedByFile)
            touch(QStringLiteral("NewFolder"));
        MessageBoxScript boxes;
        m_panel->createNewFolder();
        QCOMPARE(boxes.lastText(), message);
        QCOMPARE(QFileInfo(QDir(folder).filePath(QStringLiteral("NewFolder"))).isDir(), message.isEmpty());
    }

    void viewModeSwitchesAndNamesTheOtherMode()
    {
        openLibrary();
        auto *switchButton = child<QToolButton>("switchBtn");
        QCOMPARE(m_panel->viewMode(), int(MediaLibraryPanel::ListMode));
        QCOMPARE(switchButton->text(), QStringLiteral("View"));
        switchButton->click();
        QCOMPARE(m_panel->viewMode(), int(MediaLibraryPanel::ThumbnailMode));
        QCOMPARE(switchButton->text(), QStringLiteral("List"));
        QVERIFY(m_panel->listView()->isHidden());
        QVERIFY(!m_panel->scrollArea()->isHidden());
        // A wheel notch moves by rows of tiles.
        QCOMPARE(m_panel->scrollArea()->wheelLineHeight(), MediaLibThumbnailView::kCellSide);
        switchButton->click();
        QCOMPARE(m_panel->viewMode(), int(MediaLibraryPanel::ListMode));
        QVERIFY(!m_panel->listView()->isHidden());
        QVERIFY(m_panel->scrollArea()->isHidden());
    }

    void modeAndSizeAreRemembered()
    {
        // Nothing stored: the form's size is stored at once.
        openLibrary();
        QCOMPARE(m_panel->size(), QSize(260, 440));
        QCOMPARE(setting(QStringLiteral("medialibrary/width")).toInt(), 260);
        QCOMPARE(setting(QStringLiteral("medialibrary/height")).toInt(), 440);
        closeLibrary();

        setSetting(QStringLiteral("medialibrary/mode"), 1);
        setSetting(QStringLiteral("medialibrary/width"), 320);
        setSetting(QStringLiteral("medialibrary/height"), 500);
        openLibrary();
        QCOMPARE(m_panel->viewMode(), int(MediaLibraryPanel::ThumbnailMode));
        QCOMPARE(m_panel->size(), QSize(320, 500));
        // The list grows with the panel; the buttons keep their corners.
        QCOMPARE(m_panel->listView()->size(), QSize(320 - 27, 500 - 106));
        QCOMPARE(m_panel->scrollArea()->size(), m_panel->listView()->size());
        QCOMPARE(child<QLabel>("resizeBottom")->geometry().bottomRight(),
                 QPoint(320 - 260, 500 - 440)
                     + QRect(QPoint(240, 420), child<QLabel>("resizeBottom")->size()).bottomRight());
        child<QToolButton>("switchBtn")->click();
        m_panel->resize(300, 480);
        closeLibrary();
        QCOMPARE(setting(QStringLiteral("medialibrary/mode")).toInt(), int(MediaLibraryPanel::ListMode));
        QCOMPARE(setting(QStringLiteral("medialibrary/width")).toInt(), 300);
        QCOMPARE(setting(QStringLiteral("medialibrary/height")).toInt(), 480);
    }

    void theGripResizesAboutTheVerticalCentre_data()
    {
        QTest::addColumn<int>("dragDown");
        QTest::addColumn<int>("parentHeight");
        QTest::addColumn<int>("expectedHeight");
        QTest::newRow("10 pixels down") << 10 << 1000 << 460;
        QTest::newRow("bounded by the window") << 300 << 700 << 600;
        QTest::newRow("never below the form") << -100 << 1000 << 440;
    }
    void theGripResizesAboutTheVerticalCentre()
    {
        QFETCH(int, dragDown);
        QFETCH(int, parentHeight);
        QFETCH(int, expectedHeight);
        QWidget window;
        window.resize(1000, parentHeight);
        openLibrary(&window);
        window.show();
        m_panel->move(0, 100);
        QSignalSpy resized(m_service, &MediaLibraryIntf::widgetResized);
        auto *grip = child<QLabel>("resizeBottom");
        // The pointer takes the panel by its bottom edge.
        const QPoint start = grip->mapFrom(m_panel, QPoint(m_panel->width() - 1, m_panel->height()));
        QTest::mousePress(grip, Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(0, dragDown)),
                         QPointF(grip->mapToGlobal(start + QPoint(0, dragDown))), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(grip, &move);
        QTest::mouseRelease(grip, Qt::LeftButton, {}, start + QPoint(0, dragDown));
        QCOMPARE(m_panel->height(), expectedHeight);
        // Half above, half below.
        QCOMPARE(m_panel->y(), 100 - (expectedHeight - 440) / 2);
        QCOMPARE(resized.isEmpty(), expectedHeight == 440);
    }

    // A large stored size, the grip pulled far from a panel at the window's top and a window made smaller
    // all keep the whole panel, its header included, inside the window.
    void thePanelStaysInsideTheWindow()
    {
        setSetting(QStringLiteral("medialibrary/width"), 700);
        setSetting(QStringLiteral("medialibrary/height"), 2000);
        QWidget window;
        window.resize(1000, 700);
        openLibrary(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto inside = [&window, this] { return window.rect().contains(m_panel->geometry()); };
        QVERIFY2(inside(), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                          .arg(m_panel->x())
                                          .arg(m_panel->y())
                                          .arg(m_panel->width())
                                          .arg(m_panel->height())));
        QCOMPARE(m_panel->height(), 600);

        m_panel->resize(260, 440);
        m_panel->move(0, 0);
        auto *grip = child<QLabel>("resizeBottom");
        const QPoint start = grip->mapFrom(m_panel, QPoint(m_panel->width() - 1, m_panel->height()));
        const QPoint end = start + QPoint(300, 400);
        QTest::mousePress(grip, Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(end), QPointF(grip->mapToGlobal(end)), Qt::NoButton, Qt::LeftButton,
                         {});
        QApplication::sendEvent(grip, &move);
        QTest::mouseRelease(grip, Qt::LeftButton, {}, end);
        QCOMPARE(m_panel->height(), 600);
        QVERIFY(inside());
        QVERIFY(!Screenshot::save(&window, QStringLiteral("panel-largest")).isEmpty());

        window.resize(800, 450);
        QTRY_COMPARE(m_panel->height(), 440);
        QVERIFY(inside());
        QCOMPARE(m_panel->y(), 0);
    }

    // A file trashed through its information dialog leaves the search results it was found in.
    void aFileTrashedFromTheResultsLeavesThem()
    {
        touch(QStringLiteral("waves.jpg"));
        touch(QStringLiteral("waves at dusk.jpg"));
        openLibrary();
        auto *searchEdit = child<QLineEdit>("lineEdit");
        searchEdit->setText(QStringLiteral("waves"));
        QTest::keyClick(searchEdit, Qt::Key_Return);
        QCOMPARE(rowNames(m_panel->listView()->model()), (QStringList{"waves at dusk.jpg", "waves.jpg"}));
        MediaImpl *shown = nullptr;
        for (MediaImpl *record : m_panel->searchModel()->mediaList()) {
            if (record->path().endsWith(QLatin1String("/waves.jpg")))
                shown = record;
        }
        QVERIFY(shown);
        ModalAnswerer answerer([](QWidget *dialog) {
            dialog->findChild<QPushButton *>(QStringLiteral("pushButton_trashCan"))->click();
        });
        m_service->showMediaInfo(shown);
        QVERIFY(answerer.answered());
        QVERIFY(!QFileInfo::exists(QDir(m_media).filePath(QStringLiteral("waves.jpg"))));
        QCOMPARE(rowNames(m_panel->listView()->model()), QStringList{"waves at dusk.jpg"});
    }

    // Another save folder chosen in the settings is what the library shows next, search results or not.
    void theSaveFolderChosenInTheSettingsIsShown()
    {
        const QString other = m_root->filePath(QStringLiteral("Other captures"));
        QVERIFY(QDir().mkpath(other));
        touch(QStringLiteral("waves.jpg"));
        QFile(QDir(other).filePath(QStringLiteral("new capture.jpg"))).open(QIODevice::WriteOnly);
        openLibrary();
        auto *searchEdit = child<QLineEdit>("lineEdit");
        searchEdit->setText(QStringLiteral("waves"));
        QTest::keyClick(searchEdit, Qt::Key_Return);
        QVERIFY(m_panel->searchModel());
        SettingImpl *settings = SettingImpl::getInstance();
        settings->setSavePath(other);
        settings->release();
        m_service->showSaveFolder();
        QVERIFY(!m_panel->searchModel());
        QCOMPARE(m_panel->currentFolder().absolutePath(), other);
        QCOMPARE(rowNames(m_panel->listView()->model()), QStringList{"new capture.jpg"});
    }

    void aLongPathIsCutAtItsEnd()
    {
        const QString deep =
            QDir(m_media).filePath(QStringLiteral("A rather long unit name/With a week folder/And a day"));
        QVERIFY(QDir().mkpath(deep));
        openLibrary();
        enter(deep);
        const QString text = child<QLabel>("currentFolder")->text();
        QVERIFY2(text.endsWith(QLatin1String("...")), qPrintable(text));
        QVERIFY(deep.startsWith(text.chopped(3)));
        QVERIFY(child<QLabel>("currentFolder")->sizeHint().width() <= child<QLabel>("currentFolder")->width());
    }

    void panelInBothViews()
    {
        const QColor colors[] = {Qt::red, Qt::darkGreen, Qt::blue, Qt::darkYellow};
        const char *names[] = {"Board 1.jpg", "Board 2.jpg", "Experiment.png", "Map 10.jpg"};
        for (int i = 0; i < 4; ++i)
            writeImage(QDir(m_media).filePath(QLatin1String(names[i])), colors[i]);
        QVERIFY(!TestMedia::writeAvi(m_media, QStringLiteral("Lesson_1.avi"), 1.0, {160, 120}, false).isEmpty());
        QVERIFY(QDir().mkpath(QDir(m_media).filePath(QStringLiteral("Unit 2"))));
        openLibrary();
        m_panel->resize(320, 520);
        m_panel->show();
        QVERIFY(!Screenshot::save(m_panel, QStringLiteral("list-view")).isEmpty());

        child<QToolButton>("switchBtn")->click();
        MediaFileStore *store = MediaFileStore::getInstance();
        QTRY_VERIFY_WITH_TIMEOUT(store->hasThumbnail(QDir(m_media).filePath(QStringLiteral("Lesson_1.avi"))), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(store->hasThumbnail(QDir(m_media).filePath(QStringLiteral("Map 10.jpg"))), 30000);
        // Once made, the thumbnails are what the tiles show.
        enter(m_media);
        QTest::qWait(500);
        QVERIFY(!Screenshot::save(m_panel, QStringLiteral("thumbnail-view")).isEmpty());
    }
};

QUILLO_TEST_MAIN(TestMediaLibraryPanel)
#include "tst_MediaLibraryPanel.moc"
