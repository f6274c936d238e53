// The repair of a killed recording, given any bytes as the recording: it ends, and either leaves the file
// exactly as it was or replaces it by a finished one, with no temporary file left behind.
#include "FuzzSupport.h"

#include "AviRepair.h"

#include <QFile>

extern "C" {
#include <libavutil/log.h>
}

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // libavformat's complaints about broken input would drown libFuzzer's own report.
    av_log_set_level(AV_LOG_QUIET);
    // A repair writes about what it reads; a few kilobytes of input never justify more than this.
    static const bool limited = (FuzzSupport::limitFileSize(qint64(64) << 20), true);
    Q_UNUSED(limited);
    const QByteArray bytes = FuzzSupport::bytesOf(data, size);
    // Named as the recorder names its files, the only ones the repair at start-up looks at.
    const QString path = FuzzSupport::writeScratchFile(QStringLiteral("Quillo-2024-01-01_10-00-00.avi"), bytes);
    AviRepair::isUnfinished(path);
    // Repaired whatever the check said: the repair itself must be safe on any file.
    const bool repaired = AviRepair::repair(path);
    FUZZ_CHECK(!QFile::exists(path + QStringLiteral(".repair")), "the repair left its temporary file");
    if (!repaired)
        FUZZ_CHECK(contentOf(path) == bytes, "a failed repair changed the file");
    else
        FUZZ_CHECK(!AviRepair::isUnfinished(path), "a repaired file is still unfinished");
    QFile::remove(path);
    return 0;
}
