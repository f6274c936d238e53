#include "Screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QRegularExpression>
#include <QWidget>
#include <QtTest>

QString Screenshot::folder()
{
    return QStringLiteral(QUILLO_SCREENSHOT_DIR);
}

QString Screenshot::save(QWidget *widget, const QString &name)
{
    // A name is one file in the shared folder, never a path out of it.
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    QString fileName = name;
    fileName.replace(unsafe, QStringLiteral("_"));
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const QString path =
        QDir(folder()).absoluteFilePath(program + QLatin1Char('-') + fileName + QStringLiteral(".png"));

    const QPixmap picture = widget->grab();
    // The build made the folder; it is made again only for a build tree someone tidied by hand.
    if (picture.isNull() || !QDir().mkpath(folder()) || !picture.save(path, "PNG")) {
        QTest::qFail(qPrintable(QStringLiteral("Screenshot: cannot save %1 (%2x%3 pixels)")
                                    .arg(path)
                                    .arg(picture.width())
                                    .arg(picture.height())),
                     __FILE__, __LINE__);
        return {};
    }
    return path;
}
