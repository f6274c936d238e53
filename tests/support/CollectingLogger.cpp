#include "CollectingLogger.h"

#include "LogSystem.h"

CollectingLogger::CollectingLogger(QStringList *lines)
    : m_lines(lines)
{
}

void CollectingLogger::collectProcessLog(QStringList *lines)
{
    LogSystem *log = LogSystem::getSysLogSystem();
    log->setLogger(new CollectingLogger(lines));
    log->setLogLevel(LogSystem::LOG_DEBUG);
    log->enableAllLog();
    log->startLog();
}

bool CollectingLogger::open()
{
    return true;
}

bool CollectingLogger::write(const QDateTime &, int level, const QString &module, const QString &text)
{
    m_lines->append(QStringLiteral("%1 %2: %3").arg(level).arg(module, text));
    return true;
}

void CollectingLogger::close()
{
}

QString CollectingLogger::description() const
{
    return QStringLiteral("collected lines");
}
