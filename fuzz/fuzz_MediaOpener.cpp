// Any file a user opens as a video: the duration helper, the playback probe and the full duration scan each
// end on it, within the time and memory libFuzzer allows one input, and answer in their documented ranges.
#include "FuzzSupport.h"

#include "MediaFileProbe.h"
#include "OsHelpers.h"

extern "C" {
#include <libavutil/log.h>
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // libavformat's complaints about broken input would drown libFuzzer's own report.
    av_log_set_level(AV_LOG_QUIET);
    const QString path = FuzzSupport::writeScratchFile(QStringLiteral("clip.avi"), FuzzSupport::bytesOf(data, size));

    const qint64 duration = mediaDuration(path);
    FUZZ_CHECK(duration >= 0, "mediaDuration answered %lld", duration);

    const MediaFileProbe::Result probe = MediaFileProbe::probe(path);
    FUZZ_CHECK(probe.durationMs >= -1, "the probe answered a length of %lld", probe.durationMs);
    FUZZ_CHECK(!probe.playable || (probe.frameSize.width() > 0 && probe.frameSize.height() > 0),
               "a playable file with a picture of %dx%d", probe.frameSize.width(), probe.frameSize.height());

    const qint64 scanned = MediaFileProbe::scanDuration(path);
    FUZZ_CHECK(scanned >= -1, "the scan answered %lld", scanned);
    return 0;
}
