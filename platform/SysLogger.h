#pragma once

#include <QDateTime>
#include <QString>

// Where the log system writes its lines. The log system owns its logger and serialises every call.
class SysLogger
{
public:
    virtual ~SysLogger();

    // Opens the destination; false when nothing can be written there (see description()).
    virtual bool open() = 0;
    // False when the line did not reach the destination; the log system then writes it to stderr.
    virtual bool write(const QDateTime &time, int level, const QString &module, const QString &text) = 0;
    virtual void close() = 0;
    // Names the destination in messages about it, such as the path of the file.
    virtual QString description() const = 0;
};
