#include "DialogWatchdog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibScrollArea.h"
#include "MediaLibSortFilterModel.h"
#include "MediaLibTableModel.h"
#include "MediaLibThumbnailView.h"
#include "MediaLibraryImpl.h"
#include "MediaThumbnailObj.h"
#include "MessageBoxScript.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "ThreadManager.h"
#include "VideoThumbnailGenerator.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestMediaLibThumbnailView : public QObject
{
    Q_OBJECT

private:
    static constexpr int kMediaWatchdogMs = 60000;
    std::optional<DialogWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;
    QWidget m_window;
    MediaLibraryImpl *m_service = nullptr;
    QList<MediaImpl *> m_records;

    QString makeImage(const QString &name, const QColor &colour = Qt::darkCyan)
    {
        const QString path = m_dir->path() + QLatin1Char('/') + name;
        QImage image(320, 200, QImage::Format_RGB32);
        image.fill(colour);
        if (!image.save(path))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString makeFolder(const QString &name)
    {
        const QString path = m_dir->path() + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }
    MediaImpl *record(const QString &path)
    {
        m_records.append(new MediaImpl(path));
        return m_records.last();
    }
    // A view of the given size holding count image tiles.
    std::unique_ptr<MediaLibThumbnailView> viewWith(int count, const QSize &size)
    {
        auto view = std::make_unique<MediaLibThumbnailView>(m_service);
        view->resize(size);
        view->show();
        for (int i = 0; i < count; ++i)
            view->addThumbnail(record(m_dir->path() + QStringLiteral("/img%1.jpg").arg(i)));
        return view;
    }
    // The signature and header chunk of a PNG of 8000 x 8000 pixels, without its data.
    static QByteArray largePngStart()
    {
        constexpr quint32 kSide = 8000;
        QByteArray chunk("IHDR");
        for (quint32 value : {kSide, kSide})
            for (int shift = 24; shift >= 0; shift -= 8)
                chunk.append(char((value >> shift) & 0xff));
        // Eight bits per channel, RGB, deflate, adaptive filtering, no interlace.
        chunk.append(QByteArray::fromHex("0802000000"));
        quint32 crc = 0xffffffffu;
        for (const char byte : std::as_const(chunk)) {
            crc ^= quint8(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
        crc ^= 0xffffffffu;
        QByteArray bytes = QByteArray::fromHex("89504e470d0a1a0a0000000d") + chunk;
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.append(char((crc >> shift) & 0xff));
        return bytes;
    }

    // Runs fn and reports whether a pop-up menu opened meanwhile (closing it at once).
    static bool opensMenu(const std::function<void()> &fn)
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
        fn();
        return opened;
    }

private Q_SLOTS:
    void initTestCase() { m_service = static_cast<MediaLibraryImpl *>(MediaLibraryImpl::getInstance(&m_window)); }
    void cleanupTestCase() { m_service->release(); }
    void init()
    {
        m_watchdog.emplace();
        m_dir = std::make_unique<QTemporaryDir>(TestEnvironment::home() + QStringLiteral("/Thumbs-XXXXXX"));
        MediaFileStore::getInstance()->makeCacheFolder(m_dir->path());
    }
    void cleanup()
    {
        for (MediaImpl *media : std::as_const(m_records))
            media->release();
        m_records.clear();
        m_dir.reset();
        m_watchdog.reset();
    }

    void gridPlacesTilesInRows()
    {
        auto view = viewWith(4, QSize(350, 400));
        QCOMPARE(view->thumbnails().at(3)->pos(), QPoint(0, 100));
        QCOMPARE(view->thumbnails().at(2)->pos(), QPoint(200, 0));
        view->layoutThumbnails();
        QCOMPARE(view->thumbnails().at(3)->pos(), QPoint(0, 100));
    }

    // The range is the rows' height less the view's; scrolled, only the rows in sight are shown.
    void scrollingShowsOnlyVisibleRows()
    {
        auto view = viewWith(7, QSize(300, 150));
        QSignalSpy ranges(view.get(), &MediaLibThumbnailView::uiRangeChanged);
        QVERIFY(ranges.wait(1000));
        QCOMPARE(ranges.last().at(0).toInt(), 0);
        QCOMPARE(ranges.last().at(1).toInt(), 150);
        QCOMPARE(ranges.last().at(2).value<Qt::Orientation>(), Qt::Vertical);

        view->layoutThumbnails();
        for (MediaThumbnailObj *tile : view->thumbnails())
            QVERIFY(tile->isVisible());

        view->setOffset(120, Qt::Vertical);
        const QList<MediaThumbnailObj *> tiles = view->thumbnails();
        for (int i = 0; i < 3; ++i)
            QVERIFY(!tiles.at(i)->isVisible());
        for (int i = 3; i < 6; ++i) {
            QVERIFY(tiles.at(i)->isVisible());
            QCOMPARE(tiles.at(i)->y(), -20);
        }
        QCOMPARE(tiles.at(6)->y(), 80);
        QVERIFY(!view->thumbnailAt(QPoint(10, 10)) || view->thumbnailAt(QPoint(10, 10)) == tiles.at(3));
    }

    // A tile made as it scrolls into sight drags its own file; a pressed tile let go as it scrolls far out of
    // sight starts no drag from what is gone.
    void dragFromATileMadeOnScrolling()
    {
        auto view = viewWith(200, QSize(300, 150));
        constexpr int kEntry = 180;
        QVERIFY(!view->tileOf(kEntry));
        view->setOffset(kEntry / 3 * MediaLibThumbnailView::kCellSide, Qt::Vertical);
        MediaThumbnailObj *tile = view->tileOf(kEntry);
        QVERIFY(tile && tile->isVisible());
        QCOMPARE(view->thumbnailAt(tile->geometry().center()), tile);

        const auto pressAndMove = [&view](const QPoint &at, const std::function<void()> &meanwhile) {
            QTest::mousePress(view.get(), Qt::LeftButton, {}, at);
            meanwhile();
            const QPoint away = at + QPoint(QApplication::startDragDistance() * 3, 0);
            QMouseEvent move(QEvent::MouseMove, away, view->mapToGlobal(away), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(view.get(), &move);
            QTest::mouseRelease(view.get(), Qt::LeftButton, {}, away);
        };
        // The offscreen platform ends a drag at once; its object stays until the event loop deletes it.
        pressAndMove(tile->geometry().center(), [] {});
        const QList<QDrag *> drags = view->findChildren<QDrag *>();
        QCOMPARE(drags.size(), 1);
        QCOMPARE(drags.first()->mimeData()->urls(),
                 QList<QUrl>{QUrl::fromLocalFile(m_dir->path() + QStringLiteral("/img%1.jpg").arg(kEntry))});
        qDeleteAll(drags);

        pressAndMove(tile->geometry().center(), [&view] { view->setOffset(0, Qt::Vertical); });
        QVERIFY(!view->tileOf(kEntry));
        QVERIFY(view->findChildren<QDrag *>().isEmpty());
    }

    // Inside its scroll frame the view follows the bar, and the bar disappears once everything fits.
    void followsItsScrollFrame()
    {
        // The view outlives its frame, as in the panel: the frame gives it back when it goes first.
        MediaLibThumbnailView view(m_service);
        MediaLibScrollArea area;
        area.setScrollBarVisible(false, Qt::Horizontal);
        area.setWidget(&view);
        connect(&area, &MediaLibScrollArea::scrollBarValueChanged, &view,
                qOverload<int, Qt::Orientation>(&MediaLibThumbnailView::setOffset));
        connect(&view, &MediaLibThumbnailView::uiRangeChanged, &area, &MediaLibScrollArea::setScrollBarRange);
        area.resize(320, 200);
        area.show();
        for (int i = 0; i < 20; ++i)
            view.addThumbnail(record(m_dir->path() + QStringLiteral("/img%1.jpg").arg(i)));
        QTRY_VERIFY(area.scrollBar(Qt::Vertical)->isVisible());
        // The bar's arrival narrows the view, which reports its range once more.
        QTest::qWait(50);
        area.setScrollBarValue(100, Qt::Vertical);
        QCOMPARE(view.yOffset(), 100);
        view.clearThumbnails();
        view.layoutThumbnails();
        QTRY_VERIFY(!area.scrollBar(Qt::Vertical)->isVisible());
        QCOMPARE(view.yOffset(), 0);
    }

    // The tiles follow the list view's sort order, and a removal keeps one order entry per tile.
    void orderFollowsTheSortModel()
    {
        MediaLibTableModel model(m_service);
        auto view = std::make_unique<MediaLibThumbnailView>(m_service);
        view->resize(300, 300);
        view->show();
        for (const char *name : {"b.jpg", "c.jpg", "a.jpg"}) {
            const QString path = makeImage(name);
            const int row = model.rowCount();
            model.insertRows(row, 1);
            model.setData(model.index(row, 0), path);
            model.setData(model.index(row, 1), int(MediaImpl::TYPE_IMAGE));
            view->addThumbnail(model.mediaList().at(row));
        }
        MediaLibSortFilterModel proxy;
        proxy.setSourceModel(&model);
        proxy.sort(0, Qt::DescendingOrder);
        view->changeOrderFromSortModel(&proxy);
        view->layoutThumbnails();
        QCOMPARE(view->displayOrder(), (QList<int>{1, 0, 2}));
        QCOMPARE(QFileInfo(view->thumbnailAt(QPoint(50, 50))->media()->path()).fileName(), QStringLiteral("c.jpg"));

        view->removeThumbnail(m_dir->path() + QStringLiteral("/C.JPG"));
        QCOMPARE(view->thumbnails().size(), 2);
        QCOMPARE(view->displayOrder().size(), 2);
        view->removeThumbnail(m_dir->path() + QStringLiteral("/none.jpg"));
        QCOMPARE(view->thumbnails().size(), 2);
        view->clearThumbnails();
    }

    // Tiles are made for the rows in sight and near them only, and let go far out of sight; the entries stay.
    void tilesAreMadeForTheRowsInSight()
    {
        constexpr int kEntries = 3000;
        auto view = viewWith(kEntries, QSize(300, 200));
        view->layoutThumbnails();
        QCOMPARE(view->entryCount(), kEntries);
        // Three columns: two rows in sight and a page of rows below them.
        const int columns = 3;
        const int rowsInSight = 2;
        const int bound = columns * rowsInSight * (1 + 2 * MediaLibThumbnailView::kMadePages);
        QVERIFY(view->thumbnails().size() <= bound);
        QVERIFY(view->tileOf(0));
        QVERIFY(!view->tileOf(kEntries / 2));

        const int lastRowTop = (kEntries / columns - 1) * MediaLibThumbnailView::kCellSide;
        view->setOffset(lastRowTop, Qt::Vertical);
        QVERIFY(view->thumbnails().size() <= columns * rowsInSight * (1 + 2 * MediaLibThumbnailView::kKeptPages));
        QVERIFY(!view->tileOf(0));
        MediaThumbnailObj *last = view->tileOf(kEntries - 1);
        QVERIFY(last);
        QVERIFY(last->isVisible());
        QCOMPARE(last->pos(), QPoint(200, 0));
        QCOMPARE(view->thumbnailAt(QPoint(250, 50)), last);
        QCOMPARE(last->media(), view->records().last());
        view->clearThumbnails();
        QVERIFY(view->thumbnails().isEmpty());
    }

    // A hidden view makes no tiles; shown, it makes those in sight.
    void aHiddenViewMakesNoTiles()
    {
        MediaLibThumbnailView view(m_service);
        view.resize(300, 200);
        QList<MediaImpl *> list;
        for (int i = 0; i < 50; ++i)
            list.append(record(m_dir->path() + QStringLiteral("/img%1.jpg").arg(i)));
        view.setMediaList(list);
        view.addThumbnail(record(m_dir->path() + QStringLiteral("/late.jpg")));
        view.layoutThumbnails();
        QVERIFY(view.thumbnails().isEmpty());
        view.show();
        QVERIFY(view.tileOf(0));
        QVERIFY(view.tileOf(0)->isVisible());
        view.clearThumbnails();
    }

    // A tile made again after scrolling away and back shows the selection, renames and has its menu.
    void aTileMadeAgainKeepsWorking()
    {
        const QString image = makeImage(QStringLiteral("first.png"));
        MediaLibThumbnailView view(m_service);
        view.resize(300, 200);
        view.show();
        view.addThumbnail(record(image));
        for (int i = 1; i < 600; ++i)
            view.addThumbnail(record(m_dir->path() + QStringLiteral("/img%1.jpg").arg(i)));
        view.changeCurDir(m_dir->path());
        view.layoutThumbnails();
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(50, 50));
        QPointer<MediaThumbnailObj> first = view.tileOf(0);
        QVERIFY(first && first->isSelected());
        view.setOffset(100 * MediaLibThumbnailView::kCellSide, Qt::Vertical);
        QVERIFY(!view.tileOf(0));
        QTest::qWait(MediaThumbnailObj::kSecondPressMs + 100);
        QVERIFY(!first);
        view.setOffset(0, Qt::Vertical);
        MediaThumbnailObj *again = view.tileOf(0);
        QVERIFY(again);
        QVERIFY(again->isSelected());
        QVERIFY(!view.tileOf(1)->isSelected());
        // Its picture comes from the decoder like any tile's.
        QTRY_VERIFY(!again->showsDefaultPicture());

        QVERIFY(opensMenu([&view] {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 50), view.mapToGlobal(QPoint(50, 50)));
            QApplication::sendEvent(&view, &event);
        }));
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(again->nameEditor()->isVisible());
        again->nameEditor()->hide();
        view.clearThumbnails();
    }

    // Leaving tiles whose pictures are still being decoded does not wait for the decoders: their results
    // are dropped. The picture here is a pipe that gives nothing until the test lets it go.
    void leavingDoesNotWaitForDecoders()
    {
        const QString pipe = m_dir->path() + QStringLiteral("/huge.png");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        auto view = std::make_unique<MediaLibThumbnailView>(m_service);
        view->resize(300, 200);
        view->show();
        view->addThumbnail(record(pipe));
        // A writer can open the pipe only once the decoder has opened it for reading. It is given the start
        // of a large picture, so that it finds its reader and waits in the decoding for the rest.
        int writer = -1;
        const auto openWriter = [&writer, &pipe] {
            if (writer < 0)
                writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
            return writer >= 0;
        };
        QTRY_VERIFY(openWriter());
        const QByteArray start = largePngStart();
        QCOMPARE(::write(writer, start.constData(), size_t(start.size())), ssize_t(start.size()));
        static constexpr int kDecodeMs = 3000;
        std::thread release([writer] {
            std::this_thread::sleep_for(std::chrono::milliseconds(kDecodeMs));
            ::close(writer);
        });
        QElapsedTimer clock;
        clock.start();
        view->clearThumbnails();
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const qint64 leftMs = clock.elapsed();
        release.join();
        QVERIFY2(leftMs < kDecodeMs / 2, qPrintable(QString::number(leftMs)));
        // The abandoned decoder ends by itself once its read fails.
        QTRY_VERIFY(!ThreadManager::getInstance()->isRunning());
    }

    // Double clicks open images and videos through the service and enter folders (the tile hides at once).
    void doubleClicksOpen()
    {
        const QString image = makeImage(QStringLiteral("pic.png"));
        const QString folder = makeFolder(QStringLiteral("Album"));
        MediaLibThumbnailView view(m_service);
        view.resize(300, 300);
        view.show();
        view.addThumbnail(record(image));
        view.addThumbnail(record(folder));
        QSignalSpy images(m_service, &MediaLibraryIntf::showImageRequested);
        QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(images.size(), 1);
        QCOMPARE(images.at(0).at(0).toString(), image);
        QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(150, 50));
        QVERIFY(!view.thumbnails().at(1)->isVisible());
        QCOMPARE(images.size(), 1);
        view.clearThumbnails();
    }

    // A second slow press on a tile renames it, also with the right button; pressing another tile in
    // between cancels it.
    void secondPressRenames_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("otherBetween");
        QTest::addColumn<bool>("editing");
        QTest::newRow("left twice") << int(Qt::LeftButton) << false << true;
        QTest::newRow("right twice") << int(Qt::RightButton) << false << true;
        QTest::newRow("another tile between") << int(Qt::LeftButton) << true << false;
    }
    void secondPressRenames()
    {
        QFETCH(int, button);
        QFETCH(bool, otherBetween);
        auto view = viewWith(2, QSize(300, 200));
        const auto press = [&view, button](const QPoint &at) {
            QTest::mousePress(view.get(), Qt::MouseButton(button), {}, at);
            QTest::mouseRelease(view.get(), Qt::MouseButton(button), {}, at);
        };
        press(QPoint(50, 50));
        QVERIFY(view->thumbnails().at(0)->isSelected());
        if (otherBetween)
            press(QPoint(150, 50));
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        press(QPoint(50, 50));
        QTEST(view->thumbnails().at(0)->nameEditor()->isVisible(), "editing");
        QCOMPARE(view->thumbnails().at(1)->isSelected(), false);
        view->thumbnails().at(0)->nameEditor()->hide();
        view->clearThumbnails();
    }

    void contextMenuOnlyOverItems()
    {
        const QString image = makeImage(QStringLiteral("pic.png"));
        MediaLibThumbnailView view(m_service);
        view.resize(300, 300);
        view.show();
        view.addThumbnail(record(image));
        view.addThumbnail(record(QStringLiteral("/")));
        const auto menuAt = [&view](const QPoint &at) {
            return opensMenu([&view, at] {
                QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.mapToGlobal(at));
                QApplication::sendEvent(&view, &event);
            });
        };
        QVERIFY(!menuAt(QPoint(250, 250)));
        QVERIFY(!menuAt(QPoint(150, 50)));
        QVERIFY(menuAt(QPoint(50, 50)));
        view.clearThumbnails();
    }

    // A result without videos starts no generator; one with videos starts a new one each time.
    void videoThumbnailsPerResult()
    {
        const QString image = makeImage(QStringLiteral("pic.png"));
        MediaLibThumbnailView view(m_service);
        view.resize(300, 300);
        view.setMediaList({record(image)});
        view.createVideoThumbnails();
        QVERIFY(!view.videoThumbnailGenerator());
        view.setMediaList({record(m_dir->path() + QStringLiteral("/a.avi"))});
        QSignalSpy reloaded(&view, &MediaLibThumbnailView::videoThumbnailReloaded);
        view.createVideoThumbnails();
        VideoThumbnailGenerator *first = view.videoThumbnailGenerator();
        QVERIFY(first);
        QCOMPARE(reloaded.size(), 1);
        view.createVideoThumbnails();
        QVERIFY(view.videoThumbnailGenerator());
        view.clearThumbnails();
    }

    // Pictures of the view over a folder of images, videos and folders once the thumbnails are made.
    void screenshot()
    {
        // Writing the videos and the media framework's first start (a scan of its plug-ins) take seconds
        // on a loaded machine, without an event loop.
        m_watchdog.emplace(kMediaWatchdogMs);
        makeFolder(QStringLiteral("Field trip"));
        makeFolder(QStringLiteral("Lessons 2026"));
        const QList<QColor> colours = {Qt::darkCyan, Qt::darkRed, Qt::darkGreen, Qt::darkYellow, Qt::darkBlue};
        for (int i = 0; i < colours.size(); ++i)
            makeImage(QStringLiteral("Snapshot_%1.jpg").arg(i + 1), colours.at(i));
        makeImage(QStringLiteral("A photo with a rather long name for its tile.png"), Qt::gray);
        QVERIFY(!TestMedia::writeAvi(m_dir->path(), QStringLiteral("Recording 1.avi"), 4.0).isEmpty());
        QVERIFY(!TestMedia::writeWmv(m_dir->path(), QStringLiteral("Experiment.wmv"), 4.0).isEmpty());

        MediaLibThumbnailView view(m_service);
        MediaLibScrollArea area;
        area.setPalette(QPalette(Qt::white));
        area.setScrollBarVisible(false, Qt::Horizontal);
        area.setWidget(&view);
        connect(&area, &MediaLibScrollArea::scrollBarValueChanged, &view,
                qOverload<int, Qt::Orientation>(&MediaLibThumbnailView::setOffset));
        connect(&view, &MediaLibThumbnailView::uiRangeChanged, &area, &MediaLibScrollArea::setScrollBarRange);
        area.resize(420, 340);
        area.show();
        const QFileInfoList entries =
            QDir(m_dir->path()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::DirsFirst | QDir::Name);
        for (const QFileInfo &entry : entries)
            view.addThumbnail(record(entry.absoluteFilePath()));
        view.createVideoThumbnails();
        view.changeCurDir(m_dir->path());
        view.layoutThumbnails();
        QTRY_VERIFY_WITH_TIMEOUT(
            [&view] {
                for (MediaThumbnailObj *tile : view.thumbnails()) {
                    const int type = tile->media()->mediaType();
                    if ((type == MediaImpl::TYPE_IMAGE || type == MediaImpl::TYPE_VIDEO) && tile->showsDefaultPicture())
                        return false;
                }
                return true;
            }(),
            kMediaWatchdogMs - 10000);
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(250, 50));
        QVERIFY(!Screenshot::save(&area, QStringLiteral("thumbnail-view")).isEmpty());
        view.clearThumbnails();
    }
};

QUILLO_TEST_MAIN(TestMediaLibThumbnailView)
#include "tst_MediaLibThumbnailView.moc"
