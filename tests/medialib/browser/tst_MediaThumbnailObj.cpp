#include "DialogWatchdog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaThumbnailObj.h"
#include "MessageBoxScript.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "ThreadManager.h"

#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace {

// A record the test holds one reference on, given back at the end.
struct Record
{
    explicit Record(const QString &path)
        : media(new MediaImpl(path))
    {
    }
    ~Record() { media->release(); }
    MediaImpl *media;
};

} // namespace

class TestMediaThumbnailObj : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString makeFile(const QString &name, const QByteArray &content = "x")
    {
        return TestMedia::writeFile(m_dir->path() + QLatin1Char('/') + name, content);
    }
    QString makeImage(const QString &name, const QSize &size)
    {
        const QString path = m_dir->path() + QLatin1Char('/') + name;
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        if (!image.save(path))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static void waitForThumbnailThreads() { QTRY_VERIFY(!ThreadManager::getInstance()->isRunning()); }

private Q_SLOTS:
    void init()
    {
        m_watchdog.emplace();
        m_dir = std::make_unique<QTemporaryDir>(TestEnvironment::home() + QStringLiteral("/Tiles-XXXXXX"));
    }
    void cleanup()
    {
        waitForThumbnailThreads();
        m_dir.reset();
        m_watchdog.reset();
    }

    void layoutFitsTheNameBox_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("short") << "a.jpg";
        QTest::newRow("two lines") << "lesson_about_plants.jpg";
        QTest::newRow("too long") << QString(120, QLatin1Char('w')) + QStringLiteral(".jpg");
        QTest::newRow("one wide word") << QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW.png");
    }
    // Whatever the font here, the drawn name keeps within the box: one centred line when it fits, else
    // left-aligned lines broken at characters, each leaving room for one mean character, as many as fit the
    // height, the last ended by "..." when the name is longer.
    void layoutFitsTheNameBox()
    {
        QFETCH(QString, name);
        Record record(makeFile(name));
        MediaThumbnailObj tile(record.media);
        tile.layoutName(name);
        const QString text = tile.layoutText();
        const QSize whole = tile.measure(name);
        if (whole.width() <= MediaThumbnailObj::kNameWidthLimit) {
            QCOMPARE(tile.textAlignment(), int(Qt::AlignHCenter));
            QCOMPARE(text, name);
            return;
        }
        QCOMPARE(tile.textAlignment(), int(Qt::AlignLeft));
        const int meanWidth = whole.width() / int(name.size());
        const QStringList lines = text.split(QLatin1Char('\n'));
        QVERIFY(tile.measure(text).height() <= MediaThumbnailObj::kNameHeightLimit);
        const bool cut = text.endsWith(QStringLiteral("..."));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const int limit = cut && i == lines.size() - 1 ? MediaThumbnailObj::kNameWidthLimit
                                                           : MediaThumbnailObj::kNameWidthLimit - meanWidth;
            QVERIFY2(tile.measure(lines.at(i)).width() <= limit, qPrintable(lines.at(i)));
        }
        QString joined = text;
        joined.remove(QLatin1Char('\n'));
        if (cut) {
            joined.chop(3);
            QVERIFY(name.startsWith(joined));
            QVERIFY(joined.size() < name.size());
        } else {
            QCOMPARE(joined, name);
        }
    }

    void layoutIsKeptForTheSameNameInAnotherCase()
    {
        Record record(makeFile(QStringLiteral("lesson_about_plants.jpg")));
        MediaThumbnailObj tile(record.media);
        tile.layoutName(QStringLiteral("lesson_about_plants.jpg"));
        const QString first = tile.layoutText();
        tile.layoutName(QStringLiteral("LESSON_ABOUT_PLANTS.JPG"));
        QCOMPARE(tile.layoutText(), first);
        tile.layoutName(QStringLiteral("b.jpg"));
        QCOMPARE(tile.layoutText(), QStringLiteral("b.jpg"));
    }

    // The editor keeps the whole path within 240 characters: a file keeps its dot and suffix, a folder
    // counts its own present path.
    void editorLimitsTheNewName()
    {
        const QString file = makeFile(QStringLiteral("a/b.jpg"));
        const QString folder = m_dir->path() + QStringLiteral("/a/old");
        QDir().mkpath(folder);
        Record fileRecord(file), folderRecord(folder);
        MediaThumbnailObj fileTile(fileRecord.media), folderTile(folderRecord.media);
        fileTile.startEditing();
        folderTile.startEditing();
        const int parentLength = int(QFileInfo(file).absolutePath().size());
        QCOMPARE(fileTile.nameEditor()->maxLength(), 239 - 3 - parentLength);
        QCOMPARE(fileTile.nameEditor()->text(), QStringLiteral("b"));
        QVERIFY(fileTile.nameEditor()->isVisibleTo(&fileTile));
        QCOMPARE(folderTile.nameEditor()->maxLength(), 240 - int(folder.size()));
        QCOMPARE(folderTile.nameEditor()->text(), QStringLiteral("old"));
    }

    // In a deep folder the room left is shorter than the present name: the editor still shows all of it,
    // and leaving it untouched renames nothing.
    void deepFolderEditorKeepsThePresentName()
    {
        QString deep = m_dir->path();
        while (deep.size() < 205)
            deep += QStringLiteral("/unit");
        const QString base = QStringLiteral("experiment-with-light-and-shadow-week-3");
        const QString file = TestMedia::writeFile(deep + QLatin1Char('/') + base + QStringLiteral(".jpg"), "x");
        Record record(file);
        QWidget view;
        view.resize(200, 200);
        auto *tile = new MediaThumbnailObj(record.media, &view);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        tile->startEditing();
        QLineEdit *editor = tile->nameEditor();
        QVERIFY(editor->isVisibleTo(tile));
        QCOMPARE(editor->text(), base);
        QVERIFY(!Screenshot::save(&view, QStringLiteral("deep-folder-rename")).isEmpty());
        MessageBoxScript boxes;
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!editor->isVisibleTo(tile));
        QCOMPARE(record.media->path(), file);
        QVERIFY(QFile::exists(file));
        QCOMPARE(QDir(deep).entryList(QDir::Files), QStringList{base + QStringLiteral(".jpg")});
    }

    void noEditorUnderAnOverlongFolder()
    {
        QString deep = m_dir->path();
        while (deep.size() <= 240)
            deep += QStringLiteral("/folder_with_a_long_name");
        QVERIFY(QDir().mkpath(deep));
        Record record(deep + QStringLiteral("/pic.jpg"));
        MediaThumbnailObj tile(record.media);
        tile.startEditing();
        QVERIFY(!tile.nameEditor()->isVisibleTo(&tile));
    }

    // Two presses within a second open the editor; a reset in between (a double click, or another tile
    // pressed) does not. Each first press keeps the tile alive until its timer has run.
    void secondPressOpensTheEditor_data()
    {
        QTest::addColumn<bool>("resetBetween");
        QTest::newRow("two presses") << false;
        QTest::newRow("reset between") << true;
    }
    void secondPressOpensTheEditor()
    {
        QFETCH(bool, resetBetween);
        Record record(makeFile(QStringLiteral("pic.jpg")));
        QWidget view;
        QPointer<MediaThumbnailObj> tile = new MediaThumbnailObj(record.media, &view);
        tile->hit();
        QCOMPARE(tile->refCount(), 2);
        if (resetBetween)
            tile->resetHittedCounter();
        tile->hit();
        QCOMPARE(tile->nameEditor()->isVisibleTo(tile), !resetBetween);
        tile->nameEditor()->hide();
        // The view gives its reference back; the pending timer still holds the tile.
        tile->release();
        QVERIFY(tile);
        QTRY_VERIFY_WITH_TIMEOUT(!tile, 3000);
        QCOMPARE(record.media->refCount(), 1);
    }

    // Only files carry the info button; a drive root shows its path, opens no editor and counts no press
    // towards renaming.
    void foldersFilesAndDrives()
    {
        const QString folder = m_dir->path() + QStringLiteral("/f");
        QDir().mkpath(folder);
        Record file(makeFile(QStringLiteral("v.avi"))), dir(folder), root(QStringLiteral("/"));
        MediaThumbnailObj fileTile(file.media), folderTile(dir.media), rootTile(root.media);
        QVERIFY(fileTile.infoButton()->parent() == &fileTile);
        QVERIFY(!folderTile.infoButton()->parent());
        QVERIFY(!rootTile.infoButton()->parent());
        QVERIFY(!folderTile.isDriveRootTile());
        QVERIFY(rootTile.isDriveRootTile());
        rootTile.hit();
        rootTile.hit();
        rootTile.startEditing();
        QVERIFY(!rootTile.nameEditor()->isVisibleTo(&rootTile));
        rootTile.resize(100, 100);
        rootTile.grab();
        QCOMPARE(rootTile.layoutText(), QStringLiteral("/"));
    }

    void changeThumbnailShrinksLargeOnes_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("100 x 100") << QSize(100, 100) << QSize(60, 60);
        QTest::newRow("40 x 30") << QSize(40, 30) << QSize(40, 30);
    }
    void changeThumbnailShrinksLargeOnes()
    {
        QFETCH(QSize, size);
        const QString thumbnail = makeImage(QStringLiteral("thumb.png"), size);
        Record record(makeFile(QStringLiteral("clip.avi")));
        MediaThumbnailObj tile(record.media);
        QVERIFY(tile.showsDefaultPicture());
        tile.changeThumbnail(thumbnail);
        QTEST(tile.thumbnail().size(), "shown");
        QTEST(QImage(thumbnail).size(), "shown");
        QVERIFY(!tile.showsDefaultPicture());
        tile.changeThumbnail(m_dir->path() + QStringLiteral("/missing.png"));
        QTEST(tile.thumbnail().size(), "shown");
    }

    // An image tile hands its image to the thumbnail threads and takes up what they made; an existing
    // cached thumbnail is shown without the image being read (here it cannot be: it is no image).
    void imageTileTakesUpItsThumbnail()
    {
        const QString image = makeImage(QStringLiteral("photo.png"), QSize(200, 100));
        const QString cachedOnly = makeFile(QStringLiteral("cached.jpg"), "not an image");
        MediaFileStore *store = MediaFileStore::getInstance();
        store->makeCacheFolder(m_dir->path());
        QImage cached(QSize(60, 40), QImage::Format_RGB32);
        cached.fill(Qt::red);
        QVERIFY(cached.save(store->thumbnailPath(cachedOnly)));

        Record made(image), reused(cachedOnly);
        MediaThumbnailObj madeTile(made.media), reusedTile(reused.media);
        QTRY_VERIFY(!madeTile.showsDefaultPicture());
        QTRY_VERIFY(!reusedTile.showsDefaultPicture());
        QCOMPARE(madeTile.thumbnail().size(), QSize(60, 30));
        QCOMPARE(reusedTile.thumbnail().pixelColor(0, 0), QColor(Qt::red));
    }

    // Editing ends in a rename through the store; the editor's own focus loss afterwards starts none.
    void finishingTheEditorRenames()
    {
        const QString path = makeFile(QStringLiteral("old.jpg"));
        Record record(path);
        QWidget view;
        auto *tile = new MediaThumbnailObj(record.media, &view);
        view.show();
        MessageBoxScript boxes;
        tile->startEditing();
        tile->nameEditor()->setText(QStringLiteral("new"));
        QMetaObject::invokeMethod(tile->nameEditor(), "editingFinished");
        QVERIFY(boxes.shown().isEmpty());
        QVERIFY(!QFile::exists(path));
        QVERIFY(QFile::exists(m_dir->path() + QStringLiteral("/new.jpg")));
        QCOMPARE(record.media->path(), m_dir->path() + QStringLiteral("/new.jpg"));
        QVERIFY(!tile->nameEditor()->isVisible());
    }
};

QUILLO_TEST_MAIN(TestMediaThumbnailObj)
#include "tst_MediaThumbnailObj.moc"
