#include "TestEnvironment.h"

#include "Canvas.h"
#include "ImageGraphic.h"
#include "TextGraphic.h"

#include <QTemporaryDir>
#include <QTextCursor>

class TestTextImageGraphics : public QObject
{
    Q_OBJECT
private slots:
    void settersReportChanges();
    void formatReachesSelectedText();
    void focusLossEndsEditing();
    void copyShowsSameTextReadOnly();
    void pictureShrinksToCanvas_data();
    void pictureShrinksToCanvas();
    void missingOrBadPictureIsRefused();
};

void TestTextImageGraphics::settersReportChanges()
{
    TextGraphic text(QStringLiteral("Hello"));
    QCOMPARE(text.textInteractionFlags(), Qt::TextEditorInteraction);
    QVERIFY(text.setFontBold(true));
    QVERIFY(!text.setFontBold(true));
    QVERIFY(text.setFontBold(false));
    QVERIFY(!text.setFontBold(false));
    QVERIFY(text.setFontPointSize(14));
    QVERIFY(!text.setFontPointSize(14));
    QVERIFY(text.setFontPointSize(14 + 1e-6));
    QVERIFY(text.setTextColor(Qt::red));
    QVERIFY(!text.setTextColor(Qt::red));
    QCOMPARE(text.textColor(), QColor(Qt::red));
    QVERIFY(text.setFontItalic(true));
    QVERIFY(!text.setFontItalic(true));
    QVERIFY(text.setFontUnderline(true));
    QVERIFY(!text.setFontUnderline(true));
    QVERIFY(text.setFontFamily(QStringLiteral("Serif")));
    QVERIFY(!text.setFontFamily(QStringLiteral("Serif")));
}

void TestTextImageGraphics::formatReachesSelectedText()
{
    TextGraphic text(QStringLiteral("Hello"));
    QTextCursor cursor = text.textCursor();
    cursor.select(QTextCursor::Document);
    text.setTextCursor(cursor);
    QVERIFY(text.setFontBold(true));
    QVERIFY(text.setTextColor(QColor(0, 0, 255)));
    QTextCursor probe(text.document());
    probe.setPosition(2);
    QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(probe.charFormat().foreground().color(), QColor(0, 0, 255));
}

void TestTextImageGraphics::focusLossEndsEditing()
{
    Canvas canvas;
    auto *text = new TextGraphic(QStringLiteral("note"));
    canvas.addItem(text);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&canvas, &activate);
    QList<QGraphicsTextItem *> lost;
    connect(text, &TextGraphic::lostFocus, this, [&lost](QGraphicsTextItem &item) { lost << &item; });
    text->setFocus();
    text->clearFocus();
    QCOMPARE(lost, QList<QGraphicsTextItem *>{text});
    QCOMPARE(text->textInteractionFlags(), Qt::NoTextInteraction);
    text->setTextInteractionFlags(Qt::TextEditorInteraction);
    text->setFocus();
    text->clearFocus();
    QCOMPARE(lost.size(), 2);
}

void TestTextImageGraphics::copyShowsSameTextReadOnly()
{
    TextGraphic text(QStringLiteral("Hello"));
    QTextCursor cursor = text.textCursor();
    cursor.select(QTextCursor::Document);
    text.setTextCursor(cursor);
    text.setFontItalic(true);
    text.setDefaultTextColor(Qt::darkRed);
    text.setPos(30, 40);
    text.setZValue(6);
    text.scaleTo(2);
    TextGraphic copy(text);
    QCOMPARE(copy.toHtml(), text.toHtml());
    QCOMPARE(copy.defaultTextColor(), QColor(Qt::darkRed));
    QCOMPARE(copy.pos(), QPointF(30, 40));
    QCOMPARE(copy.zValue(), 6.0);
    QCOMPARE(copy.transform(), text.transform());
    QCOMPARE(copy.textInteractionFlags(), Qt::NoTextInteraction);
}

void TestTextImageGraphics::pictureShrinksToCanvas_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("shrinks");
    QTest::newRow("larger than the canvas") << QSize(2048, 1536) << true;
    QTest::newRow("fits") << QSize(800, 600) << false;
}

void TestTextImageGraphics::pictureShrinksToCanvas()
{
    QFETCH(QSize, size);
    QFETCH(bool, shrinks);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(path));
    Canvas canvas;
    auto *image = new ImageGraphic(path);
    QVERIFY(image->startDrawing(QPointF()));
    canvas.addItem(image);
    image->setPos(20, 30);
    image->finishDrawing();
    if (shrinks)
        QVERIFY(qAbs(image->graphicScale() - 0.5) < 0.001);
    else
        QCOMPARE(image->graphicScale(), 1.0);
    QVERIFY(QLineF(image->scenePos(), QPointF(20, 30)).length() < 1e-6);
    QCOMPARE(image->fileName(false), QStringLiteral("picture.png"));
    ImageGraphic copy(*image);
    QCOMPARE(copy.pixmap().size(), size);
    QCOMPARE(copy.transform(), image->transform());
    QCOMPARE(copy.fileName(true), path);
}

void TestTextImageGraphics::missingOrBadPictureIsRefused()
{
    QTemporaryDir dir;
    ImageGraphic missing(dir.filePath(QStringLiteral("gone.png")));
    QVERIFY(!missing.startDrawing(QPointF()));
    const QString bad = dir.filePath(QStringLiteral("bad.png"));
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    ImageGraphic unreadable(bad);
    QVERIFY(!unreadable.startDrawing(QPointF()));
    QVERIFY(unreadable.pixmap().isNull());
}

QUILLO_TEST_MAIN(TestTextImageGraphics)
#include "tst_TextImageGraphics.moc"
