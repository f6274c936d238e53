#include "LogSystem.h"

#include "SysLogger.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// Lines kept before the log starts: start-up logs a few dozen; the bound only matters when the log is never
// started (a second copy of the program), where it caps the memory those lines take.
constexpr int kMaxPendingLines = 1000;

const QString kQtModule = QStringLiteral("qt");
// The log's own notes about itself.
const QString kLogModule = QStringLiteral("quillo/osal");

QtMessageHandler previousHandler = nullptr;
thread_local bool inQtHandler = false;

LogSystem::LogLevel levelOfQtMessage(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return LogSystem::LOG_DEBUG;
    case QtInfoMsg:
        return LogSystem::LOG_INFO;
    case QtWarningMsg:
        return LogSystem::LOG_WARNING;
    case QtCriticalMsg:
        return LogSystem::LOG_ERROR;
    case QtFatalMsg:
        return LogSystem::LOG_EMERGENCY;
    }
    return LogSystem::LOG_WARNING;
}

void passOn(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (previousHandler)
        previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void qtMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // A message raised while logging (the logger's own file error, say) must not recurse into the log.
    if (inQtHandler || type == QtFatalMsg) {
        passOn(type, context, message);
        return;
    }
    LogSystem *log = LogSystem::getSysLogSystem();
    // Until the log file is written, Qt's messages stay visible on stderr as well.
    if (!log->isStarted())
        passOn(type, context, message);
    inQtHandler = true;
    static const int module = log->registerLoggedModule(kQtModule);
    log->logText(module, levelOfQtMessage(type), message);
    inQtHandler = false;
}

// C0 and C1 controls and the Unicode line and paragraph separators: any of them can make a viewer start
// a new line. The usual ones keep their C spelling; the others are written as their code.
QString escapeControlCharacters(const QString &text)
{
    const auto needsEscape = [](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    };
    if (std::none_of(text.cbegin(), text.cend(), needsEscape))
        return text;
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (!needsEscape(c)) {
            escaped += c;
            continue;
        }
        switch (c.unicode()) {
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        default:
            escaped += c.unicode() <= 0xFF ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                                           : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
    }
    return escaped;
}

} // namespace

LogSystem::LogSystem() = default;

LogSystem::~LogSystem() = default;

LogSystem *LogSystem::getSysLogSystem()
{
    static LogSystem instance;
    return &instance;
}

int LogSystem::registerLoggedModule(const QString &name)
{
    if (name.isEmpty())
        return -1;
    QMutexLocker lock(&m_mutex);
    if (!m_refusedName.isEmpty() && name == m_refusedName) {
        m_refusedName.clear();
        return -1;
    }
    return moduleLocked(name);
}

void LogSystem::refuseNextRegistration(const QString &name)
{
    QMutexLocker lock(&m_mutex);
    m_refusedName = name;
}

int LogSystem::moduleLocked(const QString &name)
{
    const qsizetype existing = m_modules.indexOf(name);
    if (existing >= 0)
        return int(existing);
    m_modules.append(name);
    return int(m_modules.size() - 1);
}

void LogSystem::log(int module, LogLevel level, const char *format, va_list args)
{
    logText(module, level, QString::vasprintf(format, args));
}

void LogSystem::logText(int module, LogLevel level, const QString &text)
{
    const Line line{QDateTime::currentDateTime(), level, module, escapeControlCharacters(text)};
    QMutexLocker lock(&m_mutex);
    if (module < 0 || module >= m_modules.size())
        return;
    if (!m_started && !m_stopped) {
        if (m_pending.size() < kMaxPendingLines)
            m_pending.append(line);
        else
            ++m_droppedPending;
        return;
    }
    // After the log stops (shutdown) nothing more is written.
    if (m_stopped)
        return;
    if (m_enabled && level <= m_level)
        writeLocked(line);
}

void LogSystem::setLogger(SysLogger *logger)
{
    QMutexLocker lock(&m_mutex);
    if (m_logger && m_loggerOpen)
        m_logger->close();
    m_logger.reset(logger);
    m_loggerOpen = false;
    if (m_started && m_logger)
        m_loggerOpen = m_logger->open();
}

void LogSystem::setLogLevel(int level)
{
    const int clamped = qBound(int(LOG_EMERGENCY), level, int(LOG_DEBUG));
    {
        QMutexLocker lock(&m_mutex);
        m_level = LogLevel(clamped);
    }
    if (clamped != level) {
        const int module = registerLoggedModule(kLogModule);
        logText(module, LOG_WARNING,
                QStringLiteral("LogSystem::setLogLevel - Log level %1 is outside 0 to 7; using %2")
                    .arg(level)
                    .arg(clamped));
    }
}

LogSystem::LogLevel LogSystem::logLevel() const
{
    QMutexLocker lock(&m_mutex);
    return m_level;
}

void LogSystem::enableAllLog()
{
    QMutexLocker lock(&m_mutex);
    m_enabled = true;
}

void LogSystem::startLog()
{
    QMutexLocker lock(&m_mutex);
    if (m_started)
        return;
    m_started = true;
    m_stopped = false;
    m_loggerOpen = m_logger && m_logger->open();
    if (m_logger && !m_loggerOpen) {
        std::fprintf(stderr, "Quillo: cannot open the log file %s; logging to stderr\n",
                     qPrintable(m_logger->description()));
    }
    const QList<Line> pending = std::exchange(m_pending, {});
    for (const Line &line : pending) {
        if (m_enabled && line.level <= m_level)
            writeLocked(line);
    }
    if (m_droppedPending > 0) {
        writeLocked({QDateTime::currentDateTime(), LOG_WARNING, moduleLocked(kLogModule),
                     QStringLiteral("LogSystem::startLog - %1 earlier lines were dropped").arg(m_droppedPending)});
        m_droppedPending = 0;
    }
}

void LogSystem::stopLog()
{
    QMutexLocker lock(&m_mutex);
    if (!m_started)
        return;
    if (m_logger && m_loggerOpen)
        m_logger->close();
    m_loggerOpen = false;
    m_started = false;
    m_stopped = true;
}

bool LogSystem::isStarted() const
{
    QMutexLocker lock(&m_mutex);
    return m_started;
}

void LogSystem::installQtMessageHandler()
{
    QtMessageHandler previous = qInstallMessageHandler(qtMessageHandler);
    if (previous != qtMessageHandler)
        previousHandler = previous;
}

void LogSystem::writeLocked(const Line &line)
{
    if (!m_loggerOpen) {
        writeToStderr(line);
        return;
    }
    const bool written = m_logger->write(line.time, line.level, m_modules.value(line.module), line.text);
    if (written) {
        m_loggerFailing = false;
        return;
    }
    if (!m_loggerFailing) {
        std::fprintf(stderr, "Quillo: cannot write the log file %s; logging to stderr\n",
                     qPrintable(m_logger->description()));
        m_loggerFailing = true;
    }
    writeToStderr(line);
}

void LogSystem::writeToStderr(const Line &line) const
{
    std::fprintf(stderr, "%s [%d] %s: %s\n", qPrintable(line.time.toString(QStringLiteral("HH:mm:ss.zzz"))),
                 int(line.level), qPrintable(m_modules.value(line.module)), qPrintable(line.text));
}
