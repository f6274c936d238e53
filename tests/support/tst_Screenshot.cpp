#include "Screenshot.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>

class TestScreenshot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savesTheWidgetUnderTheProgramsName_data();
    void savesTheWidgetUnderTheProgramsName();
};

void TestScreenshot::savesTheWidgetUnderTheProgramsName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("plain") << QStringLiteral("red-label") << QStringLiteral("tst_Screenshot-red-label.png");
    QTest::newRow("a path stays in the folder")
        << QStringLiteral("../out side") << QStringLiteral("tst_Screenshot-.._out_side.png");
}

void TestScreenshot::savesTheWidgetUnderTheProgramsName()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);

    QLabel label(QStringLiteral("Quillo"));
    label.setAutoFillBackground(true);
    label.setStyleSheet(QStringLiteral("background: red; color: white"));
    label.resize(120, 40);

    const QString path = Screenshot::save(&label, name);
    QCOMPARE(path, QDir(QStringLiteral(QUILLO_SCREENSHOT_DIR)).absoluteFilePath(fileName));
    const QImage saved(path);
    QCOMPARE(saved.size(), label.size() * label.devicePixelRatio());
    QCOMPARE(saved.pixelColor(2, 2), QColor(Qt::red));
}

QUILLO_TEST_MAIN(TestScreenshot)
#include "tst_Screenshot.moc"
