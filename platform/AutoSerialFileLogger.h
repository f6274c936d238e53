#pragma once

#include "SysLogger.h"

#include <QDate>
#include <QFile>
#include <QMutex>

// Writes log lines into dated, numbered files. The path given is a pattern whose file name holds "YYMMDD"
// and "9999": "YYMMDD" becomes the day as yyMMdd and "9999" a four-digit serial number, one more than the
// highest serial already in the folder for that day, so every start gets a file of its own and no earlier
// log is overwritten. A run that passes midnight moves on to the new day's file; when that file cannot be
// opened, the lines are refused (the log system writes them to stderr) and the file is tried again at most
// once a minute. Each line carries the time, the level and the module, and is flushed as it is written.
class AutoSerialFileLogger : public SysLogger
{
public:
    explicit AutoSerialFileLogger(const QString &pathPattern);
    ~AutoSerialFileLogger() override;

    bool open() override;
    bool write(const QDateTime &time, int level, const QString &module, const QString &text) override;
    void close() override;
    QString description() const override;

    // The path of the file being written, empty while none is open.
    QString currentPath() const;

    // True when fileName is a name this logger writes for the pattern's file name, such as
    // "Quillo261209-0003.log" for "QuilloYYMMDD-9999.log".
    static bool matchesPattern(const QString &patternFileName, const QString &fileName);

private:
    bool openForDate(const QDate &date);
    bool retryDue(const QDateTime &time) const;

    const QString m_pattern;
    mutable QMutex m_mutex;
    QFile m_file;
    QDate m_fileDate;
    QString m_error;
    // Between open() and close(): lines are to be written, into a new day's file when the day changes.
    bool m_active = false;
    // When the file of a new day could not be opened: the time (of the line) of that attempt.
    QDateTime m_failedAttempt;
};
