#include "StartupHelpers.h"

#include "AppLog.h"
#include "AutoSerialFileLogger.h"
#include "SettingImpl.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTranslator>

namespace {

const QString kLanguageKey = QStringLiteral("language");
const QString kDefaultLanguage = QStringLiteral("eng");
const QString kTranslationPattern = QStringLiteral("language/Lang_%1");
const QString kLogLevelKey = QStringLiteral("logs/logLevel");
const QString kLogFolderKey = QStringLiteral("logs/logFilesLocation");
const QString kExpiryKey = QStringLiteral("logs/logFilesExpiryDate");
const QString kDefaultLogFolderPattern = QStringLiteral("%1/Quillo/logs");
constexpr int kDefaultLogLevel = 5;
constexpr int kDefaultExpiryDays = 30;

QString defaultLogFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(kDefaultLogFolderPattern.arg(documents)).absolutePath();
}

void makeFolder(const QString &folder)
{
    if (!QDir(folder).exists() && !QDir::root().mkpath(QDir(folder).absolutePath()))
        appLog(LogSystem::LOG_ERROR, "logFilesLocation - Cannot create the log folder %s", qUtf8Printable(folder));
}

// The language is a code such as "eng"; anything that could point outside the language folder is refused.
bool isLanguageCode(const QString &language)
{
    static const QRegularExpression code(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return code.match(language).hasMatch();
}

} // namespace

void loadLanguage(QTranslator *translator)
{
    // This reference is kept for the whole run: the settings service then lives until the process ends
    // instead of being rebuilt by every later user.
    SettingIntf *settings = SettingImpl::getInstance();
    const QString language = settings->value(kLanguageKey).toString();
    if (language.isNull()) {
        settings->setValue(kLanguageKey, kDefaultLanguage);
        return;
    }
    if (!isLanguageCode(language)) {
        appLog(LogSystem::LOG_WARNING, "loadLanguage - Ignoring the language \"%s\"", qUtf8Printable(language));
    } else {
        const QString file = kTranslationPattern.arg(language);
        // The working directory first; a program started from a launcher runs elsewhere, so the folder
        // beside the executable (the build tree) and the program's installed data folder are tried as well.
        const QString beside = QCoreApplication::applicationDirPath();
        const QString installed = QDir(beside).filePath(QStringLiteral(QUILLO_LANGUAGE_PARENT_FROM_BIN));
        if (!translator->load(file) && !translator->load(file, beside) && !translator->load(file, installed))
            appLog(LogSystem::LOG_WARNING, "loadLanguage - No translation %s.qm; showing untranslated texts",
                   qUtf8Printable(file));
    }
    QCoreApplication::installTranslator(translator);
}

void removeExpiredLogs()
{
    SettingIntf *settings = SettingImpl::getInstance();
    int days = settings->value(kExpiryKey).toInt();
    if (days <= 0) {
        days = kDefaultExpiryDays;
        settings->setValue(kExpiryKey, days);
    }
    settings->release();
    const QString folder = logFilesLocation();

    const QDateTime now = QDateTime::currentDateTime();
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &file : files) {
        // The folder is the user's choice and may hold other files: only our own log files are removed.
        if (!AutoSerialFileLogger::matchesPattern(QString::fromLatin1(kLogFileNamePattern), file.fileName()))
            continue;
        if (file.lastModified().daysTo(now) > days)
            QFile::remove(file.absoluteFilePath());
    }
}

QString logFilesLocation()
{
    SettingIntf *settings = SettingImpl::getInstance();
    QString folder = settings->value(kLogFolderKey).toString();
    if (folder.isNull()) {
        folder = defaultLogFolder();
        settings->setValue(kLogFolderKey, folder);
    }
    makeFolder(folder);
    settings->release();
    return folder;
}

int logLevelSetting()
{
    SettingIntf *settings = SettingImpl::getInstance();
    const int level = settings->value(kLogLevelKey, kDefaultLogLevel).toInt();
    settings->setValue(kLogLevelKey, level);
    settings->release();
    return level;
}
