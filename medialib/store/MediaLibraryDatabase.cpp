#include "MediaLibraryDatabase.h"

#include "HiddenFileList.h"
#include "MediaFileStore.h"
#include "MediaLog.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>

#include <algorithm>
#include <optional>

namespace {

const QString kConnectionName = QStringLiteral("connSQLite");
const QString kDriver = QStringLiteral("QSQLITE");
const QString kFileName = QStringLiteral("MediaSearch_v1.db3");
const QString kJournalName = kFileName + QStringLiteral("-journal");
const QString kTable = QStringLiteral("files");
// SQLite's own wait for a lock held by another process. The driver's default of 5 s would freeze the
// window; a quarter of a second rides over another writer's commit and otherwise gives up.
const QString kConnectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=250");
constexpr int kBusyWaitMs = 250;
// Writes refused by a busy index are tried again this often, without waiting for the lock.
constexpr int kRetryIntervalMs = 1000;
// At exit, what is still held back gets one last try with a longer wait: a backup or a shell holding the
// index briefly is waited out, a lock kept for good does not hold the program's exit for long.
constexpr int kExitWaitMs = 2000;
// A sync on the worker thread commits this many changed rows at a time: a statement of the window meanwhile
// waits for one such transaction only (a few milliseconds), not for a whole first visit of a folder of
// tens of thousands.
constexpr qsizetype kRowsPerStep = 500;
// The worker's pause between its steps: long enough for a waiting GUI thread to take the access lock first.
constexpr unsigned long kStepPauseMs = 1;
// SQLite's result codes for a database locked by another connection.
const QString kSqliteBusy = QStringLiteral("5");
const QString kSqliteLocked = QStringLiteral("6");
// SQLite's result codes for a file that is damaged or no database at all.
const QString kSqliteCorrupt = QStringLiteral("11");
const QString kSqliteNotADatabase = QStringLiteral("26");

const QString kCreateTable = QStringLiteral(
    "create table '%1'(dirPath varchar, fileName varchar, suffix varchar, keyword varchar, role integer)");
const QString kCreateKeywordIndex = QStringLiteral("create index '%1' on '%2'(keyword)");
const QString kCreateFolderIndex = QStringLiteral("create index '%1' on '%2'(dirPath)");
const QString kInsert = QStringLiteral("insert into 'files' values(?, ?, ?, ?, ?)");
const QString kDeleteFile = QStringLiteral("delete from 'files' where dirPath = ? and (fileName = ? and suffix = ?)");
const QString kSelectFolder =
    QStringLiteral("select dirPath, fileName, suffix, keyword from 'files' where dirPath = ?");
const QString kMoveFile = QStringLiteral("update 'files' set dirPath = ?, fileName = ?, suffix = ?"
                                         " where dirPath = ? and (fileName = ? and suffix = ?)");
// Only the moved file's own name row: other files of the folder may carry the old name as a keyword.
const QString kRenameWord =
    QStringLiteral("update 'files' set keyword = ? where role = 0 and dirPath = ? and (fileName = ? and suffix = ?)");
// A folder and everything below it: the folder path itself, or paths from "<path>/" up to (not including)
// "<path>0", '0' being the character after '/'. This range uses the folder index and needs no escaping.
const QString kMoveFolder = QStringLiteral("update 'files' set dirPath = ? || substr(dirPath, length(?) + 1)"
                                           " where dirPath = ? or (dirPath >= ? and dirPath < ?)");
const QString kCopyFolder = QStringLiteral("insert into 'files' select ? || substr(dirPath, length(?) + 1),"
                                           " fileName, suffix, keyword, role from 'files'"
                                           " where dirPath = ? or (dirPath >= ? and dirPath < ?)");
const QString kDeleteFolder = QStringLiteral("delete from 'files' where dirPath = ? or (dirPath >= ? and dirPath < ?)");
const QString kSearchHead = QStringLiteral("select dirPath, fileName, suffix from 'files' where");
const QString kSearchTerm = QStringLiteral(" keyword like ? escape '\\' and");

MediaLibraryDatabase *instance = nullptr;
QMutex accessMutex;
QMutex countMutex;
// Whether the last statement that failed on this thread was refused because another connection holds the
// index. The folder syncs on the worker thread keep their own.
thread_local bool lastFailureBusy = false;

void noteFailure(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    lastFailureBusy = code == kSqliteBusy || code == kSqliteLocked;
}

enum Role { ROLE_NAME = 0, ROLE_KEYWORD = 1 };

QSqlDatabase connection()
{
    return QSqlDatabase::database(kConnectionName, false);
}

// The stored form of a file: its folder, the name before the last '.', and the part after it.
struct Triple
{
    QString dirPath;
    QString fileName;
    QString suffix;

    static Triple of(const QFileInfo &file)
    {
        return {file.absolutePath().toLower(), file.completeBaseName().toLower(), file.suffix().toLower()};
    }
    // The same as of() for a name listed in a folder whose lower-cased path is known: a folder of tens of
    // thousands is matched on every visit, and building a file-information object per name cost most of it.
    static Triple inFolder(const QString &lowerDirPath, const QString &name)
    {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot < 0)
            return {lowerDirPath, name.toLower(), QString()};
        return {lowerDirPath, name.left(dot).toLower(), name.mid(dot + 1).toLower()};
    }
    // The name a row stands for, rebuilt from its parts.
    QString name() const { return suffix.isEmpty() ? fileName : fileName + QLatin1Char('.') + suffix; }
    QString path() const
    {
        return dirPath.endsWith(QLatin1Char('/')) ? dirPath + name() : dirPath + QLatin1Char('/') + name();
    }
    QString key() const { return fileName + QLatin1Char('/') + suffix; }
    bool operator==(const Triple &other) const
    {
        return dirPath == other.dirPath && fileName == other.fileName && suffix == other.suffix;
    }
};

// Whether a file or folder other than path (and other than besides) exists whose path equals path when
// letter case is ignored: it shares path's rows.
bool hasOtherSpelling(const QString &path, const QString &besides = QString())
{
    const QString clean = QDir::cleanPath(path);
    const QStringList spellings = PathCaseResolver().resolve(clean);
    return std::any_of(spellings.cbegin(), spellings.cend(),
                       [&](const QString &spelling) { return spelling != clean && spelling != besides; });
}

// The bounds of the rows below a folder (see kMoveFolder).
QString belowFrom(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString belowTo(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder.chopped(1) + QLatin1Char('0') : folder + QLatin1Char('0');
}

bool run(QSqlQuery &query, const char *operation)
{
    if (query.exec())
        return true;
    noteFailure(query.lastError());
    mediaLog(LogSystem::LOG_WARNING, "MediaLibraryDatabase::%s - %s", operation,
             qUtf8Printable(query.lastError().text()));
    return false;
}

bool prepareAndRun(QSqlQuery &query, const QString &statement, const QVariantList &values, const char *operation)
{
    if (!query.prepare(statement)) {
        noteFailure(query.lastError());
        mediaLog(LogSystem::LOG_WARNING, "MediaLibraryDatabase::%s - %s", operation,
                 qUtf8Printable(query.lastError().text()));
        return false;
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    return run(query, operation);
}

bool deleteRows(QSqlDatabase db, const Triple &file, const char *operation)
{
    QSqlQuery query(db);
    return prepareAndRun(query, kDeleteFile, {file.dirPath, file.fileName, file.suffix}, operation);
}

bool insertRow(QSqlQuery &insert, const Triple &file, const QString &keyword, Role role)
{
    insert.bindValue(0, file.dirPath);
    insert.bindValue(1, file.fileName);
    insert.bindValue(2, file.suffix);
    insert.bindValue(3, keyword);
    insert.bindValue(4, int(role));
    return run(insert, "insert");
}

// A file's name row and one row per keyword.
bool insertFileRows(QSqlQuery &insert, const QFileInfo &file, const QStringList &keywords)
{
    const Triple triple = Triple::of(file);
    bool ok = insertRow(insert, triple, file.fileName().toLower(), ROLE_NAME);
    for (const QString &keyword : keywords)
        ok = ok && insertRow(insert, triple, keyword.toLower(), ROLE_KEYWORD);
    return ok;
}

// Ends a transaction: kept when every statement in it succeeded, otherwise undone, so the index is never
// left half-changed.
bool finish(QSqlDatabase db, bool ok, const char *operation)
{
    if (ok && db.commit())
        return true;
    if (ok)
        noteFailure(db.lastError());
    if (ok)
        mediaLog(LogSystem::LOG_WARNING, "MediaLibraryDatabase::%s - commit failed: %s", operation,
                 qUtf8Printable(db.lastError().text()));
    db.rollback();
    return false;
}

bool begin(QSqlDatabase db, const char *operation)
{
    if (db.transaction())
        return true;
    noteFailure(db.lastError());
    mediaLog(LogSystem::LOG_WARNING, "MediaLibraryDatabase::%s - cannot begin: %s", operation,
             qUtf8Printable(db.lastError().text()));
    return false;
}

// Only a file SQLite reports as damaged or foreign counts; a busy one is left alone.
bool isDamaged(QSqlDatabase db)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("select count(*) from sqlite_master")))
        return false;
    const QString code = query.lastError().nativeErrorCode();
    return code == kSqliteCorrupt || code == kSqliteNotADatabase;
}

void markHidden(const QString &databasePath)
{
    const QFileInfo file(databasePath);
    if (!HiddenFileList::add(file.absolutePath(), {file.fileName(), file.fileName() + QStringLiteral("-journal")}))
        mediaLog(LogSystem::LOG_INFO, "MediaLibraryDatabase::open - cannot mark %s hidden",
                 qUtf8Printable(databasePath));
}

struct FolderSync
{
    bool ok = false;
    // The files whose rows were dropped because they are gone.
    QStringList missing;
};

// Makes the folder's rows match its visible files: rows of missing files go, files without rows get their
// name row. At once (the caller holding the access lock), all in one transaction; or in steps, for a
// connection of another thread: the access lock is taken for the reading of the rows and for each
// transaction of a few hundred rows only, with a pause before each, so the window's statements wait for one
// step at most and
// never run into this connection's lock inside SQLite (where its busy wait could miss the short gaps
// between transactions and give up).
FolderSync syncRows(QSqlDatabase db, const QDir &folder, bool inSteps)
{
    const QString dirPath = folder.absolutePath().toLower();

    // Files on disk are matched to rows by the lower-cased name the rows were written with; names that
    // differ only in case share one set of rows.
    QHash<QString, Triple> withoutRows;
    QSet<QString> listed;
    // The visible files: no sub-folders, no dot-files and nothing the folder's ".hidden" lists.
    const QStringList names = HiddenFileList::visibleNames(folder.absolutePath(), QDir::Files | QDir::NoDotAndDotDot);
    withoutRows.reserve(names.size());
    listed.reserve(names.size());
    for (const QString &name : names) {
        const Triple triple = Triple::inFolder(dirPath, name);
        const QString key = triple.key();
        if (!listed.contains(key)) {
            listed.insert(key);
            withoutRows.insert(key, {dirPath, triple.fileName, triple.suffix});
        }
    }

    // The folder is listed before: tens of thousands of names take longer than the rows.
    QMutexLocker lock(inSteps ? &accessMutex : nullptr);
    QSqlQuery select(db);
    select.setForwardOnly(true);
    if (!prepareAndRun(select, kSelectFolder, {dirPath}, "syncFolder"))
        return {};
    QList<Triple> stale;
    QSet<QString> seen;
    PathCaseResolver resolver;
    while (select.next()) {
        const Triple row{select.value(0).toString(), select.value(1).toString(), select.value(2).toString()};
        const QString key = row.key();
        if (listed.contains(key)) {
            withoutRows.remove(key);
            continue;
        }
        if (seen.contains(key))
            continue;
        seen.insert(key);
        // A hidden file, or one in a folder whose name differs from this one only in case, still exists.
        if (resolver.exists(row.path()))
            continue;
        stale.append(row);
    }
    select.finish();

    const QList<Triple> added = withoutRows.values();
    const qsizetype total = stale.size() + added.size();
    const qsizetype step = inSteps ? kRowsPerStep : total;
    FolderSync result;
    result.ok = true;
    for (qsizetype done = 0; result.ok && done < total;) {
        if (inSteps) {
            lock.unlock();
            QThread::msleep(kStepPauseMs);
            lock.relock();
        }
        if (!begin(db, "syncFolder")) {
            result.ok = false;
            break;
        }
        QSqlQuery insert(db);
        bool ok = insert.prepare(kInsert);
        for (const qsizetype end = qMin(total, done + step); ok && done < end; ++done) {
            if (done < stale.size()) {
                ok = deleteRows(db, stale.at(done), "syncFolder");
            } else {
                const Triple &file = added.at(done - stale.size());
                ok = insertRow(insert, file, file.name(), ROLE_NAME);
            }
        }
        result.ok = finish(db, ok, "syncFolder");
        // Stale rows go first: those of the transactions kept are gone for good.
        for (qsizetype i = result.missing.size(); result.ok && i < qMin(done, stale.size()); ++i)
            result.missing.append(folder.absoluteFilePath(stale.at(i).name()));
    }
    return result;
}

} // namespace

MediaLibraryDatabase::MediaLibraryDatabase(QObject *parent)
    : QObject(parent)
    , m_retryTimer(new QTimer(this))
    , m_syncPool(std::make_unique<QThreadPool>())
{
    m_syncPool->setMaxThreadCount(1);
    m_retryTimer->setInterval(kRetryIntervalMs);
    connect(m_retryTimer, &QTimer::timeout, this, [this] { applyPending(0); });
    open();
    createTables();
    if (m_rebuildNeeded && usable())
        rebuildFromInfoFiles();
}

MediaLibraryDatabase::~MediaLibraryDatabase()
{
    if (!m_pending.isEmpty() && m_opened && QThread::currentThread() == m_thread) {
        applyPending(kExitWaitMs);
        for (const PendingWrite &write : std::as_const(m_pending))
            mediaLog(LogSystem::LOG_ERROR, "MediaLibraryDatabase - the index stayed busy, not stored: %s of %s",
                     write.operation, qUtf8Printable(write.path));
    }
    close();
}

bool MediaLibraryDatabase::write(const char *operation, const QString &path, const std::function<bool()> &apply)
{
    if (!usable())
        return false;
    // Held-back writes go first, so the index sees every change in the order it was made.
    if (!applyPending(0)) {
        m_pending.append({operation, path, apply});
        return false;
    }
    lastFailureBusy = false;
    if (apply())
        return true;
    if (lastFailureBusy) {
        mediaLog(LogSystem::LOG_NOTICE, "MediaLibraryDatabase::%s - the index is busy, %s is tried again later",
                 operation, qUtf8Printable(path));
        m_pending.append({operation, path, apply});
        m_retryTimer->start();
    }
    return false;
}

bool MediaLibraryDatabase::applyPending(int waitMs)
{
    if (m_pending.isEmpty())
        return true;
    setBusyWait(waitMs);
    while (!m_pending.isEmpty()) {
        lastFailureBusy = false;
        if (!m_pending.first().apply() && lastFailureBusy)
            break;
        // Applied, or refused for a reason a retry cannot mend (the file is gone meanwhile): done with.
        m_pending.removeFirst();
    }
    setBusyWait(kBusyWaitMs);
    if (m_pending.isEmpty())
        m_retryTimer->stop();
    else
        m_retryTimer->start();
    return m_pending.isEmpty();
}

void MediaLibraryDatabase::setBusyWait(int ms)
{
    QMutexLocker lock(&accessMutex);
    QSqlQuery query(connection());
    query.exec(QStringLiteral("pragma busy_timeout = %1").arg(ms));
}

MediaLibraryDatabase *MediaLibraryDatabase::getInstance()
{
    if (!instance)
        instance = new MediaLibraryDatabase;
    addRef();
    return instance;
}

void MediaLibraryDatabase::addRef()
{
    QMutexLocker lock(&countMutex);
    if (instance)
        ++instance->m_userCount;
}

void MediaLibraryDatabase::release()
{
    countMutex.lock();
    if (!instance) {
        countMutex.unlock();
        return;
    }
    const bool last = --instance->m_userCount == 0;
    countMutex.unlock();
    if (last) {
        delete instance;
        instance = nullptr;
    }
}

int MediaLibraryDatabase::userCount() const
{
    QMutexLocker lock(&countMutex);
    return m_userCount;
}

QString MediaLibraryDatabase::databasePath()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents + QStringLiteral("/Quillo/Media Library/")).absolutePath() + QLatin1Char('/') + kFileName;
}

void MediaLibraryDatabase::open()
{
    QMutexLocker lock(&accessMutex);
    const QString path = databasePath();
    // Without its folder the index could never open, and searching and indexing would silently stop.
    QDir().mkpath(QFileInfo(path).absolutePath());
    markHidden(path);
    QSqlDatabase db = QSqlDatabase::contains(kConnectionName) ? connection()
                                                              : QSqlDatabase::addDatabase(kDriver, kConnectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(kConnectOptions);
    m_thread = QThread::currentThread();
    m_opened = db.open();
    if (!m_opened) {
        mediaLog(LogSystem::LOG_ERROR, "MediaLibraryDatabase::open - cannot open %s: %s", qUtf8Printable(path),
                 qUtf8Printable(db.lastError().text()));
        return;
    }
    if (!isDamaged(db))
        return;
    // The rows can be rebuilt (every file's keywords from its information file, the names of files without
    // one as their folders are shown); a damaged file cannot be used. It is kept beside the new one for
    // whoever wants to look at it.
    db.close();
    const QString kept = path + QStringLiteral(".damaged-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFile::rename(path, kept)) {
        m_opened = false;
        mediaLog(LogSystem::LOG_ERROR, "MediaLibraryDatabase::open - %s is damaged and cannot be moved aside",
                 qUtf8Printable(path));
        return;
    }
    QFile::rename(path + QStringLiteral("-journal"), kept + QStringLiteral("-journal"));
    HiddenFileList::markHidden(kept);
    m_opened = db.open();
    m_rebuildNeeded = m_opened;
    mediaLog(LogSystem::LOG_ERROR, "MediaLibraryDatabase::open - %s was damaged; kept it as %s and started %s",
             qUtf8Printable(path), qUtf8Printable(kept), m_opened ? "a new index" : "nothing (cannot open)");
}

void MediaLibraryDatabase::createTables()
{
    if (m_tablesCreated)
        return;
    if (!m_opened)
        open();
    if (!m_opened)
        return;
    QMutexLocker lock(&accessMutex);
    // On an existing index these fail and change nothing.
    QSqlQuery query(connection());
    query.exec(kCreateTable.arg(kTable));
    query.exec(kCreateKeywordIndex.arg(QStringLiteral("files_keyword_index"), kTable));
    query.exec(kCreateFolderIndex.arg(QStringLiteral("files_dir_index"), kTable));
    m_tablesCreated = true;
}

void MediaLibraryDatabase::rebuildFromInfoFiles()
{
    m_rebuildNeeded = false;
    // Once, after a damage: one transaction, so the rebuild costs one commit however many files there are.
    const QList<std::pair<QString, QStringList>> stored = MediaFileStore::getInstance()->storedKeywords();
    QMutexLocker lock(&accessMutex);
    QSqlDatabase db = connection();
    if (!begin(db, "rebuild"))
        return;
    QSqlQuery insert(db);
    bool ok = insert.prepare(kInsert);
    for (const auto &[path, keywords] : stored)
        ok = ok && insertFileRows(insert, QFileInfo(path), keywords);
    if (finish(db, ok, "rebuild"))
        mediaLog(LogSystem::LOG_NOTICE, "MediaLibraryDatabase - the new index holds the keywords of %lld files",
                 qlonglong(stored.size()));
}

void MediaLibraryDatabase::close()
{
    QMutexLocker lock(&accessMutex);
    if (!m_opened)
        return;
    connection().close();
    QSqlDatabase::removeDatabase(kConnectionName);
    m_opened = false;
}

bool MediaLibraryDatabase::usable() const
{
    if (!m_opened || !m_tablesCreated)
        return false;
    if (QThread::currentThread() != m_thread) {
        mediaLog(LogSystem::LOG_ERROR, "MediaLibraryDatabase - called from a thread that does not own the index");
        return false;
    }
    return true;
}

bool MediaLibraryDatabase::addFile(const QFileInfo &file, const QStringList &keywords)
{
    if (!file.exists())
        return false;
    return write("addFile", file.absoluteFilePath(), [this, file, keywords] {
        QMutexLocker lock(&accessMutex);
        return file.exists() && addFileLocked(file, keywords);
    });
}

bool MediaLibraryDatabase::addFileLocked(const QFileInfo &file, const QStringList &keywords)
{
    QSqlDatabase db = connection();
    const Triple triple = Triple::of(file);
    if (!begin(db, "addFile"))
        return false;
    bool ok = deleteRows(db, triple, "addFile");
    QSqlQuery insert(db);
    ok = ok && insert.prepare(kInsert);
    ok = ok && insertFileRows(insert, file, keywords);
    return finish(db, ok, "addFile");
}

bool MediaLibraryDatabase::addFileByPath(const QString &path, const QStringList &keywords)
{
    return addFile(QFileInfo(path), keywords);
}

bool MediaLibraryDatabase::updateKeywords(const QFileInfo &file, const QStringList &keywords)
{
    return write("updateKeywords", file.absoluteFilePath(), [this, file, keywords] {
        // addFile replaces the rows in one transaction, so the old rows are never lost without the new ones.
        if (!file.exists()) {
            removeFileNow(file);
            return false;
        }
        QMutexLocker lock(&accessMutex);
        return addFileLocked(file, keywords);
    });
}

bool MediaLibraryDatabase::updateKeywords(const QString &path, const QStringList &keywords)
{
    return updateKeywords(QFileInfo(path), keywords);
}

bool MediaLibraryDatabase::removeFile(const QFileInfo &file)
{
    return write("removeFile", file.absoluteFilePath(), [this, file] { return removeFileNow(file); });
}

bool MediaLibraryDatabase::removeFileNow(const QFileInfo &file)
{
    if (hasOtherSpelling(file.absoluteFilePath()))
        return true;
    QMutexLocker lock(&accessMutex);
    return deleteRows(connection(), Triple::of(file), "removeFile");
}

bool MediaLibraryDatabase::removeFile(const QString &path)
{
    return removeFile(QFileInfo(path));
}

bool MediaLibraryDatabase::renameFile(const QString &newPath, const QString &oldPath, const QStringList &newKeywords)
{
    return write("renameFile", oldPath + QStringLiteral(" -> ") + newPath,
                 [this, newPath, oldPath, newKeywords] { return renameFileNow(newPath, oldPath, newKeywords); });
}

bool MediaLibraryDatabase::renameFileNow(const QString &newPath, const QString &oldPath, const QStringList &newKeywords)
{
    const QFileInfo newFile(newPath);
    const QFileInfo oldFile(oldPath);
    if (!newFile.exists() && !oldFile.exists())
        return false;
    const Triple to = Triple::of(newFile);
    const Triple from = Triple::of(oldFile);
    const bool sameRows = to == from;
    // A file left under another spelling of the old name keeps the rows it shares.
    const bool oldRowsStay = !sameRows && hasOtherSpelling(oldFile.absoluteFilePath(), newFile.absoluteFilePath());
    // Rows at the new name belong either to a file that is gone, and are dropped rather than inherited, or
    // to a file under another spelling of the new name, which shares them and keeps them.
    const bool newRowsShared = hasOtherSpelling(newFile.absoluteFilePath());
    QMutexLocker lock(&accessMutex);
    QSqlDatabase db = connection();
    if (!begin(db, "renameFile"))
        return false;
    bool ok = sameRows || newRowsShared || deleteRows(db, to, "renameFile");
    QSqlQuery query(db);
    if (oldRowsStay) {
        ok = ok && query.prepare(kInsert);
        if (!newRowsShared)
            ok = ok && insertRow(query, to, newFile.fileName().toLower(), ROLE_NAME);
        for (const QString &keyword : newKeywords)
            ok = ok && insertRow(query, to, keyword.toLower(), ROLE_KEYWORD);
        return finish(db, ok, "renameFile");
    }
    ok = ok
         && prepareAndRun(query, kMoveFile,
                          {to.dirPath, to.fileName, to.suffix, from.dirPath, from.fileName, from.suffix}, "renameFile");
    ok = ok
         && prepareAndRun(query, kRenameWord, {newFile.fileName().toLower(), to.dirPath, to.fileName, to.suffix},
                          "renameFile");
    return finish(db, ok, "renameFile");
}

bool MediaLibraryDatabase::renameFolder(const QString &newPath, const QString &oldPath)
{
    return write("renameFolder", oldPath + QStringLiteral(" -> ") + newPath,
                 [this, newPath, oldPath] { return renameFolderNow(newPath, oldPath); });
}

bool MediaLibraryDatabase::renameFolderNow(const QString &newPath, const QString &oldPath)
{
    if (!QFileInfo(newPath).isDir() && !QFileInfo(oldPath).isDir())
        return false;
    const QString to = QDir(newPath).absolutePath().toLower();
    const QString from = QDir(oldPath).absolutePath().toLower();
    if (to == from)
        return true;
    // A folder left under another spelling of the old name keeps the rows it shares; the renamed one gets
    // a copy, and rows of files that only the other folder holds are purged from it by its next sync or
    // search.
    const bool oldRowsStay = hasOtherSpelling(QDir(oldPath).absolutePath(), QDir(newPath).absolutePath());
    QMutexLocker lock(&accessMutex);
    QSqlDatabase db = connection();
    if (!begin(db, "renameFolder"))
        return false;
    QSqlQuery query(db);
    const bool ok = prepareAndRun(query, oldRowsStay ? kCopyFolder : kMoveFolder,
                                  {to, from, from, belowFrom(from), belowTo(from)}, "renameFolder");
    return finish(db, ok, "renameFolder");
}

bool MediaLibraryDatabase::removeFolder(const QDir &folder)
{
    return removeFolder(folder.absolutePath());
}

bool MediaLibraryDatabase::removeFolder(const QString &path)
{
    return write("removeFolder", path, [this, path] { return removeFolderNow(path); });
}

bool MediaLibraryDatabase::removeFolderNow(const QString &path)
{
    if (hasOtherSpelling(QDir(path).absolutePath()))
        return true;
    const QString folder = QDir(path).absolutePath().toLower();
    QMutexLocker lock(&accessMutex);
    QSqlQuery query(connection());
    return prepareAndRun(query, kDeleteFolder, {folder, belowFrom(folder), belowTo(folder)}, "removeFolder");
}

bool MediaLibraryDatabase::syncFolder(const QString &path)
{
    return syncFolder(QDir(path));
}

bool MediaLibraryDatabase::syncFolder(const QDir &folder)
{
    if (!usable() || !folder.exists() || !applyPending(0))
        return false;
    FolderSync result;
    {
        QMutexLocker lock(&accessMutex);
        result = syncRows(connection(), folder, false);
    }
    // Emitted without the lock held, so a receiver may use the index.
    for (const QString &path : std::as_const(result.missing))
        emit fileNotExists(path);
    return result.ok;
}

QFuture<QStringList> MediaLibraryDatabase::syncFolderInBackground(const QDir &folder)
{
    if (!usable() || !folder.exists() || !applyPending(0))
        return QtFuture::makeReadyFuture(QStringList());
    const QString databaseName = connection().databaseName();
    const QString path = folder.absolutePath();
    return QtConcurrent::run(m_syncPool.get(), [databaseName, path] {
        // A connection belongs to the thread that made it: this one is made, used and dropped here. The syncs
        // never overlap, so one name does.
        const QString name = kConnectionName + QStringLiteral("-sync");
        FolderSync result;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, name);
            db.setDatabaseName(databaseName);
            db.setConnectOptions(kConnectOptions);
            if (db.open())
                result = syncRows(db, QDir(path), true);
            else
                mediaLog(LogSystem::LOG_WARNING, "MediaLibraryDatabase::syncFolderInBackground - cannot open %s: %s",
                         qUtf8Printable(databaseName), qUtf8Printable(db.lastError().text()));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return result.missing;
    });
}

QStringList MediaLibraryDatabase::parseKeywords(const QString &text) const
{
    static const QString kSpecial = QStringLiteral("_%[]");
    QStringList words;
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        QString escaped;
        for (const QChar c : trimmed) {
            if (kSpecial.contains(c))
                escaped += QLatin1Char('\\');
            escaped += c;
        }
        if (!words.contains(escaped))
            words.append(escaped);
    }
    return words;
}

QStringList MediaLibraryDatabase::searchKeywords(const QStringList &words)
{
    QStringList patterns;
    for (const QString &word : words)
        patterns.append(QLatin1Char('%') + word.toLower() + QLatin1Char('%'));
    return search(patterns);
}

QStringList MediaLibraryDatabase::searchKeyword(const QString &text)
{
    return search({QLatin1Char('%') + text.toLower() + QLatin1Char('%')});
}

QStringList MediaLibraryDatabase::search(const QStringList &patterns)
{
    QStringList result;
    m_searchFailed = false;
    if (!usable() || patterns.isEmpty())
        return result;
    // Held-back writes first; a search on an index that stays busy reads it as it is.
    applyPending(0);
    QString statement = kSearchHead;
    for (qsizetype i = 0; i < patterns.size(); ++i)
        statement += kSearchTerm;
    statement.chop(3);

    QMutexLocker lock(&accessMutex);
    QSqlDatabase db = connection();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!prepareAndRun(query, statement, QVariantList(patterns.cbegin(), patterns.cend()), "searchKeywords")) {
        m_searchFailed = true;
        return result;
    }
    QSet<QString> found;
    QSet<QString> seen;
    QList<Triple> stale;
    m_resolver.newBatch();
    // Rows are purged only when a fresh look at the disk agrees: losing a user's keywords to a listing that
    // was out of date would be far worse than listing a folder again.
    std::optional<PathCaseResolver> confirm;
    while (query.next()) {
        const Triple row{query.value(0).toString().toLower(), query.value(1).toString().toLower(),
                         query.value(2).toString().toLower()};
        const QString rowPath = row.path();
        if (seen.contains(rowPath))
            continue;
        seen.insert(rowPath);
        QStringList paths = m_resolver.resolve(rowPath);
        if (paths.isEmpty()) {
            if (!confirm)
                confirm.emplace();
            paths = confirm->resolve(rowPath);
        }
        if (paths.isEmpty())
            stale.append(row);
        for (const QString &path : paths) {
            if (!found.contains(path)) {
                found.insert(path);
                result.append(path);
            }
        }
    }
    query.finish();
    if (!stale.isEmpty() && begin(db, "searchKeywords")) {
        bool ok = true;
        for (const Triple &row : std::as_const(stale))
            ok = ok && deleteRows(db, row, "searchKeywords");
        finish(db, ok, "searchKeywords");
    }
    return result;
}
