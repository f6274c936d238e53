// The schedule file of queued uploads. Any bytes either read as whole records or are rejected; a rejected
// file is copied aside unchanged before anything can overwrite it, and the copy survives the next save.
// What was read, saved and read again is the same jobs, and saving those again writes the same bytes.
#include "FuzzSupport.h"
#include "ScheduleFile.h"
#include "ScheduleItem.h"

#include <QDir>
#include <QFile>

namespace {

QString dataFolder()
{
    static const QString folder = [] {
        const QString path = FuzzSupport::scratchFolder() + QStringLiteral("/data");
        QDir().mkpath(path);
        return path;
    }();
    return folder;
}

// Each input starts from a folder with its file only: no earlier copy aside, no hidden-file list.
void clearFolder()
{
    QDir folder(dataFolder());
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden))
        folder.remove(name);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        FuzzSupport::fail("cannot read %s", qPrintable(path));
    return file.readAll();
}

QList<ScheduleItem *> pointers(const std::vector<std::unique_ptr<ScheduleItem>> &items)
{
    QList<ScheduleItem *> list;
    for (const auto &item : items)
        list.append(item.get());
    return list;
}

bool sameJob(const ScheduleItem &a, const ScheduleItem &b)
{
    return a.path() == b.path() && a.path().isNull() == b.path().isNull() && a.service() == b.service()
           && a.isVideo() == b.isVideo() && a.time() == b.time() && a.time().isValid() == b.time().isValid()
           && a.title() == b.title() && a.author() == b.author() && a.description() == b.description()
           && a.keywords() == b.keywords() && a.state() == b.state() && a.result() == b.result()
           && a.result().isNull() == b.result().isNull();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A schedule is a few records: a file of megabytes written from a small input is a runaway writer.
    static const bool limited = (FuzzSupport::limitFileSize(qint64(16) << 20), true);
    Q_UNUSED(limited);
    const QByteArray bytes = FuzzSupport::bytesOf(data, size);
    clearFolder();
    ScheduleFile file(dataFolder());
    {
        QFile written(file.path());
        if (!written.open(QIODevice::WriteOnly) || written.write(bytes) != bytes.size())
            FuzzSupport::fail("cannot write %s", qPrintable(file.path()));
    }

    const auto read = file.load(nullptr);
    const QString aside = file.asidePath();
    FUZZ_CHECK(contents(file.path()) == bytes, "reading changed the schedule file");
    if (!aside.isEmpty())
        FUZZ_CHECK(contents(aside) == bytes, "the damaged file was not kept aside unchanged");
    for (const auto &item : read)
        FUZZ_CHECK(item->isValid(), "a job that is not valid was read");

    FUZZ_CHECK(file.save(pointers(read)), "the jobs read could not be saved");
    if (!aside.isEmpty())
        FUZZ_CHECK(contents(aside) == bytes, "saving changed the copy of the damaged file");
    const QByteArray saved = contents(file.path());

    ScheduleFile again(dataFolder());
    const auto reread = again.load(nullptr);
    FUZZ_CHECK(again.asidePath().isEmpty(), "a file the writer wrote counts as damaged");
    FUZZ_CHECK(reread.size() == read.size(), "%zu jobs were saved and %zu read back", read.size(), reread.size());
    for (size_t i = 0; i < read.size(); ++i)
        FUZZ_CHECK(sameJob(*read[i], *reread[i]), "job %zu changed between saving and reading back", i);
    FUZZ_CHECK(again.save(pointers(reread)), "the jobs read back could not be saved");
    FUZZ_CHECK(contents(again.path()) == saved, "saving what was read back wrote other bytes");
    return 0;
}
