#include "ScheduleFile.h"

#include "HiddenFileList.h"
#include "ScheduleItem.h"
#include "UploadLog.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSaveFile>

ScheduleFile::ScheduleFile(const QString &dataFolder)
    : m_folder(QDir(dataFolder).absolutePath())
    , m_path(m_folder + QStringLiteral("/SNScheduleFile.dat"))
{
}

std::vector<std::unique_ptr<ScheduleItem>> ScheduleFile::load(ScheduleHost *host)
{
    std::vector<std::unique_ptr<ScheduleItem>> items;
    m_asidePath.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return items;
    QDataStream stream(&file);
    stream.setVersion(ScheduleItem::kRecordStreamVersion);
    int dropped = 0;
    while (!stream.atEnd()) {
        auto item = std::make_unique<ScheduleItem>(host, stream);
        if (stream.status() != QDataStream::Ok) {
            // Cut short: nothing after it can be found again.
            ++dropped;
            break;
        }
        if (!item->isValid()) {
            ++dropped;
            continue;
        }
        items.push_back(std::move(item));
    }
    file.close();
    if (dropped > 0) {
        uploadLog(LogSystem::LOG_WARNING, "ScheduleFile - %d damaged record(s) dropped from %s", dropped,
                  qUtf8Printable(m_path));
        setAside();
    }
    HiddenFileList::markHidden(m_path);
    return items;
}

void ScheduleFile::setAside()
{
    QString aside = m_path + QStringLiteral(".bad");
    for (int n = 1; QFile::exists(aside); ++n)
        aside = m_path + QStringLiteral(".bad.%1").arg(n);
    if (QFile::copy(m_path, aside))
        m_asidePath = aside;
    else
        uploadLog(LogSystem::LOG_ERROR, "ScheduleFile - could not keep the damaged file as %s", qUtf8Printable(aside));
}

bool ScheduleFile::save(const QList<ScheduleItem *> &items)
{
    // A fresh profile has no data folder yet; without it every queued job would be lost at exit.
    if (!QDir().mkpath(m_folder)) {
        uploadLog(LogSystem::LOG_ERROR, "ScheduleFile - cannot make %s", qUtf8Printable(m_folder));
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        uploadLog(LogSystem::LOG_ERROR, "ScheduleFile - cannot write %s: %s", qUtf8Printable(m_path),
                  qUtf8Printable(file.errorString()));
        return false;
    }
    QDataStream stream(&file);
    stream.setVersion(ScheduleItem::kRecordStreamVersion);
    for (ScheduleItem *item : items)
        item->write(stream);
    if (stream.status() != QDataStream::Ok || !file.commit()) {
        uploadLog(LogSystem::LOG_ERROR, "ScheduleFile - writing %s failed: %s", qUtf8Printable(m_path),
                  qUtf8Printable(file.errorString()));
        return false;
    }
    HiddenFileList::markHidden(m_path);
    return true;
}
