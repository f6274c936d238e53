#include "RC4SimpleSNAccountFileStore.h"

#include "Rc4.h"
#include "SNAccountFileFormat.h"
#include "UploadLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

RC4SimpleSNAccountFileStore::RC4SimpleSNAccountFileStore(const QString &path, const QByteArray &key)
    : m_path(path)
    , m_key(key)
{
}

bool RC4SimpleSNAccountFileStore::load()
{
    setEntries({});
    m_writeBlocked = false;
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        uploadLog(LogSystem::LOG_ERROR, "RC4SimpleSNAccountFileStore::load - cannot open %s: %s",
                  qUtf8Printable(m_path), qUtf8Printable(file.errorString()));
        m_writeBlocked = true;
        return false;
    }
    const QByteArray cipher = file.readAll();
    file.close();

    SNAccountFileFormat::Decoded decoded = SNAccountFileFormat::decode(Rc4::transform(m_key, cipher));
    bool underOtherKey = false;
    for (qsizetype i = 0; !decoded.recognised && i < m_fallbackKeys.size(); ++i) {
        if (m_fallbackKeys[i] == m_key)
            continue;
        decoded = SNAccountFileFormat::decode(Rc4::transform(m_fallbackKeys[i], cipher));
        underOtherKey = decoded.recognised;
    }
    if (decoded.recognised && decoded.complete) {
        setEntries(decoded.entries);
        if (underOtherKey) {
            uploadLog(LogSystem::LOG_NOTICE,
                      "RC4SimpleSNAccountFileStore::load - the account file was written on another network "
                      "interface; it is written again under this one's key");
            save();
        }
        return true;
    }
    if (decoded.recognised) {
        uploadLog(LogSystem::LOG_WARNING,
                  "RC4SimpleSNAccountFileStore::load - the account file is damaged; %lld accounts recovered",
                  static_cast<long long>(decoded.entries.size()));
        setEntries(decoded.entries);
    } else {
        uploadLog(LogSystem::LOG_WARNING,
                  "RC4SimpleSNAccountFileStore::load - no key of this user and machine opens the account file");
    }
    setAside();
    return false;
}

void RC4SimpleSNAccountFileStore::setAside()
{
    QString aside = m_path + QStringLiteral(".unreadable");
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = m_path + QStringLiteral(".unreadable.%1").arg(n);
    if (QFile::rename(m_path, aside)) {
        uploadLog(LogSystem::LOG_WARNING, "RC4SimpleSNAccountFileStore::load - kept the old file as %s",
                  qUtf8Printable(aside));
    } else {
        uploadLog(LogSystem::LOG_ERROR,
                  "RC4SimpleSNAccountFileStore::load - cannot move %s aside; account changes are not written",
                  qUtf8Printable(m_path));
        m_writeBlocked = true;
    }
}

void RC4SimpleSNAccountFileStore::save()
{
    if (m_writeBlocked)
        return;
    const QFileInfo info(m_path);
    const QString folder = info.absolutePath();
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    if (QFileInfo::exists(m_path) && !info.isFile()) {
        uploadLog(LogSystem::LOG_ERROR, "RC4SimpleSNAccountFileStore::save - %s is not a file", qUtf8Printable(m_path));
        return;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        uploadLog(LogSystem::LOG_ERROR, "RC4SimpleSNAccountFileStore::save - cannot write %s: %s",
                  qUtf8Printable(m_path), qUtf8Printable(file.errorString()));
        return;
    }
    file.write(Rc4::transform(m_key, SNAccountFileFormat::encode(entries())));
    // Before the commit, so that the file is never readable by others, not even for a moment.
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    if (!file.commit()) {
        uploadLog(LogSystem::LOG_ERROR, "RC4SimpleSNAccountFileStore::save - cannot write %s: %s",
                  qUtf8Printable(m_path), qUtf8Printable(file.errorString()));
    }
}
