#include "MediaInput.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace {

// The containers the program meets (RIFF/AVI, ASF) announce themselves in their first bytes; letting the
// probe read further only costs time on files that are no media at all (1 MiB of random data took 45 ms
// at libavformat's default limit, 1.5 ms at this one, which is one read buffer).
constexpr unsigned kProbeBytes = 32 * 1024;

// libavformat prints its complaints about damaged files on stderr; this layer reports through its return
// values only. The level is process-wide, so it is set once; static initialisation is thread-safe.
void silenceLibavformat()
{
    static const bool silenced = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    Q_UNUSED(silenced);
}

// Only the named file itself is read: playlists and reference files must not make the demuxer open other
// files or addresses.
int refuseNestedOpen(AVFormatContext *, AVIOContext **, const char *, int, AVDictionary **)
{
    return AVERROR(EPERM);
}

} // namespace

MediaInput::MediaInput(const QString &path, const Options &options)
    : m_deadline(options.deadlineMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(options.deadlineMs))
    , m_cancel(options.cancel)
{
    // Devices and pipes would block or never end; only regular files carry media.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return;
    silenceLibavformat();

    // "file:" keeps a name such as "http:x" or "pipe:0" from being taken as another protocol.
    const QByteArray url = "file:" + QFile::encodeName(info.absoluteFilePath());
    const AVIOInterruptCB interrupt{&MediaInput::interruptCallback, this};
    AVDictionary *ioOptions = nullptr;
    av_dict_set(&ioOptions, "protocol_whitelist", "file", 0);
    const int opened = avio_open2(&m_io, url.constData(), AVIO_FLAG_READ, &interrupt, &ioOptions);
    av_dict_free(&ioOptions);
    if (opened < 0)
        return;

    const AVInputFormat *container = nullptr;
    if (!options.container.isEmpty())
        container = av_find_input_format(options.container.constData());
    else if (av_probe_input_buffer2(m_io, &container, url.constData(), nullptr, 0, kProbeBytes) < 0)
        container = nullptr;
    if (!container)
        return;
    if (options.aviHeaderOnly && qstrcmp(container->name, "avi") == 0)
        m_io->seekable = 0;

    AVFormatContext *format = avformat_alloc_context();
    if (!format)
        return;
    format->pb = m_io;
    format->io_open = refuseNestedOpen;
    format->interrupt_callback = interrupt;
    // avformat_open_input frees the context on failure and leaves the caller's I/O context alone.
    if (avformat_open_input(&format, url.constData(), container, nullptr) < 0)
        return;
    m_format = format;
}

MediaInput::~MediaInput()
{
    avformat_close_input(&m_format);
    avio_closep(&m_io);
}

void MediaInput::setDeadline(int deadlineMs)
{
    m_deadline = deadlineMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(deadlineMs);
}

bool MediaInput::interrupted() const
{
    return m_deadline.hasExpired() || (m_cancel && m_cancel->load());
}

int MediaInput::interruptCallback(void *opaque)
{
    return static_cast<const MediaInput *>(opaque)->interrupted() ? 1 : 0;
}
