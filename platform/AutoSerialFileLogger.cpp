#include "AutoSerialFileLogger.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString kDatePlaceholder = QStringLiteral("YYMMDD");
const QString kSerialPlaceholder = QStringLiteral("9999");
// Four digits, as the placeholder shows; more than 9999 starts in one day are not expected, and past it
// the number simply grows a digit.
constexpr int kSerialDigits = 4;
// Serials tried when the chosen one was taken meanwhile; more copies than this never start at once.
constexpr int kOpenAttempts = 10;
// A day's file that cannot be opened is tried again after this long: often enough that little goes only
// to stderr once the folder is back, seldom enough that a folder that stays gone costs nothing per line.
constexpr qint64 kRetryAfterSeconds = 60;

QRegularExpression namePattern(const QString &patternFileName, const QString &date)
{
    QString regex = QRegularExpression::escape(patternFileName);
    regex.replace(QRegularExpression::escape(kDatePlaceholder), date.isEmpty() ? QStringLiteral("\\d{6}") : date);
    regex.replace(QRegularExpression::escape(kSerialPlaceholder), QStringLiteral("(\\d{%1,})").arg(kSerialDigits));
    return QRegularExpression(QRegularExpression::anchoredPattern(regex));
}

} // namespace

AutoSerialFileLogger::AutoSerialFileLogger(const QString &pathPattern)
    : m_pattern(pathPattern)
{
}

AutoSerialFileLogger::~AutoSerialFileLogger()
{
    close();
}

bool AutoSerialFileLogger::open()
{
    QMutexLocker lock(&m_mutex);
    m_active = true;
    m_failedAttempt = QDateTime();
    return openForDate(QDate::currentDate());
}

bool AutoSerialFileLogger::openForDate(const QDate &date)
{
    m_file.close();
    const QFileInfo patternInfo(m_pattern);
    const QDir dir = patternInfo.dir();
    const QString patternName = patternInfo.fileName();
    const QString day = date.toString(QStringLiteral("yyMMdd"));

    const QRegularExpression sameDay = namePattern(patternName, day);
    int highest = 0;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = sameDay.match(name);
        if (match.hasMatch())
            highest = qMax(highest, match.captured(1).toInt());
    }

    // Another copy starting in the same moment may take the same serial first: then the next one is used.
    for (int serial = highest + 1, tries = 0; tries < kOpenAttempts; ++serial, ++tries) {
        QString name = patternName;
        name.replace(kDatePlaceholder, day);
        name.replace(kSerialPlaceholder, QStringLiteral("%1").arg(serial, kSerialDigits, 10, QLatin1Char('0')));
        m_file.setFileName(dir.filePath(name));
        // NewOnly: an existing log is never appended to or truncated.
        if (m_file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::NewOnly))
            break;
        if (!m_file.exists())
            break;
    }
    if (!m_file.isOpen()) {
        m_error = m_file.errorString();
        m_fileDate = QDate();
        return false;
    }
    m_error.clear();
    m_fileDate = date;
    return true;
}

bool AutoSerialFileLogger::write(const QDateTime &time, int level, const QString &module, const QString &text)
{
    QMutexLocker lock(&m_mutex);
    if (!m_active)
        return false;
    if (m_fileDate.isValid() ? time.date() > m_fileDate : retryDue(time)) {
        if (!openForDate(time.date()))
            m_failedAttempt = time;
    }
    if (!m_file.isOpen())
        return false;
    const QString line = QStringLiteral("%1 [%2] %3: %4\n")
                             .arg(time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
                             .arg(level)
                             .arg(module, text);
    const QByteArray bytes = line.toUtf8();
    return m_file.write(bytes) == bytes.size() && m_file.flush();
}

bool AutoSerialFileLogger::retryDue(const QDateTime &time) const
{
    // A clock set back since the failed attempt must not put the next one off for as long.
    return !m_failedAttempt.isValid() || time < m_failedAttempt || m_failedAttempt.secsTo(time) >= kRetryAfterSeconds;
}

void AutoSerialFileLogger::close()
{
    QMutexLocker lock(&m_mutex);
    m_active = false;
    m_file.close();
    m_fileDate = QDate();
}

QString AutoSerialFileLogger::description() const
{
    QMutexLocker lock(&m_mutex);
    if (!m_error.isEmpty())
        return QStringLiteral("%1 (%2)").arg(m_file.fileName(), m_error);
    return m_file.isOpen() ? m_file.fileName() : m_pattern;
}

QString AutoSerialFileLogger::currentPath() const
{
    QMutexLocker lock(&m_mutex);
    return m_file.isOpen() ? m_file.fileName() : QString();
}

bool AutoSerialFileLogger::matchesPattern(const QString &patternFileName, const QString &fileName)
{
    return namePattern(patternFileName, QString()).match(fileName).hasMatch();
}
