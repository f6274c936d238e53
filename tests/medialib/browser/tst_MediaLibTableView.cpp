#include "DialogWatchdog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibSortFilterModel.h"
#include "MediaLibTableItemDelegate.h"
#include "MediaLibTableModel.h"
#include "MediaLibTableView.h"
#include "MediaLibraryImpl.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "TestMedia.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

class TestMediaLibTableView : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;
    QWidget m_window;
    MediaLibraryImpl *m_service = nullptr;

    QString makeFile(const QString &relative, qint64 size = 1)
    {
        return TestMedia::writeFile(m_dir->path() + QLatin1Char('/') + relative, QByteArray(size, '\0'));
    }
    // A model listing the folder as the panel lists one.
    std::unique_ptr<MediaLibTableModel> listing(const QString &folder)
    {
        auto model = std::make_unique<MediaLibTableModel>(m_service);
        for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            const int row = model->rowCount();
            const int type = MediaImpl::mediaTypeForPath(entry.absoluteFilePath());
            model->insertRows(row, 1);
            model->setData(model->index(row, 0), entry.absoluteFilePath());
            model->setData(model->index(row, 1), type);
            if (type != MediaImpl::TYPE_FOLDER) {
                model->setData(model->index(row, 2), QDateTime());
                model->setData(model->index(row, 3), qint64(-1));
                model->setData(model->index(row, 5), qint64(0));
            }
        }
        return model;
    }
    static QStringList shownNames(const MediaLibTableView &view)
    {
        QStringList names;
        for (int row = 0; row < view.model()->rowCount(); ++row)
            names.append(view.model()->index(row, 0).data().toString());
        return names;
    }
    static bool opensMenu(MediaLibTableView &view, const QPoint &at)
    {
        bool opened = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&opened] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                opened = true;
                popup->close();
            }
        });
        closer.start(20);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(view.viewport(), &event);
        return opened;
    }
    static void setUpLikeThePanel(MediaLibTableView &view)
    {
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.verticalHeader()->hide();
        view.setDragEnabled(true);
        view.setContextMenuPolicy(Qt::DefaultContextMenu);
        QObject::connect(&view, &QTableView::doubleClicked, &view, &MediaLibTableView::doubleClickedOnMediaLib);
        QObject::connect(&view, &QTableView::clicked, &view, &MediaLibTableView::clickedOnInfoCol);
    }

private Q_SLOTS:
    void initTestCase() { m_service = static_cast<MediaLibraryImpl *>(MediaLibraryImpl::getInstance(&m_window)); }
    void cleanupTestCase() { m_service->release(); }
    void init()
    {
        m_watchdog.emplace();
        m_dir = std::make_unique<QTemporaryDir>(TestEnvironment::home() + QStringLiteral("/Table-XXXXXX"));
        MediaFileStore::getInstance()->makeCacheFolder(m_dir->path());
    }
    void cleanup()
    {
        m_dir.reset();
        m_watchdog.reset();
    }

    // The user's last header click survives entering another folder.
    void sortingSurvivesAChangeOfFolder()
    {
        makeFile(QStringLiteral("one/small.jpg"), 10);
        makeFile(QStringLiteral("one/big.jpg"), 500 * 1024);
        makeFile(QStringLiteral("one/mid.jpg"), 50 * 1024);
        makeFile(QStringLiteral("two/b.avi"), 4096);
        makeFile(QStringLiteral("two/a.avi"), 900 * 1024);
        QDir().mkpath(m_dir->path() + QStringLiteral("/two/Sub"));

        MediaLibTableView view;
        view.resize(600, 300);
        view.show();
        auto first = listing(m_dir->path() + QStringLiteral("/one"));
        view.setModel(first.get());
        view.changeCurDir(m_dir->path() + QStringLiteral("/one"));
        QCOMPARE(shownNames(view), (QStringList{"big.jpg", "mid.jpg", "small.jpg"}));

        const QRect size = view.horizontalHeader()->geometry();
        const int sizeX = view.horizontalHeader()->sectionViewportPosition(3) + 5;
        QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(sizeX, size.height() / 2));
        if (view.horizontalHeader()->sortIndicatorOrder() != Qt::DescendingOrder)
            QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, {},
                              QPoint(sizeX, size.height() / 2));
        QCOMPARE(view.storedSortColumn(), 3);
        QCOMPARE(view.storedSortOrder(), Qt::DescendingOrder);
        QCOMPARE(shownNames(view), (QStringList{"big.jpg", "mid.jpg", "small.jpg"}));

        auto second = listing(m_dir->path() + QStringLiteral("/two"));
        view.setModel(second.get());
        view.changeCurDir(m_dir->path() + QStringLiteral("/two"));
        // Descending puts the folder last.
        QCOMPARE(shownNames(view), (QStringList{"a.avi", "b.avi", "Sub"}));
        QCOMPARE(view.currentFolder().absolutePath(), m_dir->path() + QStringLiteral("/two"));
        view.changeCurDir(m_dir->path() + QStringLiteral("/missing"));
        QCOMPARE(view.nameDelegate()->currentFolderPath(), m_dir->path() + QStringLiteral("/two"));
    }

    // The exact spelling is removed first; the row gives its record back once (the view does not again).
    void removeMediaRowByPath()
    {
        const QString lower = makeFile(QStringLiteral("a.jpg"));
        const QString upper = makeFile(QStringLiteral("A.JPG"));
        makeFile(QStringLiteral("b.jpg"));
        MediaLibTableView view;
        auto model = listing(m_dir->path());
        view.setModel(model.get());
        MediaImpl *upperRecord = nullptr;
        for (MediaImpl *record : model->mediaList()) {
            if (record->path() == upper)
                upperRecord = record;
        }
        QVERIFY(upperRecord);
        upperRecord->addRef();
        view.removeMediaRow(upper);
        QCOMPARE(upperRecord->refCount(), 1);
        upperRecord->release();
        QCOMPARE(model->rowCount(), 2);
        QVERIFY(shownNames(view).contains(QStringLiteral("a.jpg")));
        view.removeMediaRow(m_dir->path() + QStringLiteral("/B.JPG"));
        QCOMPARE(shownNames(view), QStringList{QStringLiteral("a.jpg")});
        view.removeMediaRow(m_dir->path() + QStringLiteral("/none.jpg"));
        QCOMPARE(model->rowCount(), 1);
        Q_UNUSED(lower);
    }

    // Clicking the name of a selected row opens the editor, limited by the folder's path; a press below
    // the last row keeps the selection and holds no record.
    void clickingRenamesAndEmptySpaceKeepsSelection()
    {
        makeFile(QStringLiteral("pic.jpg"));
        makeFile(QStringLiteral("other.jpg"));
        MediaLibTableView view;
        setUpLikeThePanel(view);
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto model = listing(m_dir->path());
        view.setModel(model.get());
        view.changeCurDir(m_dir->path());
        const QPoint name = view.visualRect(view.model()->index(1, 0)).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, name);
        QCOMPARE(view.selectionModel()->selectedRows().size(), 1);
        QCOMPARE(view.selectionModel()->selectedRows().at(0).row(), 1);

        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(50, 250));
        QVERIFY(!view.pressedRecord());
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, QPoint(50, 250));
        QCOMPARE(view.selectionModel()->selectedRows().at(0).row(), 1);

        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, name);
        QLineEdit *editor = nullptr;
        QTRY_VERIFY((editor = view.viewport()->findChild<QLineEdit *>()) && editor->isVisible());
        QCOMPARE(editor->text(), QStringLiteral("pic"));
        QCOMPARE(editor->maxLength(), 240 - int(m_dir->path().size()));
    }

    // In a deep folder the room left is shorter than the present name: the list's editor still shows all
    // of it, and a commit of the untouched name renames nothing.
    void deepFolderEditorKeepsThePresentName()
    {
        QString deep = QStringLiteral("deep");
        while (m_dir->path().size() + deep.size() < 215)
            deep += QStringLiteral("/unit");
        const QString base = QStringLiteral("experiment-with-light-and-shadow-week-3");
        const QString file = makeFile(deep + QLatin1Char('/') + base + QStringLiteral(".jpg"));
        const QString folder = QFileInfo(file).absolutePath();
        MediaFileStore::getInstance()->makeCacheFolder(folder);
        MediaLibTableView view;
        setUpLikeThePanel(view);
        view.resize(500, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto model = listing(folder);
        view.setModel(model.get());
        view.changeCurDir(folder);
        view.edit(view.model()->index(0, 0));
        QPointer<QLineEdit> editor;
        QTRY_VERIFY((editor = view.viewport()->findChild<QLineEdit *>()) && editor->isVisible());
        QCOMPARE(editor->text(), base);
        QVERIFY(!Screenshot::save(&view, QStringLiteral("deep-folder-rename")).isEmpty());
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!editor || !editor->isVisible());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{base + QStringLiteral(".jpg")});
    }

    void menuOnlyOverRowsAndNotForDrives()
    {
        makeFile(QStringLiteral("pic.jpg"));
        MediaLibTableView view;
        setUpLikeThePanel(view);
        view.resize(500, 300);
        view.show();
        auto model = listing(m_dir->path());
        view.setModel(model.get());
        const QPoint row = view.visualRect(view.model()->index(0, 1)).center();
        QVERIFY(opensMenu(view, row));
        QVERIFY(!opensMenu(view, QPoint(50, 250)));

        MediaLibTableModel drives(m_service);
        drives.insertRows(0, 1);
        drives.setData(drives.index(0, 0), QStringLiteral("/"));
        drives.setData(drives.index(0, 1), int(MediaImpl::TYPE_FOLDER));
        view.setModel(&drives);
        QVERIFY(!opensMenu(view, row));
        view.setMenuEnabled(false);
        view.setModel(model.get());
        QVERIFY(!opensMenu(view, row));
    }

    // A mount change while the button is held rebuilds the drive list: the press goes with its row, and the
    // next move starts no drag from the freed record.
    void pressOutlivesNoDriveListRebuild()
    {
        MediaLibTableView view;
        setUpLikeThePanel(view);
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        MediaLibTableModel drives(m_service);
        const auto fill = [&drives](const QStringList &roots) {
            for (const QString &root : roots) {
                const int row = drives.rowCount();
                drives.insertRows(row, 1);
                drives.setData(drives.index(row, 0), root);
                drives.setData(drives.index(row, 1), int(MediaImpl::TYPE_FOLDER));
            }
        };
        fill({QStringLiteral("/"), m_dir->path()});
        view.setModel(&drives);
        const QPoint row = view.visualRect(view.model()->index(1, 0)).center();
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, row);
        QVERIFY(view.pressedRecord());

        drives.clear();
        fill({QStringLiteral("/")});
        QVERIFY(!view.pressedRecord());
        const QPoint away = row + QPoint(QApplication::startDragDistance() * 3, 0);
        QMouseEvent move(QEvent::MouseMove, away, view.viewport()->mapToGlobal(away), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, away);
        QCOMPARE(drives.rowCount(), 1);
    }

    // A picture of the list over a folder of folders, images and videos.
    void screenshot()
    {
        // ffmpeg writes the videos without an event loop running; a loaded machine needs more than the
        // usual limit.
        m_watchdog.emplace(60000);
        QDir().mkpath(m_dir->path() + QStringLiteral("/Field trip"));
        QDir().mkpath(m_dir->path() + QStringLiteral("/Lessons 2026"));
        for (int i = 1; i <= 10; ++i) {
            QImage image(640, 480, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 30, 160, 200));
            QVERIFY(image.save(m_dir->path() + QStringLiteral("/Snapshot_%1.jpg").arg(i)));
        }
        QVERIFY(!TestMedia::writeAvi(m_dir->path(), QStringLiteral("Recording 1.avi"), 3.0).isEmpty());
        QVERIFY(!TestMedia::writeWmv(m_dir->path(), QStringLiteral("Experiment.wmv"), 2.0).isEmpty());
        MediaLibTableView view;
        setUpLikeThePanel(view);
        QFont font = view.font();
        font.setPointSize(11);
        view.setFont(font);
        view.resize(560, 420);
        view.show();
        auto model = listing(m_dir->path());
        view.setModel(model.get());
        view.changeCurDir(m_dir->path());
        view.selectRow(3);
        QVERIFY(!Screenshot::save(&view, QStringLiteral("list-view")).isEmpty());
    }
};

QUILLO_TEST_MAIN(TestMediaLibTableView)
#include "tst_MediaLibTableView.moc"
