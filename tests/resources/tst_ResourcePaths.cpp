#include "TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>

namespace {

// The source folders of the libraries this test links, whose compiled-in resources it checks.
const char *const kSourceFolders[] = {"app", "app/base", "doccam", "annotation", "recording"};

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every resource path named in the folder's code, and in the forms that code builds: "name" -> where.
QMap<QString, QString> namedResources(const QString &folder)
{
    // A string of its own, or a style sheet's url(...).
    static const QRegularExpression inCode(QStringLiteral("(?:\"|url\\()(:/[^\"%)]+)"));
    static const QRegularExpression inForm(QStringLiteral("(?:>|url\\()(:/[^<)]+)"));
    static const QRegularExpression formInclude(QStringLiteral("#include \"ui_(\\w+)\\.h\""));
    const QDir sources(TestEnvironment::inputPath("QUILLO_SOURCE_DIR"));
    QMap<QString, QString> named;
    QDirIterator files(sources.filePath(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString code = readAll(file);
        for (const QRegularExpressionMatch &match : inCode.globalMatch(code))
            named.insert(match.captured(1), sources.relativeFilePath(file));
        for (const QRegularExpressionMatch &include : formInclude.globalMatch(code)) {
            const QString form = sources.filePath(QStringLiteral("forms/%1.ui").arg(include.captured(1)));
            const QString text = readAll(form);
            if (text.isEmpty())
                qFatal("%s builds the form %s, which cannot be read", qPrintable(file), qPrintable(form));
            for (const QRegularExpressionMatch &match : inForm.globalMatch(text))
                named.insert(match.captured(1), sources.relativeFilePath(form));
        }
    }
    return named;
}

} // namespace

// Every icon, cursor and sound that a form or the code names is compiled in at that path.
class TestResourcePaths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyNamedResourceLoads_data();
    void everyNamedResourceLoads();
};

void TestResourcePaths::everyNamedResourceLoads_data()
{
    QTest::addColumn<QString>("path");
    int count = 0;
    for (const char *folder : kSourceFolders) {
        const QMap<QString, QString> named = namedResources(QLatin1String(folder));
        for (auto it = named.cbegin(); it != named.cend(); ++it, ++count)
            QTest::addRow("%s in %s", qPrintable(it.key()), qPrintable(it.value())) << it.key();
    }
    if (count == 0)
        qFatal("no resource path found under %s", qPrintable(TestEnvironment::inputPath("QUILLO_SOURCE_DIR")));
}

void TestResourcePaths::everyNamedResourceLoads()
{
    QFETCH(QString, path);
    if (path.endsWith(QLatin1String(".wav"))) {
        QVERIFY(QFile(path).size() > 0);
        return;
    }
    // Images by their content, so that cursors named without an extension are read too.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
}

QUILLO_TEST_MAIN(TestResourcePaths)
#include "tst_ResourcePaths.moc"
