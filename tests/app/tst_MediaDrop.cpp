#include "MediaDrop.h"

#include <QTest>

Q_DECLARE_METATYPE(MediaDrop::Kind)

class TestMediaDrop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whichDropsAreTaken_data()
    {
        using Kind = MediaDrop::Kind;
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("path");

        const auto file = [](const char *path) { return QUrl::fromLocalFile(QString::fromUtf8(path)); };
        for (const char *name : {"/m/a.jpeg", "/m/a.tiff", "/m/a.bmp", "/m/a.png", "/m/a.jpg"})
            QTest::newRow(name) << QList<QUrl>{file(name)} << Kind::Image << QString::fromUtf8(name);
        QTest::newRow("upper-case image ending")
            << QList<QUrl>{file("/m/Board.JPG")} << Kind::Image << QStringLiteral("/m/Board.JPG");
        QTest::newRow("a name that is only the ending")
            << QList<QUrl>{file("/m/.png")} << Kind::Image << QStringLiteral("/m/.png");
        QTest::newRow("avi") << QList<QUrl>{file("/m/Clip.AVI")} << Kind::Video << QStringLiteral("/m/Clip.AVI");
        QTest::newRow("wmv") << QList<QUrl>{file("/m/talk.wmv")} << Kind::Video << QStringLiteral("/m/talk.wmv");
        QTest::newRow("non-ASCII folder")
            << QList<QUrl>{file("/m/Übung 1/Tafel.png")} << Kind::Image << QStringLiteral("/m/Übung 1/Tafel.png");
        // Not a local file: the URL's whole text is the path.
        QTest::newRow("remote image") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/map.png"))} << Kind::Image
                                      << QStringLiteral("https://example.org/map.png");

        QTest::newRow("other ending") << QList<QUrl>{file("/m/notes.txt")} << Kind::None << QString();
        QTest::newRow("video ending not taken") << QList<QUrl>{file("/m/film.mp4")} << Kind::None << QString();
        QTest::newRow("ending inside the name") << QList<QUrl>{file("/m/a.png.txt")} << Kind::None << QString();
        QTest::newRow("folder") << QList<QUrl>{file("/m/lesson/")} << Kind::None << QString();
        QTest::newRow("nothing") << QList<QUrl>{} << Kind::None << QString();
        QTest::newRow("two images") << QList<QUrl>{file("/m/a.png"), file("/m/b.png")} << Kind::None << QString();
        QTest::newRow("image and text") << QList<QUrl>{file("/m/a.png"), file("/m/b.txt")} << Kind::None << QString();
    }

    void whichDropsAreTaken()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(MediaDrop::Kind, kind);
        QFETCH(QString, path);
        const MediaDrop::Drop drop = MediaDrop::classify(urls);
        QCOMPARE(drop.kind, kind);
        QCOMPARE(drop.path, path);
    }

    // The media-library panel at (20, 100) in the central widget, under a 20-pixel menu bar: in window
    // coordinates it covers x 20-219 and y 120-419.
    void dragsOverTheMediaLibraryAreLeftToIt_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("over");
        QTest::newRow("top-left corner") << QPoint(20, 120) << true << true;
        QTest::newRow("bottom-right corner") << QPoint(219, 419) << true << true;
        QTest::newRow("in the menu-bar rows above") << QPoint(100, 110) << true << false;
        QTest::newRow("just below") << QPoint(100, 420) << true << false;
        QTest::newRow("just right") << QPoint(220, 200) << true << false;
        QTest::newRow("hidden panel") << QPoint(100, 200) << false << false;
    }

    void dragsOverTheMediaLibraryAreLeftToIt()
    {
        QFETCH(QPoint, pos);
        QFETCH(bool, visible);
        QFETCH(bool, over);
        QCOMPARE(MediaDrop::overMediaLibrary(pos, QRect(20, 100, 200, 300), 20, visible), over);
    }
};

QTEST_APPLESS_MAIN(TestMediaDrop)
#include "tst_MediaDrop.moc"
