#include "ShmScreenReader.h"

#include "RecordingLog.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// The picture being encoded, one a caller still keeps, and one to grab into: more means pictures are
// being hoarded, and those grabs go the plain way instead of mapping ever more screens' worth of memory.
constexpr int kMaxSegments = 3;
// Pixels come as 32 bits (the only layout taken from the server, as the plain grab does).
constexpr int kBytesPerPixel = 4;

} // namespace

struct ShmScreenReader::Segment
{
    uint32_t id = 0;
    uchar *address = nullptr;
    qsizetype bytes = 0;
    // The reader, plus each picture handed out and not yet destroyed; the memory goes with the last.
    std::atomic<int> holders{1};

    static void dropHolder(void *info)
    {
        auto *segment = static_cast<Segment *>(info);
        if (--segment->holders == 0) {
            shmdt(segment->address);
            delete segment;
        }
    }
};

ShmScreenReader::ShmScreenReader(xcb_connection_t *connection)
    : m_connection(connection)
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(m_connection, &xcb_shm_id);
    m_available = extension && extension->present;
}

ShmScreenReader::~ShmScreenReader()
{
    for (Segment *segment : std::as_const(m_segments))
        release(segment);
}

void ShmScreenReader::disable()
{
    m_available = false;
    for (Segment *segment : std::as_const(m_segments))
        release(segment);
    m_segments.clear();
}

void ShmScreenReader::release(Segment *segment)
{
    xcb_shm_detach(m_connection, segment->id);
    xcb_flush(m_connection);
    Segment::dropHolder(segment);
}

ShmScreenReader::Segment *ShmScreenReader::freeSegment(qsizetype bytes)
{
    // Segments of another size (the screen changed between recordings) go as soon as nobody holds them.
    for (qsizetype i = m_segments.size() - 1; i >= 0; --i) {
        Segment *segment = m_segments.at(i);
        if (segment->holders.load() != 1)
            continue;
        if (segment->bytes == bytes)
            return segment;
        release(segment);
        m_segments.removeAt(i);
    }
    if (m_segments.size() >= kMaxSegments)
        return nullptr;
    // Readable and writable by this user only: it holds what the screen shows.
    const int id = shmget(IPC_PRIVATE, size_t(bytes), IPC_CREAT | 0600);
    if (id < 0) {
        recordingLog(LogSystem::LOG_WARNING, "ShmScreenReader - no shared memory of %lld bytes", qlonglong(bytes));
        return nullptr;
    }
    void *address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return nullptr;
    }
    const xcb_shm_seg_t name = xcb_generate_id(m_connection);
    xcb_generic_error_t *error = xcb_request_check(m_connection, xcb_shm_attach_checked(m_connection, name, id, 0));
    // Marked for removal at once: the kernel frees it when both sides let go, also when either dies.
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        // A server on another machine, or in another memory namespace, cannot reach our segments.
        recordingLog(LogSystem::LOG_WARNING, "ShmScreenReader - the X server cannot attach shared memory (error %d)",
                     error->error_code);
        std::free(error);
        shmdt(address);
        disable();
        return nullptr;
    }
    auto *segment = new Segment;
    segment->id = name;
    segment->address = static_cast<uchar *>(address);
    segment->bytes = bytes;
    m_segments.append(segment);
    return segment;
}

void ShmScreenReader::prepare(const QSize &size)
{
    if (!m_available || size.isEmpty())
        return;
    Segment *segment = freeSegment(qsizetype(size.width()) * kBytesPerPixel * size.height());
    // Nobody holds a free segment and the next grab overwrites it whole: writing maps every page now.
    if (segment)
        memset(segment->address, 0, size_t(segment->bytes));
}

QImage ShmScreenReader::read(uint32_t window, const QRect &area, int *errorCode)
{
    *errorCode = 0;
    if (!m_available || area.isEmpty())
        return QImage();
    const qsizetype stride = qsizetype(area.width()) * kBytesPerPixel;
    const qsizetype bytes = stride * area.height();
    Segment *segment = freeSegment(bytes);
    if (!segment)
        return QImage();
    xcb_generic_error_t *error = nullptr;
    xcb_shm_get_image_reply_t *reply = xcb_shm_get_image_reply(
        m_connection,
        xcb_shm_get_image(m_connection, window, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                          uint16_t(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment->id, 0),
        &error);
    if (!reply) {
        *errorCode = error ? error->error_code : 0;
        std::free(error);
        return QImage();
    }
    const bool whole = reply->depth >= 24 && qsizetype(reply->size) >= bytes;
    std::free(reply);
    if (!whole)
        return QImage();
    ++segment->holders;
    return QImage(segment->address, area.width(), area.height(), stride, QImage::Format_RGB32, &Segment::dropHolder,
                  segment);
}
