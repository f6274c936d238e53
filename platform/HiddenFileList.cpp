#include "HiddenFileList.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString kListName = QStringLiteral(".hidden");

// Reads the list's lines. A missing list is an empty one; one that exists but cannot be read is a failure,
// so that it is never replaced by a list without the user's lines.
bool readLines(const QString &listPath, QStringList &lines, QByteArray &content)
{
    QFile file(listPath);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    content = file.readAll();
    lines = QString::fromUtf8(content).split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return true;
}

} // namespace

bool HiddenFileList::add(const QString &folder, const QStringList &names)
{
    const QString listPath = QDir(folder).filePath(kListName);
    QStringList lines;
    QByteArray content;
    if (!readLines(listPath, lines, content))
        return false;
    const QSet<QString> listed(lines.cbegin(), lines.cend());
    QByteArray added;
    QSet<QString> addedNames;
    for (const QString &name : names) {
        if (name.isEmpty() || listed.contains(name) || addedNames.contains(name))
            continue;
        addedNames.insert(name);
        added += name.toUtf8() + '\n';
    }
    if (added.isEmpty())
        return true;
    if (!content.isEmpty() && !content.endsWith('\n'))
        content += '\n';
    QSaveFile file(listPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(content + added);
    return file.commit();
}

bool HiddenFileList::markHidden(const QString &path)
{
    const QFileInfo info(path);
    return add(info.absolutePath(), {info.fileName()});
}

QSet<QString> HiddenFileList::names(const QString &folder)
{
    QStringList lines;
    QByteArray content;
    readLines(QDir(folder).filePath(kListName), lines, content);
    QSet<QString> result(lines.cbegin(), lines.cend());
    result.remove(QString());
    return result;
}

QStringList HiddenFileList::visibleNames(const QString &folder, QDir::Filters filters)
{
    const QSet<QString> hidden = names(folder);
    QStringList visible;
    QDirIterator it(folder, filters);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (!hidden.contains(name))
            visible.append(name);
    }
    return visible;
}
