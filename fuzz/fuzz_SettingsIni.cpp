// Settings.ini as a user, an editor or a crash may leave it. Reading never crashes; a file that is not text
// reads as no file at all, every setting its default; the first write keeps a file that cannot be read
// aside, byte for byte, and starts anew (a stored value of a type the program never writes makes a file
// unreadable: Qt's reader of such values may ask for gigabytes); a file that can be read keeps every other
// setting through a write.
#include "FuzzSupport.h"
#include "SettingImpl.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringDecoder>

namespace {

// A key of no setting, written to see what a write does to the rest of the file.
const QString kWrittenKey = QStringLiteral("fuzz/written");
constexpr int kDefaultVideoQuality = 2;

// Every key of the file with its value, the values in their stream form: a type read from a stored variant
// need not compare with ==. Read the way the settings service reads, through Qt's INI format.
QMap<QString, QByteArray> everySetting(const QString &path)
{
    QMap<QString, QByteArray> values;
    const QSettings settings(path, QSettings::IniFormat);
    for (const QString &key : settings.allKeys()) {
        QDataStream stream(&values[key], QIODevice::WriteOnly);
        stream << settings.value(key);
    }
    return values;
}

bool isText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return !bytes.contains('\0') && !utf8.hasError();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        FuzzSupport::fail("cannot read %s", qPrintable(path));
    return file.readAll();
}

// The settings file of this input, alone in its folder. Each input's file gets its own modification time,
// so that no cache of an earlier input's file of the same size can answer for it.
QString writeSettingsFile(const QByteArray &bytes)
{
    static qint64 inputs = 0;
    const QString path = SettingImpl::settingsFilePath();
    QDir folder = QFileInfo(path).dir();
    folder.mkpath(QStringLiteral("."));
    for (const QString &name : folder.entryList({QStringLiteral("Settings.ini*")}, QDir::Files | QDir::Hidden))
        folder.remove(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        FuzzSupport::fail("cannot write %s", qPrintable(path));
    // Dated once the bytes are out: writing them would date the file anew.
    file.close();
    if (!file.open(QIODevice::ReadWrite))
        FuzzSupport::fail("cannot open %s", qPrintable(path));
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1'000'000'000 + ++inputs, Qt::UTC);
    if (!file.setFileTime(stamp, QFileDevice::FileModificationTime))
        FuzzSupport::fail("cannot date %s", qPrintable(path));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A settings file is a few lines: a file of megabytes written from a small input is a runaway writer.
    static const bool limited = (FuzzSupport::limitFileSize(qint64(16) << 20), true);
    Q_UNUSED(limited);
    const QByteArray bytes = FuzzSupport::bytesOf(data, size);
    const QString path = writeSettingsFile(bytes);
    SettingIntf *settings = SettingImpl::getInstance();

    if (!isText(bytes)) {
        FUZZ_CHECK(!settings->value(kWrittenKey).isValid() && settings->getVideoQuality() == kDefaultVideoQuality
                       && !settings->getMute() && settings->getAudioSource().isNull()
                       && settings->getElapsedTimeTotalTime() == 0 && settings->getElapsedTimePeriod() == 0,
                   "a setting was read from a file that is not text");
    }

    settings->setValue(kWrittenKey, QVariant(int(size)));
    const QString aside = path + QStringLiteral(".bad");
    const bool keptAside = QFile::exists(aside);
    FUZZ_CHECK(isText(bytes) || keptAside, "a file that is not text was written over without being kept");
    const QVariant written = settings->value(kWrittenKey);
    FUZZ_CHECK(written.toInt() == int(size),
               "the value written (%d) read back as \"%s\"; the file (%s aside) holds:\n%s", int(size),
               qPrintable(written.toString()), keptAside ? "kept" : "not kept", contents(path).constData());
    QMap<QString, QByteArray> after = everySetting(path);
    after.remove(kWrittenKey);
    if (keptAside) {
        FUZZ_CHECK(contents(aside) == bytes, "the file kept aside is not the file that could not be read");
        FUZZ_CHECK(after.isEmpty(), "\"%s\" outlived starting a new file", qPrintable(after.firstKey()));
    } else {
        // Read only now, from a copy: a file the service keeps aside is not handed to Qt's reader at all. Each
        // copy has a name of its own, so that Qt's cache of an earlier copy cannot answer for it.
        static qint64 copies = 0;
        const QString original = path + QStringLiteral(".original.%1").arg(++copies);
        QFile copy(original);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
            FuzzSupport::fail("cannot write %s", qPrintable(original));
        copy.close();
        QMap<QString, QByteArray> kept = everySetting(original);
        kept.remove(kWrittenKey);
        for (auto it = kept.cbegin(); it != kept.cend(); ++it)
            FUZZ_CHECK(after.value(it.key()) == it.value(), "\"%s\" changed when another setting was written",
                       qPrintable(it.key()));
        FUZZ_CHECK(after.size() == kept.size(), "a write added settings");
    }

    const QString savePath = settings->getSavePath();
    FUZZ_CHECK(savePath.endsWith(QLatin1Char('/')) && QDir(savePath).exists(), "the save folder \"%s\" is no folder",
               qPrintable(savePath));
    settings->release();
    return 0;
}
