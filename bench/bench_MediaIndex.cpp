// Times the keyword index on generated data: synchronising folders of 1,000, 10,000 and 100,000 files
// (first time, and again with nothing to do), and a two-word search over an index of 100,000 files with
// 300,000 rows. Everything lives in a temporary HOME that is removed at the end.
#include "MediaLibraryDatabase.h"
#include "PathCaseResolver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

// Runs of each search after its first, so one slow run does not make the figure.
constexpr int kSearchRuns = 5;

void makeFiles(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(QStringLiteral("%1/Quillo-2024-05-01_10-00-00_%2.jpg").arg(folder).arg(i, 6, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
    }
}

qint64 timeSync(MediaLibraryDatabase *index, const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    if (!index->syncFolder(folder))
        std::fprintf(stderr, "sync of %s failed\n", qPrintable(folder));
    return timer.elapsed();
}

qint64 rowCount()
{
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("connSQLite"), false));
    query.exec(QStringLiteral("select count(*) from files"));
    return query.next() ? query.value(0).toLongLong() : -1;
}

// Two keyword rows for every indexed file: "topic<n> unit<m>" and "term<k>".
void addKeywordRows()
{
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("connSQLite"), false);
    db.transaction();
    QSqlQuery select(db);
    select.exec(QStringLiteral("select dirPath, fileName, suffix from files where role = 0"));
    QList<QStringList> files;
    while (select.next())
        files.append({select.value(0).toString(), select.value(1).toString(), select.value(2).toString()});
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("insert into 'files' values(?, ?, ?, ?, 1)"));
    for (qsizetype i = 0; i < files.size(); ++i) {
        for (const QString &keyword :
             {QStringLiteral("topic%1 unit%2").arg(i % 500).arg(i % 7), QStringLiteral("term%1").arg(i % 1000)}) {
            insert.bindValue(0, files[i][0]);
            insert.bindValue(1, files[i][1]);
            insert.bindValue(2, files[i][2]);
            insert.bindValue(3, keyword);
            insert.exec();
        }
    }
    db.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/.local/share")));
    QCoreApplication app(argc, argv);
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();

    std::printf("syncFolder of one folder (ms)\n%8s %10s %10s\n", "files", "first", "again");
    for (int count : {1000, 10000, 100000}) {
        const QString folder = home.path() + QStringLiteral("/Sync %1").arg(count);
        makeFiles(folder, count);
        const qint64 first = timeSync(index, folder);
        const qint64 again = timeSync(index, folder);
        std::printf("%8d %10lld %10lld\n", count, first, again);
    }

    QSqlQuery(QSqlDatabase::database(QStringLiteral("connSQLite"), false)).exec(QStringLiteral("delete from files"));
    // 100 folders of 1,000 files, as a library of captures and time-lapse series grows.
    for (int f = 0; f < 100; ++f) {
        const QString folder = home.path() + QStringLiteral("/Library/Series %1").arg(f);
        makeFiles(folder, 1000);
        index->syncFolder(folder);
    }
    addKeywordRows();
    std::printf("\nindex: %lld rows\n", rowCount());
    // Searches keep folder listings only for folders left alone for a while; a library is searched long
    // after it was written, not within seconds.
    std::this_thread::sleep_for(PathCaseResolver::kSettleTime + std::chrono::milliseconds(500));

    // The first search after start lists every folder holding a match; later ones reuse those listings.
    std::printf("two-word search (ms: the first after start, then best and worst of %d more runs)\n", kSearchRuns);
    for (const QString &text : {QStringLiteral("topic42, unit3"), QStringLiteral("topic42, unit"),
                                QStringLiteral("term7, term"), QStringLiteral("nothing, here")}) {
        qint64 first = -1, best = -1, worst = 0;
        qsizetype matches = 0;
        for (int run = 0; run <= kSearchRuns; ++run) {
            QElapsedTimer timer;
            timer.start();
            matches = index->searchKeywords(index->parseKeywords(text)).size();
            const qint64 ms = timer.elapsed();
            if (run == 0) {
                first = ms;
                continue;
            }
            best = best < 0 ? ms : std::min(best, ms);
            worst = std::max(worst, ms);
        }
        std::printf("  %-16s %6lld matches  first %5lld  then %lld .. %lld\n", qPrintable(text), qlonglong(matches),
                    first, best, worst);
    }
    MediaLibraryDatabase::release();
    return 0;
}
