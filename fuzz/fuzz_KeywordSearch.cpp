// The search box's text: any text is split into search words as documented, and the search finds exactly
// the indexed files one of whose rows (name or keyword) matches every word as a LIKE pattern with the
// backslash as escape character, which is what the words are made for.
#include "FuzzSupport.h"

#include "MediaLibraryDatabase.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace {

struct IndexedFile
{
    QString name;
    QStringList keywords;
};

// Names and keywords that hold every character the words escape, the escape character itself, and text
// outside ASCII.
const QList<IndexedFile> kFiles = {
    {QStringLiteral("red_car.jpg"), {QStringLiteral("Red Car"), QStringLiteral("50% off"), QStringLiteral("[draft]")}},
    {QStringLiteral("back\\slash.png"), {QStringLiteral("C:\\Docs"), QStringLiteral("ends\\")}},
    {QStringLiteral("straße.avi"), {QStringLiteral("Ünïcödé"), QStringLiteral("emoji \U0001F600 x")}},
    {QStringLiteral("plain ab.jpg"), {QStringLiteral("a_b"), QStringLiteral("axb"), QStringLiteral("%_%")}},
    {QStringLiteral("no keywords.wmv"), {}},
};

QString mediaFolder()
{
    return FuzzSupport::scratchFolder() + QStringLiteral("/media");
}

MediaLibraryDatabase *index()
{
    static MediaLibraryDatabase *database = [] {
        MediaLibraryDatabase *opened = MediaLibraryDatabase::getInstance();
        QDir().mkpath(mediaFolder());
        for (const IndexedFile &file : kFiles) {
            const QString path = mediaFolder() + QLatin1Char('/') + file.name;
            QFile(path).open(QIODevice::WriteOnly);
            if (!opened->addFileByPath(path, file.keywords))
                FuzzSupport::fail("cannot index %s", qPrintable(path));
        }
        return opened;
    }();
    return database;
}

// SQLite's LIKE with '\' as escape character, over code points: '%' any run, '_' any one, '\' makes the
// next character plain, ASCII letters match either case, a text ends at its first NUL, and an escape
// character with nothing after it matches nothing.
bool like(const QString &text, const QString &pattern)
{
    const auto untilNul = [](const QString &s) {
        QList<uint> points = s.toUcs4();
        const qsizetype nul = points.indexOf(0u);
        if (nul >= 0)
            points.resize(nul);
        return points;
    };
    const QList<uint> t = untilNul(text);
    const QList<uint> p = untilNul(pattern);
    enum Kind { Run, One, Plain };
    QList<QPair<Kind, uint>> tokens;
    for (qsizetype i = 0; i < p.size(); ++i) {
        if (p[i] == '\\') {
            if (++i == p.size())
                return false;
            tokens.append({Plain, p[i]});
        } else {
            tokens.append({p[i] == '%' ? Run : p[i] == '_' ? One : Plain, p[i]});
        }
    }
    const auto fold = [](uint c) { return c < 0x80 && c >= 'A' && c <= 'Z' ? c + 32 : c; };
    // matched[j]: the tokens so far match the first j characters.
    QList<bool> matched(t.size() + 1, false);
    matched[0] = true;
    for (const auto &[kind, c] : tokens) {
        QList<bool> next(t.size() + 1, false);
        for (qsizetype j = 0; j <= t.size(); ++j) {
            if (kind == Run)
                next[j] = matched[j] || (j > 0 && next[j - 1]);
            else if (j > 0 && matched[j - 1])
                next[j] = kind == One || fold(t[j - 1]) == fold(c);
        }
        matched = next;
    }
    return matched.last();
}

// A word with the backslashes parseKeywords put in front of "_", "%", "[" and "]" taken out again; empty
// when one of those stands without its backslash.
QString unescaped(const QString &word)
{
    static const QString kSpecial = QStringLiteral("_%[]");
    QString plain;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] == QLatin1Char('\\') && i + 1 < word.size() && kSpecial.contains(word[i + 1]))
            ++i;
        else if (kSpecial.contains(word[i]))
            return QString();
        plain += word[i];
    }
    return plain;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MediaLibraryDatabase *database = index();
    const QString text = QString::fromUtf8(FuzzSupport::bytesOf(data, size));
    const QStringList words = database->parseKeywords(text);

    QSet<QString> parts;
    for (const QString &part : text.split(QLatin1Char(','))) {
        if (!part.trimmed().isEmpty())
            parts.insert(part.trimmed());
    }
    QSet<QString> wordsTaken;
    for (const QString &word : words) {
        const QString plain = unescaped(word);
        FUZZ_CHECK(parts.contains(plain), "the word \"%s\" is not a part of the text", qUtf8Printable(word));
        FUZZ_CHECK(!wordsTaken.contains(plain), "the word \"%s\" came twice", qUtf8Printable(word));
        wordsTaken.insert(plain);
    }
    FUZZ_CHECK(wordsTaken.size() == parts.size(), "%lld parts gave %lld words", qint64(parts.size()),
               qint64(words.size()));

    const QStringList found = database->searchKeywords(words);
    QStringList expected;
    if (!words.isEmpty()) {
        for (const IndexedFile &file : kFiles) {
            QStringList rows{file.name.toLower()};
            for (const QString &keyword : file.keywords)
                rows.append(keyword.toLower());
            const bool match = std::any_of(rows.cbegin(), rows.cend(), [&words](const QString &row) {
                return std::all_of(words.cbegin(), words.cend(), [&row](const QString &word) {
                    return like(row, QLatin1Char('%') + word.toLower() + QLatin1Char('%'));
                });
            });
            if (match)
                expected.append(mediaFolder() + QLatin1Char('/') + file.name);
        }
    }
    FUZZ_CHECK(QSet<QString>(found.cbegin(), found.cend()).size() == found.size(), "a file was found twice");
    QStringList sorted = found;
    sorted.sort();
    expected.sort();
    FUZZ_CHECK(sorted == expected, "\"%s\" found [%s], expected [%s]", qUtf8Printable(text),
               qUtf8Printable(sorted.join(QLatin1Char('|'))), qUtf8Printable(expected.join(QLatin1Char('|'))));
    return 0;
}
