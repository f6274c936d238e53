#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibraryDatabase.h"
#include "MessageBoxScript.h"
#include "TestEnvironment.h"
#include "UploadAccess.h"
#include "UploadIntf.h"

namespace {

// Records what the media store asks of the upload service.
class FakeUpload : public UploadIntf
{
public:
    QList<QMap<uint, QString>> removals;
    int releases = 0;

    void release() override { ++releases; }
    bool reloadAccount(uint) override { return false; }
    AccountRecord account(uint) override { return {}; }
    int checkAccountName(uint, AccountRecord) override { return 0; }
    int setAccount(uint, AccountRecord) override { return 0; }
    bool validateAccounts(QMap<uint, AccountRecord>, QWidget *) override { return false; }
    bool showAccountSetting(uint, QWidget *) override { return false; }
    bool verifyAccess(uint, QWidget *) override { return false; }
    int checkImageUploadInputs(uint, QString, QString, QString, QString, QStringList) override { return 0; }
    int uploadImageNow(uint, QString, QString, QString, QString, QStringList, QList<UploadResult> &) override
    {
        return 0;
    }
    int queueImageUpload(QMap<uint, QDateTime>, QString, QString, QString, QString, QStringList) override { return 0; }
    int checkVideoUploadInputs(uint, QString, QString, QString, QString, QStringList) override { return 0; }
    int uploadVideoNow(uint, QString, QString, QString, QString, QStringList, QList<UploadResult> &) override
    {
        return 0;
    }
    int queueVideoUpload(QMap<uint, QDateTime>, QString, QString, QString, QString, QStringList) override { return 0; }
    void removeUploadedFiles(QMap<uint, QString> ids) override { removals.append(ids); }
    void showUploadManager() override {}
    int confirmExit() override { return 0; }
};

struct HookCall
{
    bool after;
    bool refresh;
};

void recordHook(void *context, bool after, bool refresh)
{
    static_cast<QList<HookCall> *>(context)->append({after, refresh});
}

const QString kForbidden = QStringLiteral("File name cannot contain following characters:\n\" / \\ : * ? < > |");

} // namespace

class TestMediaFileOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void removeDropsCompanionsAfterTheFile();
    void removeOfVanishedFileIsSilent();
    void removeRefusals_data();
    void removeRefusals();
    void removeWithLinksWithdrawsOnlyWhenGone();
    void removeOnlineCopiesAsksEvenForNone();
    void renameMovesFileCompanionsAndRows();
    void renameReplacesStaleCompanions();
    void renameRefusals_data();
    void renameRefusals();
    void renameWithoutSuffixAndOfFolders_data();
    void renameWithoutSuffixAndOfFolders();
    void renameFailureEndsHook_data();
    void renameFailureEndsHook();
    void twinsKeepTheirSharedRows();
    void renamePathsBeyondTheLimit_data();
    void renamePathsBeyondTheLimit();
    void writeInfoOfAPathBeyondTheLimitChangesNothing();

private:
    QString makeFile(const QString &name, const QByteArray &content = "data");
    // A folder below the media folder whose path is about length characters long, made of names the file
    // system takes; empty when it cannot be made.
    QString deepFolder(int length);
    void writeInfoWith(const QString &path, const std::function<void(MediaImpl &)> &edit);
    QStringList search(const QString &word);

    MediaFileStore *m_store = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_media;
    FakeUpload m_upload;
    QList<HookCall> m_hook;
};

void TestMediaFileOperations::initTestCase()
{
    m_store = MediaFileStore::getInstance();
    m_store->setRenameHook(&recordHook, &m_hook);
    UploadAccess::setProvider([this] { return &m_upload; });
}

void TestMediaFileOperations::init()
{
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Media-XXXXXX"));
    m_media = m_dir->path();
    m_store->makeCacheFolder(m_media);
    m_upload.removals.clear();
    m_hook.clear();
    m_store->setShowingImage(QString());
    m_store->setPlayingVideo(QString());
    m_store->setThumbnailingVideo(QString());
}

void TestMediaFileOperations::cleanup()
{
    m_dir.reset();
}

QString TestMediaFileOperations::makeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_media + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

void TestMediaFileOperations::writeInfoWith(const QString &path, const std::function<void(MediaImpl &)> &edit)
{
    MediaImpl record(path);
    edit(record);
    m_store->writeInfo(&record);
    QFile thumbnail(m_store->thumbnailPath(path));
    thumbnail.open(QIODevice::WriteOnly);
}

QString TestMediaFileOperations::deepFolder(int length)
{
    // Well below the 255-byte name limit, so only the path's length counts.
    constexpr int kComponent = 200;
    QString path = m_media;
    while (path.size() + 1 + kComponent <= length)
        path += QLatin1Char('/') + QString(kComponent, QLatin1Char('d'));
    if (length - path.size() > 1)
        path += QLatin1Char('/') + QString(length - path.size() - 1, QLatin1Char('e'));
    return QDir().mkpath(path) ? path : QString();
}

QStringList TestMediaFileOperations::search(const QString &word)
{
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    const QStringList found = index->searchKeywords({word});
    MediaLibraryDatabase::release();
    return found;
}

void TestMediaFileOperations::removeDropsCompanionsAfterTheFile()
{
    const QString path = makeFile(QStringLiteral("Photo.jpg"));
    writeInfoWith(path, [](MediaImpl &r) { r.setKeywords(QStringLiteral("beach")); });
    QCOMPARE(search(QStringLiteral("beach")), QStringList{path});
    MessageBoxScript boxes;
    MediaImpl record(path);
    m_store->removeMediaFile(&record);
    QVERIFY(boxes.shown().isEmpty());
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!m_store->hasInfoFile(path));
    QVERIFY(!m_store->hasThumbnail(path));
    QVERIFY(search(QStringLiteral("beach")).isEmpty());
}

void TestMediaFileOperations::removeOfVanishedFileIsSilent()
{
    const QString path = makeFile(QStringLiteral("Clip.avi"));
    writeInfoWith(path, [](MediaImpl &r) {
        r.setKeywords(QStringLiteral("lesson"));
        r.setUploadStatus(MediaImpl::SERVICE_YOUTUBE, MediaImpl::STATUS_QUEUED);
    });
    QFile::remove(path);
    // Even the playing video and a queued one: there is nothing left to protect.
    m_store->setPlayingVideo(path);
    MessageBoxScript boxes;
    MediaImpl record(path);
    m_store->removeMediaFile(&record);
    QVERIFY(boxes.shown().isEmpty());
    QVERIFY(!m_store->hasInfoFile(path));
    QVERIFY(!m_store->hasThumbnail(path));
    QVERIFY(search(QStringLiteral("lesson")).isEmpty());
}

void TestMediaFileOperations::removeRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("busy"); // which busy path names the file
    QTest::addColumn<int>("youtubeStatus");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("image shown") << "a.jpg"
                                 << "image" << 2 << "Remove failed"
                                 << "This file is playing";
    QTest::newRow("video playing") << "a.avi"
                                   << "video" << 2 << "Remove failed"
                                   << "This file is playing";
    QTest::newRow("video under the shown image's path") << "a.avi"
                                                        << "image" << 2 << ""
                                                        << "";
    QTest::newRow("thumbnailing") << "a.avi"
                                  << "thumbnail" << 2 << "Remove failed"
                                  << "Quillo is generating thumbnail for this file";
    QTest::newRow("queued") << "a.avi"
                            << "" << 1 << "File error"
                            << "This file is in upload queue";
    QTest::newRow("chosen only") << "a.avi"
                                 << "" << 0 << ""
                                 << "";
    QTest::newRow("uploaded") << "a.avi"
                              << "" << 3 << ""
                              << "";
    // A folder where the file is expected cannot be deleted as a file, even by root.
    QTest::newRow("cannot delete") << "folder.jpg"
                                   << "" << 2 << "File error"
                                   << "Delete file failed.\nThis file may be read-only or in use.";
}

void TestMediaFileOperations::removeRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, busy);
    QFETCH(int, youtubeStatus);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QString path = m_media + QLatin1Char('/') + name;
    if (name.startsWith(QLatin1String("folder")))
        QDir().mkpath(path + QStringLiteral("/inside"));
    else
        makeFile(name);
    writeInfoWith(path, [&](MediaImpl &r) {
        r.setKeywords(QStringLiteral("kept"));
        r.setUploadStatus(MediaImpl::SERVICE_YOUTUBE, youtubeStatus);
    });
    if (busy == QLatin1String("image"))
        m_store->setShowingImage(path);
    else if (busy == QLatin1String("video"))
        m_store->setPlayingVideo(path);
    else if (busy == QLatin1String("thumbnail"))
        m_store->setThumbnailingVideo(path);

    MessageBoxScript boxes;
    MediaImpl record(path);
    if (name.startsWith(QLatin1String("folder")))
        record.setType(MediaImpl::TYPE_IMAGE);
    m_store->removeMediaFile(&record);
    if (text.isEmpty()) {
        QVERIFY(boxes.shown().isEmpty());
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(!m_store->hasInfoFile(path));
        return;
    }
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.shown().first().title, title);
    QCOMPARE(boxes.shown().first().text, text);
    QCOMPARE(boxes.shown().first().icon, QMessageBox::Warning);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(m_store->hasInfoFile(path));
    QVERIFY(m_store->hasThumbnail(path));
    QCOMPARE(search(QStringLiteral("kept")), QStringList{path});
}

void TestMediaFileOperations::removeWithLinksWithdrawsOnlyWhenGone()
{
    const QString path = makeFile(QStringLiteral("Published.avi"));
    writeInfoWith(path, [](MediaImpl &r) {
        r.setYoutubeID(QStringLiteral("Y1"));
        r.setDropboxID(QStringLiteral("D1"));
        r.setSchooltubeID(QStringLiteral("S1"));
    });
    MessageBoxScript boxes;
    MediaImpl record(path);
    m_store->setPlayingVideo(path);
    m_store->removeMediaFileAndLinks(&record, true);
    QCOMPARE(boxes.shown().size(), 1);
    QVERIFY(m_upload.removals.isEmpty());

    m_store->setPlayingVideo(QString());
    m_store->removeMediaFileAndLinks(&record, true);
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(m_upload.removals.size(), 1);
    QCOMPARE(m_upload.removals.first(), (QMap<uint, QString>{{1, "Y1"}, {16, "D1"}}));

    m_store->removeMediaFileAndLinks(nullptr, true);
    QCOMPARE(m_upload.removals.size(), 1);
}

void TestMediaFileOperations::removeOnlineCopiesAsksEvenForNone()
{
    const QString path = makeFile(QStringLiteral("Never.jpg"));
    const int releases = m_upload.releases;
    QVERIFY(m_store->removeOnlineCopies(path));
    QCOMPARE(m_upload.removals.size(), 1);
    QVERIFY(m_upload.removals.first().isEmpty());
    QCOMPARE(m_upload.releases, releases + 1);
    QVERIFY(QFileInfo::exists(path));
}

void TestMediaFileOperations::renameMovesFileCompanionsAndRows()
{
    const QString path = makeFile(QStringLiteral("Photo.jpg"));
    const QString other = makeFile(QStringLiteral("other.jpg"));
    writeInfoWith(path, [](MediaImpl &r) {
        r.setTitle(QStringLiteral("mine"));
        r.setKeywords(QStringLiteral("sea"));
    });
    writeInfoWith(other, [](MediaImpl &r) { r.setKeywords(QStringLiteral("photo.jpg")); });
    MessageBoxScript boxes;
    MediaImpl record(path);

    m_store->renameMediaFile(&record, QStringLiteral("photo"), true);
    QVERIFY(m_hook.isEmpty());
    QCOMPARE(record.path(), path);

    m_store->renameMediaFile(&record, QStringLiteral("Holiday"), true);
    const QString renamed = m_media + QStringLiteral("/Holiday.jpg");
    QVERIFY(boxes.shown().isEmpty());
    QCOMPARE(record.path(), renamed);
    QVERIFY(QFileInfo::exists(renamed));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!m_store->hasInfoFile(path) && !m_store->hasThumbnail(path));
    QVERIFY(m_store->hasInfoFile(renamed) && m_store->hasThumbnail(renamed));
    MediaImpl readBack(renamed);
    m_store->readInfo(&readBack);
    QCOMPARE(readBack.title(), QStringLiteral("mine"));
    QCOMPARE(search(QStringLiteral("sea")), QStringList{renamed});
    QCOMPARE(search(QStringLiteral("holiday.jpg")), QStringList{renamed});
    QCOMPARE(search(QStringLiteral("photo.jpg")), QStringList{other});
    QCOMPARE(m_hook.size(), 2);
    QVERIFY(!m_hook.at(0).after && !m_hook.at(0).refresh);
    QVERIFY(m_hook.at(1).after && m_hook.at(1).refresh);
}

void TestMediaFileOperations::renameReplacesStaleCompanions()
{
    const QString path = makeFile(QStringLiteral("new.jpg"));
    const QString staleName = m_media + QStringLiteral("/Old Name.jpg");
    makeFile(QStringLiteral("Old Name.jpg"));
    writeInfoWith(staleName, [](MediaImpl &r) { r.setTitle(QStringLiteral("stale")); });
    QFile::remove(staleName);
    // The new file has neither information file nor thumbnail of its own.
    MediaImpl record(path);
    MessageBoxScript boxes;
    m_store->renameMediaFile(&record, QStringLiteral("Old Name"), false);
    QCOMPARE(record.path(), staleName);
    QVERIFY(!m_store->hasInfoFile(staleName));
    QVERIFY(!m_store->hasThumbnail(staleName));
}

void TestMediaFileOperations::renameRefusals_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("busy");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("colon, before length") << QString(300, QLatin1Char('a')) + ":"
                                          << "" << 2 << "Rename failed" << kForbidden;
    for (const char *c : {"\"", "/", "\\", "*", "?", "<", ">", "|"})
        QTest::newRow(c) << QStringLiteral("a%1b").arg(QLatin1String(c)) << "" << 2 << "Rename failed" << kForbidden;
    QTest::newRow("256 characters") << QString(256, QLatin1Char('n')) << "" << 2 << "Rename failed"
                                    << "File name is limited to 255 characters in length";
    // The file system counts bytes of the whole name: here one more than its 255.
    QTest::newRow("one byte over with the suffix") << QString(252, QLatin1Char('n')) << "" << 2 << "Rename failed"
                                                   << "File name is limited to 255 characters in length";
    QTest::newRow("128 two-byte characters") << QString(128, QChar(0x0436)) << "" << 2 << "Rename failed"
                                             << "File name is limited to 255 characters in length";
    QTest::newRow("playing") << "New"
                             << "video" << 2 << "Rename failed"
                             << "This file is playing";
    QTest::newRow("thumbnailing") << "New"
                                  << "thumbnail" << 2 << "Rename failed"
                                  << "Quillo is generating thumbnail for this file";
    QTest::newRow("queued") << "New"
                            << "" << 1 << "File error"
                            << "This file is in upload queue";
}

void TestMediaFileOperations::renameRefusals()
{
    QFETCH(QString, newName);
    QFETCH(QString, busy);
    QFETCH(int, status);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const QString path = makeFile(QStringLiteral("Clip.avi"));
    writeInfoWith(path, [&](MediaImpl &r) { r.setUploadStatus(MediaImpl::SERVICE_PICASA, status); });
    if (busy == QLatin1String("video"))
        m_store->setPlayingVideo(path);
    else if (busy == QLatin1String("thumbnail"))
        m_store->setThumbnailingVideo(path);
    MessageBoxScript boxes;
    MediaImpl record(path);
    m_store->renameMediaFile(&record, newName, true);
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.shown().first().title, title);
    QCOMPARE(boxes.shown().first().text, text);
    QCOMPARE(record.path(), path);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(m_hook.isEmpty());
}

void TestMediaFileOperations::renameWithoutSuffixAndOfFolders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("expected");

    // The file system's limit is 255 bytes for the whole name, suffix included.
    QTest::newRow("exactly the limit with the suffix")
        << "a.jpg" << false << QString(251, QLatin1Char('x')) << QString(251, QLatin1Char('x')) + ".jpg";
    QTest::newRow("exactly the limit in two-byte characters")
        << "a.jpg" << false << QString(125, QChar(0x0436)) + "x" << QString(125, QChar(0x0436)) + "x.jpg";
    QTest::newRow("folder of exactly the limit")
        << "Trip" << true << QString(127, QChar(0x0436)) + "x" << QString(127, QChar(0x0436)) + "x";
    QTest::newRow("no suffix gets no dot") << "README" << false << "NOTES"
                                           << "NOTES";
    QTest::newRow("folder with a dot in its name") << "Trip.2020" << true << "Trip"
                                                   << "Trip";
    QTest::newRow("folder") << "Trip" << true << "Tour"
                            << "Tour";
}

void TestMediaFileOperations::renameWithoutSuffixAndOfFolders()
{
    QFETCH(QString, name);
    QFETCH(bool, isFolder);
    QFETCH(QString, newName);
    QFETCH(QString, expected);
    const QString path = m_media + QLatin1Char('/') + name;
    QString inner;
    if (isFolder) {
        QDir().mkpath(path);
        inner = path + QStringLiteral("/In Side.jpg");
        makeFile(name + QStringLiteral("/In Side.jpg"));
        m_store->makeCacheFolder(path);
        writeInfoWith(inner, [](MediaImpl &r) { r.setKeywords(QStringLiteral("inner")); });
    } else {
        makeFile(name);
    }
    MessageBoxScript boxes;
    MediaImpl record(path);
    m_store->renameMediaFile(&record, newName, true);
    QVERIFY2(boxes.shown().isEmpty(), qPrintable(boxes.lastText()));
    const QString target = m_media + QLatin1Char('/') + expected;
    QCOMPARE(record.path(), target);
    QVERIFY(QFileInfo::exists(target));
    QVERIFY(!QFileInfo::exists(path));
    if (isFolder) {
        const QString movedInner = target + QStringLiteral("/In Side.jpg");
        QVERIFY(m_store->hasInfoFile(movedInner));
        QVERIFY(m_store->hasThumbnail(movedInner));
        QVERIFY(!QFileInfo::exists(m_store->mirrorPath(path)));
        QCOMPARE(search(QStringLiteral("inner")), QStringList{movedInner});
    }
}

void TestMediaFileOperations::renameFailureEndsHook_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    // As root nothing can be made "in use": a folder typed as a file cannot be opened read-write.
    QTest::newRow("cannot open") << "held.jpg"
                                 << "This file is in use";
    QTest::newRow("name taken") << "taken.jpg"
                                << "Rename failed:\nDestination file exists";
    QTest::newRow("vanished meanwhile") << "vanished.jpg"
                                        << "Rename failed:\nNo such file or directory";
}

void TestMediaFileOperations::renameFailureEndsHook()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    const QString path = m_media + QLatin1Char('/') + name;
    if (name.startsWith(QLatin1String("held")))
        QDir().mkpath(path);
    else if (name.startsWith(QLatin1String("taken"))) {
        makeFile(name);
        makeFile(QStringLiteral("New.jpg"), "the user's other file");
    }
    MessageBoxScript boxes;
    MediaImpl record(path);
    record.setType(MediaImpl::TYPE_IMAGE);
    m_store->renameMediaFile(&record, QStringLiteral("New"), true);
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.shown().first().title, QStringLiteral("File error"));
    QCOMPARE(boxes.shown().first().text, text);
    QCOMPARE(record.path(), path);
    QCOMPARE(m_hook.size(), 2);
    QVERIFY(m_hook.at(1).after && !m_hook.at(1).refresh);
    QCOMPARE(QFileInfo::exists(path), !name.startsWith(QLatin1String("vanished")));
    if (name.startsWith(QLatin1String("taken"))) {
        QFile other(m_media + QStringLiteral("/New.jpg"));
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), QByteArray("the user's other file"));
    }
}

void TestMediaFileOperations::twinsKeepTheirSharedRows()
{
    // Names that differ only in case share their index rows: the keywords last written for either.
    const QString upper = makeFile(QStringLiteral("Boat.jpg"));
    const QString lower = makeFile(QStringLiteral("boat.jpg"));
    writeInfoWith(upper, [](MediaImpl &r) { r.setKeywords(QStringLiteral("sail")); });
    writeInfoWith(lower, [](MediaImpl &r) { r.setKeywords(QStringLiteral("harbour")); });
    QStringList both = search(QStringLiteral("harbour"));
    both.sort();
    QCOMPARE(both, (QStringList{upper, lower}));
    MessageBoxScript boxes;

    // Renamed, the file takes its own keywords along and leaves the shared ones to its twin.
    MediaImpl record(upper);
    m_store->renameMediaFile(&record, QStringLiteral("Ship"), true);
    const QString ship = m_media + QStringLiteral("/Ship.jpg");
    QCOMPARE(record.path(), ship);
    QCOMPARE(search(QStringLiteral("harbour")), QStringList{lower});
    QCOMPARE(search(QStringLiteral("boat.jpg")), QStringList{lower});
    QCOMPARE(search(QStringLiteral("sail")), QStringList{ship});
    QCOMPARE(search(QStringLiteral("ship.jpg")), QStringList{ship});

    // Deleted while a twin is there, a file leaves the shared rows; the last spelling takes them along.
    const QString again = makeFile(QStringLiteral("BOAT.jpg"));
    MediaImpl twin(again);
    m_store->removeMediaFile(&twin);
    QVERIFY(!QFileInfo::exists(again));
    QCOMPARE(search(QStringLiteral("harbour")), QStringList{lower});
    MediaImpl last(lower);
    m_store->removeMediaFile(&last);
    QVERIFY(search(QStringLiteral("harbour")).isEmpty());
    QVERIFY(boxes.shown().isEmpty());
}

void TestMediaFileOperations::renamePathsBeyondTheLimit_data()
{
    QTest::addColumn<int>("folderLength");
    QTest::addColumn<int>("newNameLength");
    QTest::addColumn<bool>("renamed");
    // The new path would pass PATH_MAX (4096 bytes with its end): refused by the file system.
    QTest::newRow("new path too long") << 3970 << 200 << false;
    // The file fits, but its mirror under the cache root does not: the rename goes through, and its
    // companions, which could never be written, are left as the results of their moves are.
    QTest::newRow("companions beyond the limit") << 4085 << 1 << true;
}

void TestMediaFileOperations::renamePathsBeyondTheLimit()
{
    QFETCH(int, folderLength);
    QFETCH(int, newNameLength);
    QFETCH(bool, renamed);
    const QString folder = deepFolder(folderLength);
    QVERIFY(!folder.isEmpty());
    const QString path = folder + QStringLiteral("/a.jpg");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!m_store->hasInfoFile(path));
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    QVERIFY(index->addFileByPath(path, {QStringLiteral("deep")}));
    MediaLibraryDatabase::release();

    MessageBoxScript boxes;
    MediaImpl record(path);
    const QString newName(newNameLength, QLatin1Char('n'));
    m_store->renameMediaFile(&record, newName, true);
    const QString newPath = folder + QLatin1Char('/') + newName + QStringLiteral(".jpg");
    QCOMPARE(m_hook.size(), 2);
    QCOMPARE(m_hook.at(1).refresh, renamed);
    if (renamed) {
        QVERIFY2(boxes.shown().isEmpty(), qPrintable(boxes.lastText()));
        QCOMPARE(record.path(), newPath);
        QVERIFY(QFileInfo::exists(newPath));
        QCOMPARE(search(QStringLiteral("deep")), QStringList{newPath});
        return;
    }
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.shown().first().title, QStringLiteral("File error"));
    QVERIFY2(boxes.lastText().startsWith(QStringLiteral("Rename failed:\n")), qPrintable(boxes.lastText()));
    QCOMPARE(record.path(), path);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(QDir(folder).entryList(QDir::Files) == QStringList{QStringLiteral("a.jpg")});
    QCOMPARE(search(QStringLiteral("deep")), QStringList{path});
}

void TestMediaFileOperations::writeInfoOfAPathBeyondTheLimitChangesNothing()
{
    // The information file's path is the media path below the cache root: always the longer of the two.
    const QString folder = deepFolder(4085);
    QVERIFY(!folder.isEmpty());
    const QString path = folder + QStringLiteral("/a.jpg");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    QVERIFY(index->addFileByPath(path, {QStringLiteral("before")}));
    MediaLibraryDatabase::release();

    m_store->makeCacheFolder(path);
    MediaImpl record(path);
    record.setKeywords(QStringLiteral("after"));
    m_store->writeInfo(&record);
    QVERIFY(!m_store->hasInfoFile(path));
    QCOMPARE(search(QStringLiteral("before")), QStringList{path});
    QVERIFY(search(QStringLiteral("after")).isEmpty());
}

QUILLO_TEST_MAIN(TestMediaFileOperations)
#include "tst_MediaFileOperations.moc"
