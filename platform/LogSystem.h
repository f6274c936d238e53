#pragma once

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <cstdarg>
#include <memory>

class SysLogger;

// The process-wide log. Areas register a module name once and log under its number; lines go to the logger
// set with setLogger once startLog has run. Lines logged before that are kept and written when the log
// starts, so that what happens before the log file is known is not lost. Lines that the logger cannot take
// (it could not be opened, or it fails later) go to stderr. Every operation is thread-safe.
class LogSystem
{
public:
    // A smaller number is a more severe level; a line is written when its level is at most the log level.
    enum LogLevel {
        LOG_EMERGENCY = 0,
        LOG_ALERT = 1,
        LOG_CRITICAL = 2,
        LOG_ERROR = 3,
        LOG_WARNING = 4,
        LOG_NOTICE = 5,
        LOG_INFO = 6,
        LOG_DEBUG = 7,
    };

    LogSystem();
    ~LogSystem();
    LogSystem(const LogSystem &) = delete;
    LogSystem &operator=(const LogSystem &) = delete;

    static LogSystem *getSysLogSystem();

    // Returns the module's number, the same number for a name registered before, or -1 for an empty name.
    int registerLoggedModule(const QString &name);
    // For tests: the next registration of name is refused (-1), as if the log could take no more modules.
    void refuseNextRegistration(const QString &name);
    void log(int module, LogLevel level, const char *format, va_list args);
    // Control characters in the text (line breaks included) are written escaped, so that text taken from
    // outside, such as a file name, can never start what looks like a line of its own.
    void logText(int module, LogLevel level, const QString &text);

    // Takes ownership of the logger, replacing (and deleting) any earlier one.
    void setLogger(SysLogger *logger);
    // Levels outside LOG_EMERGENCY..LOG_DEBUG are brought into that range, and the log says so.
    void setLogLevel(int level);
    LogLevel logLevel() const;
    // Modules write nothing until logging is enabled; lines kept before the start are filtered at the start.
    void enableAllLog();
    void startLog();
    void stopLog();
    bool isStarted() const;

    // Routes Qt's own messages (qWarning and the like) into the module "qt" of the process-wide log.
    static void installQtMessageHandler();

private:
    struct Line
    {
        QDateTime time;
        LogLevel level;
        int module;
        QString text;
    };

    int moduleLocked(const QString &name);
    void writeLocked(const Line &line);
    void writeToStderr(const Line &line) const;

    mutable QMutex m_mutex;
    QStringList m_modules;
    std::unique_ptr<SysLogger> m_logger;
    LogLevel m_level = LOG_NOTICE;
    bool m_enabled = false;
    bool m_started = false;
    bool m_stopped = false;
    bool m_loggerOpen = false;
    // The logger refused its last line: the lines go to stderr until it takes one again.
    bool m_loggerFailing = false;
    QString m_refusedName;
    QList<Line> m_pending;
    int m_droppedPending = 0;
};
