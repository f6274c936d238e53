#include "DialogWatchdog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibraryDatabase.h"
#include "MediaViewOperations.h"
#include "MessageBoxScript.h"
#include "TestEnvironment.h"
#include "TestMedia.h"

#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>
#include <optional>

class TestMediaViewOperations : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_view;

    QString path(const QString &relative) const { return m_dir->path() + QLatin1Char('/') + relative; }
    QString makeFile(const QString &relative, const QByteArray &content = "media")
    {
        return TestMedia::writeFile(path(relative), content);
    }
    static void describe(const QString &file, const QString &title, const QString &keywords = QString(),
                         int youtubeStatus = MediaImpl::STATUS_NONE)
    {
        MediaFileStore *store = MediaFileStore::getInstance();
        store->makeCacheFolder(QFileInfo(file).absolutePath());
        MediaImpl record(file);
        record.setTitle(title);
        record.setKeywords(keywords);
        record.setUploadStatus(MediaImpl::SERVICE_YOUTUBE, youtubeStatus);
        store->writeInfo(&record);
    }
    static QString titleOf(const QString &file)
    {
        MediaImpl record(file);
        MediaFileStore::getInstance()->readInfo(&record);
        return record.title();
    }
    static QByteArray contentOf(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    static std::unique_ptr<QMimeData> urls(const QList<QUrl> &list)
    {
        auto mime = std::make_unique<QMimeData>();
        mime->setUrls(list);
        return mime;
    }

private Q_SLOTS:
    void init()
    {
        m_watchdog.emplace();
        m_dir = std::make_unique<QTemporaryDir>(TestEnvironment::home() + QStringLiteral("/Ops-XXXXXX"));
        m_view = std::make_unique<QWidget>();
        MediaFileStore::getInstance()->setShowingImage(QString());
    }
    void cleanup()
    {
        MediaFileStore::getInstance()->setShowingImage(QString());
        m_view.reset();
        m_dir.reset();
        m_watchdog.reset();
    }

    // An entry protects the path it holds and the folders above it, letter case aside.
    void protection_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("protectedPath");
        QTest::addColumn<QString>("warning");
        QTest::newRow("its folder") << "a" << true << "This folder is in use";
        QTest::newRow("the folder holding it") << "a/b" << true << "This folder is in use";
        QTest::newRow("the file itself") << "a/b/pic.jpg" << true << "This file is in use";
        QTest::newRow("a neighbour") << "a/b/other.jpg" << false << "";
    }
    void protection()
    {
        QFETCH(QString, relative);
        makeFile(QStringLiteral("a/b/pic.jpg"));
        makeFile(QStringLiteral("a/b/other.jpg"));
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        operations.appendProtectedPath(path(QStringLiteral("a/b/pic.jpg")).toLower());
        operations.appendProtectedPath(path(QStringLiteral("a/b/pic.jpg")).toLower());
        QCOMPARE(operations.protectedPaths().size(), 1);
        MessageBoxScript boxes;
        QTEST(operations.isProtected(path(relative)), "protectedPath");
        QTEST(boxes.lastText(), "warning");
        operations.removeProtectedPath(path(QStringLiteral("a/b/pic.jpg")).toLower());
        QVERIFY(!operations.isProtected(path(relative)));
    }

    void menuHasDeleteAndRename()
    {
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        QCOMPARE(operations.menu()->actions().size(), 2);
        QCOMPARE(operations.menu()->actions().at(0)->text(), QStringLiteral("Delete"));
        QCOMPARE(operations.menu()->actions().at(1)->text(), QStringLiteral("Rename"));
        QVERIFY(operations.prepareMenu(makeFile(QStringLiteral("x.jpg"))));
        QVERIFY(operations.deleteAction()->isEnabled() && operations.renameAction()->isEnabled());
        QVERIFY(!operations.newFolderAction()->isEnabled());
        QVERIFY(!operations.prepareMenu(QStringLiteral("/")));
    }

    // What the survey finds in a folder, per view rule; false only for visible, writable media never
    // chosen for upload.
    void survey_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("attention");
        QTest::addColumn<QList<int>>("counts"); // nonMedia, hidden, uploadedBefore, uploading, readOnly, total
        const int list = int(MediaViewOperations::SurveyRule::List);
        const int thumbs = int(MediaViewOperations::SurveyRule::Thumbnail);
        QTest::newRow("two plain JPEGs") << list << QStringList{"x/a.jpg", "x/sub/b.JPG"} << false
                                         << QList<int>{0, 0, 0, 0, 0, 2};
        QTest::newRow("hidden JPEG") << list << QStringList{"x/.a.jpg"} << true << QList<int>{0, 1, 0, 0, 0, 1};
        QTest::newRow("text file") << list << QStringList{"x/notes.txt"} << true << QList<int>{1, 0, 0, 0, 0, 1};
        QTest::newRow("queued") << list << QStringList{"x/queued.avi"} << true << QList<int>{0, 0, 0, 1, 0, 1};
        QTest::newRow("uploaded") << list << QStringList{"x/up.png"} << true << QList<int>{0, 0, 1, 0, 0, 1};
        QTest::newRow(".tif in the list") << list << QStringList{"x/scan.tif"} << false << QList<int>{0, 0, 0, 0, 0, 1};
        QTest::newRow(".tif among thumbnails")
            << thumbs << QStringList{"x/scan.tif"} << true << QList<int>{1, 0, 0, 0, 0, 1};
    }
    void survey()
    {
        QFETCH(int, rule);
        QFETCH(QStringList, files);
        QFETCH(bool, attention);
        QFETCH(QList<int>, counts);
        for (const QString &file : files) {
            const QString made = makeFile(file);
            if (file.contains(QStringLiteral("queued")))
                describe(made, QString(), QString(), MediaImpl::STATUS_QUEUED);
            else if (file.contains(QStringLiteral("up.")))
                describe(made, QString(), QString(), MediaImpl::STATUS_UPLOADED);
        }
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule(rule));
        DeleteCounts found;
        QCOMPARE(operations.countFolderContents(path(QStringLiteral("x")), found), attention);
        QCOMPARE((QList<int>{found.nonMedia, found.hiddenMedia, found.uploadedBefore, found.uploading, found.readOnly,
                             found.total}),
                 counts);
    }

    // A link inside the folder is one entry that is no media file; what lies behind it is not surveyed
    // (a link back up the tree would otherwise never end).
    void surveyNeverFollowsLinks()
    {
        makeFile(QStringLiteral("x/a.jpg"));
        for (const char *name : {"1.txt", "2.txt", "3.txt"})
            makeFile(QStringLiteral("outside/") + name);
        QVERIFY(QFile::link(path(QStringLiteral("outside")), path(QStringLiteral("x/toOutside"))));
        QVERIFY(QFile::link(path(QStringLiteral("x")), path(QStringLiteral("x/loop"))));
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        DeleteCounts found;
        QVERIFY(operations.countFolderContents(path(QStringLiteral("x")), found));
        QCOMPARE(found.total, 3);
        QCOMPARE(found.nonMedia, 2);
    }

    void deleteQuestionIsCut()
    {
        QCOMPARE(MediaViewOperations::deleteQuestion(QStringLiteral("Trip")),
                 QStringLiteral("Do you want to delete \"Trip\""));
        const QString cut = MediaViewOperations::deleteQuestion(QString(60, QLatin1Char('n')));
        QCOMPARE(cut.size(), 74);
        QVERIFY(cut.endsWith(QStringLiteral("nnn...\"")));
        QCOMPARE(MediaViewOperations::deleteQuestion(QString(49, QLatin1Char('n'))).size(), 73);
    }

    // A folder of plain media asks Yes/No (No keeps it); a link goes at once, without a question or a signal.
    void deletingFoldersAndLinks()
    {
        const QString folder = path(QStringLiteral("Trip"));
        makeFile(QStringLiteral("Trip/a.jpg"));
        const QString link = path(QStringLiteral("link.jpg"));
        QVERIFY(QFile::link(path(QStringLiteral("Trip/a.jpg")), link));
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        QSignalSpy removed(&operations, &MediaViewOperations::fileRemoved);
        bool fileViewShown = false;
        const auto showFileDelete = [&fileViewShown] { fileViewShown = true; };

        MessageBoxScript boxes;
        MediaImpl linkRecord(link);
        operations.deleteRecord(&linkRecord, showFileDelete);
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(QFile::exists(path(QStringLiteral("Trip/a.jpg"))));
        QVERIFY(boxes.shown().isEmpty());

        MediaImpl folderRecord(folder);
        boxes.answerNext(QMessageBox::No);
        operations.deleteRecord(&folderRecord, showFileDelete);
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().at(0).title, QStringLiteral("Delete..."));
        QCOMPARE(boxes.shown().at(0).defaultButton, QMessageBox::No);
        QVERIFY(QFileInfo::exists(folder));

        boxes.answerNext(QMessageBox::Yes);
        operations.deleteRecord(&folderRecord, showFileDelete);
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(!fileViewShown);
        QCOMPARE(removed.size(), 0);
    }

    // A file goes through the delete view; fileRemoved follows only when the file is really gone.
    void deletingAFileTellsWhenItIsGone()
    {
        const QString file = makeFile(QStringLiteral("pic.jpg"));
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::Thumbnail);
        QSignalSpy removed(&operations, &MediaViewOperations::fileRemoved);
        MediaImpl record(file);
        operations.deleteRecord(&record, [] {});
        QCOMPARE(removed.size(), 0);
        operations.deleteRecord(&record, [&file] { QFile::remove(file); });
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.at(0).at(0).toString(), file);
    }

    // The drag carries a file URL: other programs read the file, and names with '%' or '#' come back as
    // they are.
    void dragCarriesAFileUrl()
    {
        const QString file = path(QStringLiteral("50%41 #1.jpg"));
        std::unique_ptr<QMimeData> mime(MediaViewOperations::dragData(file));
        QCOMPARE(mime->urls().size(), 1);
        QCOMPARE(mime->urls().at(0).scheme(), QStringLiteral("file"));
        QCOMPARE(mime->urls().at(0).toLocalFile(), file);
        QCOMPARE(MediaViewOperations::draggedPath(mime.get()), file);
        // A scheme-less URL, as other programs may send, reads back as its text.
        QCOMPARE(MediaViewOperations::draggedPath(urls({QUrl(QStringLiteral("/tmp/x.jpg"))}).get()),
                 QStringLiteral("/tmp/x.jpg"));
    }

    void dragEnterTakesOneMediaFile_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("one png") << QStringList{"/d/a.PNG"} << true;
        QTest::newRow("one video") << QStringList{"/d/a.wmv"} << true;
        QTest::newRow("two files") << QStringList{"/d/a.png", "/d/b.png"} << false;
        QTest::newRow("a folder") << QStringList{"/d/folder"} << false;
        QTest::newRow("a text file") << QStringList{"/d/a.txt"} << false;
        QTest::newRow("nothing") << QStringList{} << false;
        QTest::newRow("a picture from a web page") << QStringList{"https://example.org/photos/a.jpg"} << false;
        QTest::newRow("a picture by ftp") << QStringList{"ftp://example.org/a.png"} << false;
    }
    void dragEnterTakesOneMediaFile()
    {
        QFETCH(QStringList, files);
        QList<QUrl> list;
        for (const QString &file : files)
            list.append(file.contains(QLatin1String("://")) ? QUrl(file) : QUrl::fromLocalFile(file));
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        QTEST(operations.acceptsDrag(urls(list).get()), "accepted");
    }

    // A drop from outside queues a copy into the target; copies into the source's own folder are
    // numbered from Copy0-.
    void dropFromOutsideCopies()
    {
        const QString source = makeFile(QStringLiteral("pic.jpg"), "picture");
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        QSignalSpy changed(&operations, &MediaViewOperations::fileContentChanged);
        MessageBoxScript boxes;

        auto two = urls({QUrl::fromLocalFile(source), QUrl::fromLocalFile(source)});
        QDropEvent twoDrop(QPointF(1, 1), Qt::CopyAction, two.get(), Qt::LeftButton, Qt::NoModifier);
        QVERIFY(!operations.drop(&twoDrop, m_dir->path(), QString(), MediaImpl::TYPE_UNKNOWN));

        auto one = urls({QUrl::fromLocalFile(source)});
        QDropEvent oneDrop(QPointF(1, 1), Qt::CopyAction, one.get(), Qt::LeftButton, Qt::NoModifier);
        QVERIFY(operations.drop(&oneDrop, m_dir->path(), QString(), MediaImpl::TYPE_UNKNOWN));
        QTRY_COMPARE(changed.size(), 1);
        QCOMPARE(contentOf(path(QStringLiteral("Copy0-pic.jpg"))), QByteArray("picture"));
        operations.queueTransfer(source, m_dir->path());
        QVERIFY(operations.localCopyFile());
        QVERIFY(QFile::exists(path(QStringLiteral("Copy1-pic.jpg"))));
        QCOMPARE(changed.at(0).at(0).toString(), m_dir->path());
        QVERIFY(!operations.transferBusy());
    }

    // Moving the view's own item: refusals leave everything; a move into a folder never shown keeps the
    // file's information and its keywords in the index, at the new place only.
    void movingOwnItem()
    {
        const QString source = makeFile(QStringLiteral("from/pic.jpg"), "picture");
        describe(source, QStringLiteral("Volcano"), QStringLiteral("geology"));
        const QString target = path(QStringLiteral("never shown"));
        QDir().mkpath(target);
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        auto mime = urls({QUrl::fromLocalFile(source)});
        QDropEvent drop(QPointF(1, 1), Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        MessageBoxScript boxes;

        // Onto its own folder: accepted, nothing happens.
        QVERIFY(operations.drop(&drop, path(QStringLiteral("FROM")), source, MediaImpl::TYPE_IMAGE));
        // The image shown full-size stays.
        MediaFileStore::getInstance()->setShowingImage(source);
        QVERIFY(operations.drop(&drop, target, source, MediaImpl::TYPE_IMAGE));
        QCOMPARE(boxes.lastText(), QStringLiteral("This file is in use"));
        MediaFileStore::getInstance()->setShowingImage(QString());
        QTest::qWait(2 * MediaViewOperations::kTransferDelayMs);
        QVERIFY(QFile::exists(source));

        QSignalSpy changed(&operations, &MediaViewOperations::fileContentChanged);
        QVERIFY(operations.drop(&drop, target, source, MediaImpl::TYPE_IMAGE));
        QTRY_COMPARE(changed.size(), 1);
        const QString moved = target + QStringLiteral("/pic.jpg");
        QVERIFY(!QFile::exists(source));
        QCOMPARE(contentOf(moved), QByteArray("picture"));
        QCOMPARE(titleOf(moved), QStringLiteral("Volcano"));
        QVERIFY(!MediaFileStore::getInstance()->hasInfoFile(source));
        MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
        const QStringList found = index->searchKeyword(QStringLiteral("geology"));
        MediaLibraryDatabase::release();
        QCOMPARE(found.size(), 1);
        QCOMPARE(QFileInfo(found.at(0)).fileName().toLower(), QStringLiteral("pic.jpg"));
        QVERIFY(found.at(0).contains(QStringLiteral("never shown"), Qt::CaseInsensitive));
    }

    void movingQueuedFileIsRefused()
    {
        const QString source = makeFile(QStringLiteral("from/clip.avi"));
        describe(source, QStringLiteral("Queued"), QString(), MediaImpl::STATUS_QUEUED);
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        auto mime = urls({QUrl::fromLocalFile(source)});
        QDropEvent drop(QPointF(1, 1), Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        MessageBoxScript boxes;
        QVERIFY(operations.drop(&drop, m_dir->path(), source, MediaImpl::TYPE_VIDEO));
        QCOMPARE(boxes.lastText(), QStringLiteral("This file is in Upload queue"));
        QTest::qWait(2 * MediaViewOperations::kTransferDelayMs);
        QVERIFY(QFile::exists(source));
    }

    // Replacing a file: No keeps both; a failed move keeps the file it would have replaced with its
    // information, and the source with its own.
    void replacingAFile()
    {
        // Long enough that the transfer dialog refuses the destination path.
        QString deep = path(QStringLiteral("deep"));
        while (deep.size() < 236)
            deep += QStringLiteral("/d");
        const QString existing = deep + QStringLiteral("/pic.jpg");
        QDir().mkpath(deep);
        {
            QFile out(existing);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("old picture");
        }
        describe(existing, QStringLiteral("Old"));
        const QString source = makeFile(QStringLiteral("pic.jpg"), "new picture");
        describe(source, QStringLiteral("New"));
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        auto mime = urls({QUrl::fromLocalFile(source)});
        QDropEvent drop(QPointF(1, 1), Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);

        MessageBoxScript boxes;
        boxes.answerNext(QMessageBox::No);
        QVERIFY(!operations.drop(&drop, deep, source, MediaImpl::TYPE_IMAGE));
        QCOMPARE(boxes.lastText(), QStringLiteral("Destination file exists. Do you want to replace?"));

        boxes.answerNext(QMessageBox::Yes);
        QVERIFY(operations.drop(&drop, deep, source, MediaImpl::TYPE_IMAGE));
        QSignalSpy changed(&operations, &MediaViewOperations::fileContentChanged);
        const qsizetype asked = boxes.shown().size();
        // The transfer dialog refuses the path with a message of its own.
        QTRY_VERIFY(boxes.shown().size() > asked);
        QVERIFY(!operations.transferBusy());
        QCOMPARE(changed.size(), 0);
        QCOMPARE(contentOf(existing), QByteArray("old picture"));
        QCOMPARE(titleOf(existing), QStringLiteral("Old"));
        QCOMPARE(contentOf(source), QByteArray("new picture"));
        QCOMPARE(titleOf(source), QStringLiteral("New"));
    }

    // The item's own folder by another spelling: the drop asks nothing and a move there is done with the
    // file, its information and its keywords all kept.
    void movingOntoItselfByAnotherSpelling_data()
    {
        QTest::addColumn<QString>("spelling");
        QTest::newRow("folder link") << "link";
        QTest::newRow("dot dot") << "from/../from";
        QTest::newRow("doubled slash") << "/from";
    }
    void movingOntoItselfByAnotherSpelling()
    {
        QFETCH(QString, spelling);
        const QString source = makeFile(QStringLiteral("from/pic.jpg"), "picture");
        describe(source, QStringLiteral("Volcano"), QStringLiteral("geology"));
        QVERIFY(QFile::link(path(QStringLiteral("from")), path(QStringLiteral("link"))));
        const QString target = path(spelling);
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        auto mime = urls({QUrl::fromLocalFile(source)});
        QDropEvent drop(QPointF(1, 1), Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        MessageBoxScript boxes;
        boxes.answerNext(QMessageBox::Yes);

        QVERIFY(operations.drop(&drop, target, source, MediaImpl::TYPE_IMAGE));
        QTest::qWait(2 * MediaViewOperations::kTransferDelayMs);
        QCOMPARE(boxes.shown().size(), 0);

        operations.queueTransfer(source, target);
        QVERIFY(operations.localMoveFile());
        QCOMPARE(contentOf(source), QByteArray("picture"));
        QCOMPARE(titleOf(source), QStringLiteral("Volcano"));
        MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
        const QStringList found = index->searchKeyword(QStringLiteral("geology"));
        MediaLibraryDatabase::release();
        QVERIFY(found.contains(source));
    }

    void newFolderRequestNamesTheCurrentFolder()
    {
        MediaViewOperations operations(m_view.get(), MediaViewOperations::SurveyRule::List);
        QVERIFY(operations.changeCurDir(m_dir->path()));
        QVERIFY(!operations.changeCurDir(path(QStringLiteral("missing"))));
        QSignalSpy requests(&operations, &MediaViewOperations::newFolderRequest);
        operations.newFolderAction()->trigger();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.at(0).at(0).value<QDir>().absolutePath(), m_dir->path());
    }
};

QUILLO_TEST_MAIN(TestMediaViewOperations)
#include "tst_MediaViewOperations.moc"
