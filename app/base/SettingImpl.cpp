#include "SettingImpl.h"

#include "AppLog.h"
#include "StoredVariantGuard.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <optional>
#include <utility>

namespace {

const QString kFileName = QStringLiteral("Settings.ini");
const QString kSeparator = QStringLiteral("/");
const QString kDefaultMediaFolderPattern = QStringLiteral("%1/Quillo/Media Library/");

const QString kSavePathKey = QStringLiteral("savePath");
const QString kAudioSourceKey = QStringLiteral("recording/audioSource");
const QString kVideoQualityKey = QStringLiteral("recording/videoQuality");
const QString kMuteKey = QStringLiteral("recording/mute");
const QString kTotalTimeKey = QStringLiteral("capture/elapsed-time/totalTime");
const QString kPeriodKey = QStringLiteral("capture/elapsed-time/period");
constexpr int kDefaultVideoQuality = 2;

// The count and the instance pointer are guarded so that a service released on another thread cannot
// be deleted twice; the settings file itself needs no lock, every access opening it anew.
QMutex instanceMutex;

QString dataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)).absolutePath();
}

void makeFolder(const QString &folder)
{
    if (!QDir(folder).exists() && !QDir::root().mkpath(QDir(folder).absolutePath()))
        appLog(LogSystem::LOG_ERROR, "SettingImpl::SettingImpl - Cannot create %s", qUtf8Printable(folder));
}

// QSettings reports a file it cannot parse only when it parses it, and it keeps parsed files in a
// process-wide cache that is reread only when the file changes; so the size and time of a file seen to be
// unreadable are remembered, and a later access to the unchanged file knows it too.
struct FileSignature
{
    qint64 size;
    QDateTime modified;
};
std::optional<FileSignature> unreadableFile;
QMutex unreadableMutex;

// Settings.ini is UTF-8 text; QSettings would take binary junk for odd keys and write it back.
bool isDamaged(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(content);
    return content.contains('\0') || utf8.hasError() || StoredVariantGuard::holdsForeignVariant(content);
}

bool isUnreadable(const QSettings &settings)
{
    const QFileInfo info(settings.fileName());
    QMutexLocker lock(&unreadableMutex);
    if (isDamaged(info.filePath()) || settings.status() == QSettings::FormatError) {
        unreadableFile = FileSignature{info.size(), info.lastModified()};
        return true;
    }
    return unreadableFile && info.exists() && unreadableFile->size == info.size()
           && unreadableFile->modified == info.lastModified();
}

// A settings file that cannot be parsed is moved aside before anything is written over it, so the user's
// old settings can still be recovered by hand; an earlier file kept aside is never replaced.
void keepUnreadableFile(const QString &path)
{
    QString kept = path + QStringLiteral(".bad");
    for (int n = 1; QFile::exists(kept); ++n)
        kept = QStringLiteral("%1.bad.%2").arg(path).arg(n);
    if (QFile::rename(path, kept)) {
        // The file that signature describes is gone. The new one may well have the same size and, file times
        // being only as fine as the kernel's clock tick, the same time: it must not be taken for the old one.
        QMutexLocker lock(&unreadableMutex);
        unreadableFile.reset();
        appLog(LogSystem::LOG_ERROR, "SettingImpl - %s could not be read; kept it as %s and started a new one",
               qUtf8Printable(path), qUtf8Printable(kept));
    } else {
        appLog(LogSystem::LOG_ERROR, "SettingImpl - %s could not be read nor moved aside", qUtf8Printable(path));
    }
}

// The notices waiting for a handler and those already given, so that each is given once until its cause is
// gone; a new instance starts afresh.
struct Notices
{
    SettingImpl::NoticeHandler handler;
    QList<std::pair<SettingImpl::Notice, QString>> waiting;
    QSet<SettingImpl::Notice> given;
};
Notices notices;
QMutex noticesMutex;

void tell(SettingImpl::Notice notice, const QString &folder)
{
    QMutexLocker lock(&noticesMutex);
    if (notices.given.contains(notice))
        return;
    notices.given.insert(notice);
    if (notices.handler)
        notices.handler(notice, folder);
    else
        notices.waiting.append({notice, folder});
}

void causeGone(SettingImpl::Notice notice)
{
    QMutexLocker lock(&noticesMutex);
    notices.given.remove(notice);
    notices.waiting.removeIf([notice](const auto &waiting) { return waiting.first == notice; });
}

// A folder the service can write into; tried with a file, as permissions say nothing to root or of a
// read-only mount.
bool canWriteInto(const QString &folder)
{
    QTemporaryFile probe(folder + kSeparator + QStringLiteral("write-check-XXXXXX"));
    return probe.open();
}

// A settings file is replaced through a temporary file next to it, "Settings.ini." and six random letters or
// digits, that lives for the moment of the rename; a process killed in that moment leaves it for good. One
// program runs at a time, so any found at the start is such a leftover. A name of small letters only may be
// the user's own copy ("Settings.ini.backup") and is left alone, as the rare leftover named so.
void removeLeftoverTemporaryFiles(const QString &folder)
{
    static const QRegularExpression leftover(
        QStringLiteral("^%1\\.(?![a-z]{6}$)[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(kFileName)));
    QDir dir(folder);
    for (const QString &name : dir.entryList({kFileName + QStringLiteral(".*")}, QDir::Files | QDir::Hidden)) {
        if (leftover.match(name).hasMatch() && dir.remove(name))
            appLog(LogSystem::LOG_WARNING, "SettingImpl - removed %s, left by an interrupted write",
                   qUtf8Printable(dir.filePath(name)));
    }
}

QVariant readValue(const QString &key, const QVariant &defaultValue)
{
    QSettings settings(SettingImpl::settingsFilePath(), QSettings::IniFormat);
    // An unreadable file may still yield fragments; none of them is trusted.
    if (isUnreadable(settings))
        return defaultValue;
    return settings.value(key, defaultValue);
}

bool writeValue(const QString &key, const QVariant &value)
{
    auto settings = std::make_unique<QSettings>(SettingImpl::settingsFilePath(), QSettings::IniFormat);
    if (isUnreadable(*settings)) {
        settings.reset();
        keepUnreadableFile(SettingImpl::settingsFilePath());
        settings = std::make_unique<QSettings>(SettingImpl::settingsFilePath(), QSettings::IniFormat);
    }
    settings->setValue(key, value);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        appLog(LogSystem::LOG_ERROR, "SettingImpl::setValue - Cannot write %s", qUtf8Printable(settings->fileName()));
        tell(SettingImpl::Notice::DataFolderNotWritable, dataFolder());
        return false;
    }
    causeGone(SettingImpl::Notice::DataFolderNotWritable);
    return true;
}

} // namespace

SettingImpl *SettingImpl::getInstance()
{
    return acquire(instanceMutex, [] { return new SettingImpl; });
}

SettingImpl *SettingImpl::addRef()
{
    addReference(instanceMutex);
    return this;
}

SettingImpl::SettingImpl()
{
    // The data folder holds the account file with the services' grants: made for its owner alone.
    const QString data = dataFolder();
    if (!QDir(data).exists()
        && !(QDir::root().mkpath(QFileInfo(data).absolutePath())
             && QDir::root().mkdir(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)))
        appLog(LogSystem::LOG_ERROR, "SettingImpl::SettingImpl - Cannot create %s", qUtf8Printable(data));
    makeFolder(defaultMediaFolder());
    {
        QMutexLocker lock(&noticesMutex);
        notices.waiting.clear();
        notices.given.clear();
    }
    if (canWriteInto(dataFolder()))
        removeLeftoverTemporaryFiles(dataFolder());
    else
        tell(Notice::DataFolderNotWritable, dataFolder());
}

SettingImpl::~SettingImpl() = default;

void SettingImpl::release()
{
    if (releaseReference(instanceMutex))
        delete this;
}

void SettingImpl::setNoticeHandler(NoticeHandler handler)
{
    QMutexLocker lock(&noticesMutex);
    notices.handler = std::move(handler);
    if (!notices.handler)
        return;
    for (const auto &[notice, folder] : std::as_const(notices.waiting))
        notices.handler(notice, folder);
    notices.waiting.clear();
}

QString SettingImpl::settingsFilePath()
{
    return dataFolder() + kSeparator + kFileName;
}

QString SettingImpl::defaultMediaFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(kDefaultMediaFolderPattern.arg(documents)).absolutePath() + kSeparator;
}

QString SettingImpl::getSavePath()
{
    QString path = value(kSavePathKey).toString();
    // An empty folder is no folder: QDir("") is the working directory, and the "/" appended below would
    // send captures to the root of the file system.
    if (path.isEmpty()) {
        path = defaultMediaFolder();
        setSavePath(path);
    } else if (!QDir(path).exists()) {
        // A folder on a stick not plugged in: the user's choice is kept and used again once it is back.
        appLog(LogSystem::LOG_WARNING, "SettingImpl::getSavePath - %s is missing, using the default folder",
               qUtf8Printable(path));
        tell(Notice::MediaFolderMissing, path);
        path = defaultMediaFolder();
    } else {
        causeGone(Notice::MediaFolderMissing);
    }
    if (!path.endsWith(kSeparator))
        path += kSeparator;
    return path;
}

bool SettingImpl::setSavePath(const QString &folder)
{
    return setValue(kSavePathKey, folder);
}

QString SettingImpl::getAudioSource()
{
    return value(kAudioSourceKey).toString();
}

bool SettingImpl::setAudioSource(const QString &name)
{
    return setValue(kAudioSourceKey, name);
}

int SettingImpl::getVideoQuality()
{
    return value(kVideoQualityKey, kDefaultVideoQuality).toInt();
}

bool SettingImpl::setVideoQuality(int quality)
{
    return setValue(kVideoQualityKey, quality);
}

bool SettingImpl::getMute()
{
    return value(kMuteKey).toBool();
}

bool SettingImpl::setMute(bool mute)
{
    return setValue(kMuteKey, mute);
}

unsigned int SettingImpl::getElapsedTimeTotalTime()
{
    return value(kTotalTimeKey).toUInt();
}

bool SettingImpl::setElapsedTimeTotalTime(unsigned int totalTime)
{
    return setValue(kTotalTimeKey, totalTime);
}

unsigned int SettingImpl::getElapsedTimePeriod()
{
    return value(kPeriodKey).toUInt();
}

bool SettingImpl::setElapsedTimePeriod(unsigned int period)
{
    return setValue(kPeriodKey, period);
}

bool SettingImpl::setValue(const QString &key, const QVariant &value)
{
    return writeValue(key, value);
}

QVariant SettingImpl::value(const QString &key)
{
    return readValue(key, QVariant());
}

QVariant SettingImpl::value(const QString &key, const QVariant &defaultValue)
{
    return readValue(key, defaultValue);
}
