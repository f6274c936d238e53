#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class ScheduleHost;
class ScheduleItem;

// "SNScheduleFile.dat" in the data folder: the records of every scheduled job, back to back, with nothing
// before, between or after them. It is replaced whole on each save, atomically, and listed in the folder's
// ".hidden". A record cut short or naming no known state is dropped on reading, and the damaged file is
// copied aside (".bad", numbered when taken) before anything can overwrite it.
class ScheduleFile
{
public:
    explicit ScheduleFile(const QString &dataFolder);

    QString path() const { return m_path; }
    // The jobs of every whole record, in file order; none for a missing or unreadable file.
    std::vector<std::unique_ptr<ScheduleItem>> load(ScheduleHost *host);
    // False when the file could not be written (the old one then stays as it was).
    bool save(const QList<ScheduleItem *> &items);
    // Where the last load put a damaged file; empty when the file was sound.
    QString asidePath() const { return m_asidePath; }

private:
    void setAside();

    QString m_folder;
    QString m_path;
    QString m_asidePath;
};
