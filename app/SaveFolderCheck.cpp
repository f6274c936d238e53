#include "SaveFolderCheck.h"

#include <QDir>
#include <QFile>

namespace {

const QString kProbeName = QStringLiteral("ttt_ttt_test%1");

} // namespace

SaveFolderCheck::Verdict SaveFolderCheck::check(const QString &folder)
{
    if (folder.size() >= kMaxPathLength)
        return Verdict::TooLong;
    if (folder.isEmpty())
        return Verdict::NothingChosen;
    return canCreateFileIn(folder) ? Verdict::Accepted : Verdict::WriteProtected;
}

bool SaveFolderCheck::canCreateFileIn(const QString &folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        return false;
    for (int number = 0;; ++number) {
        const QString name = kProbeName.arg(number);
        if (dir.exists(name))
            continue;
        QFile probe(dir.filePath(name));
        // NewOnly: a file of that name made meanwhile by someone else is never opened, and so never removed.
        if (probe.open(QIODevice::ReadWrite | QIODevice::NewOnly)) {
            probe.close();
            probe.remove();
            return true;
        }
        if (!probe.exists())
            return false;
    }
}

QString SaveFolderCheck::fieldText(const QString &folder)
{
    QString path = QDir(folder).absolutePath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return QDir::toNativeSeparators(path);
}

QString SaveFolderCheck::storedPath(const QString &fieldText)
{
    return QDir::fromNativeSeparators(fieldText);
}
