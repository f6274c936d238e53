#include "TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

// A text as a translator sees it: where it is shown, the text itself, and the programmer's note on it.
struct Message
{
    QString context;
    QString source;
    QString comment;
    friend bool operator==(const Message &a, const Message &b) = default;
    friend size_t qHash(const Message &m, size_t seed = 0) { return qHashMulti(seed, m.context, m.source, m.comment); }
};

// The texts of a translation source file that are still in use (obsolete and vanished entries left out).
QSet<Message> readMessages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QSet<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    bool inMessage = false;
    bool inUse = true;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == QLatin1String("name") && !inMessage) {
                context = xml.readElementText();
            } else if (name == QLatin1String("message")) {
                message = Message{context, {}, {}};
                inMessage = true;
                inUse = true;
            } else if (inMessage && name == QLatin1String("source")) {
                message.source = xml.readElementText();
            } else if (inMessage && name == QLatin1String("comment")) {
                message.comment = xml.readElementText();
            } else if (inMessage && name == QLatin1String("translation")) {
                const QString type = xml.attributes().value(QLatin1String("type")).toString();
                inUse = type != QLatin1String("obsolete") && type != QLatin1String("vanished");
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            if (inUse)
                messages.insert(message);
            inMessage = false;
        }
    }
    if (xml.hasError())
        qFatal("%s is not a translation file: %s", qPrintable(path), qPrintable(xml.errorString()));
    return messages;
}

QStringList describe(const QSet<Message> &messages)
{
    QStringList lines;
    for (const Message &m : messages)
        lines << QStringLiteral("  %1: \"%2\"%3")
                     .arg(m.context, m.source,
                          m.comment.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(m.comment));
    lines.sort();
    return lines;
}

} // namespace

// The translation source file holds every text the sources show, and no text they no longer show: a new tr()
// text without its entry would reach translators never.
class TestTranslationSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theSourceFileHoldsEveryTextOfTheSources()
    {
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString extracted = scratch.filePath(QStringLiteral("extracted.ts"));
        QProcess lupdate;
        lupdate.setProcessChannelMode(QProcess::MergedChannels);
        lupdate.start(TestEnvironment::inputPath("QUILLO_LUPDATE"),
                      {QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-no-obsolete"),
                       QLatin1Char('@') + TestEnvironment::inputPath("QUILLO_TRANSLATED_SOURCES"),
                       QStringLiteral("-ts"), extracted});
        QVERIFY2(lupdate.waitForFinished(60000), "lupdate did not finish");
        const QByteArray output = lupdate.readAll();
        QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0, output.constData());

        const QSet<Message> fromSources = readMessages(extracted);
        const QString tsFile = TestEnvironment::inputPath("QUILLO_TS_FILE");
        const QSet<Message> inFile = readMessages(tsFile);
        QVERIFY2(fromSources.size() > 100, "the extraction found almost no texts: is the source list complete?");
        const QStringList missing = describe(fromSources - inFile);
        const QStringList stale = describe(inFile - fromSources);
        const QString advice = QStringLiteral("; run `cmake --build build --target update_translations`");
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("texts of the sources missing from %1%2:\n%3")
                                                   .arg(tsFile, advice, missing.join('\n'))));
        QVERIFY2(stale.isEmpty(), qPrintable(QStringLiteral("texts no source shows any more in %1%2:\n%3")
                                                 .arg(tsFile, advice, stale.join('\n'))));
    }
};

QUILLO_TEST_MAIN(TestTranslationSource)
#include "tst_TranslationSource.moc"
