#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

#include <cstdint>

struct xcb_connection_t;

// Reads parts of the X server's screen through the MIT shared-memory extension: the server writes the
// pixels straight into memory this process maps, so nothing crosses the connection and nothing is copied
// on this side. The pictures handed out share that memory; one still held by anybody is never written
// again, as a new grab then takes another segment. Used by one thread at a time, with the connection it
// was made for; a picture may outlive the reader.
class ShmScreenReader
{
public:
    explicit ShmScreenReader(xcb_connection_t *connection);
    ~ShmScreenReader();
    ShmScreenReader(const ShmScreenReader &) = delete;
    ShmScreenReader &operator=(const ShmScreenReader &) = delete;

    // Whether the server offers the extension and it has not failed here.
    bool isAvailable() const { return m_available; }
    // The area of the window at 32 bits a pixel (blue first, as QImage::Format_RGB32). Null when the server
    // refused; errorCode then holds its X error code (0: no segment could be had here).
    QImage read(uint32_t window, const QRect &area, int *errorCode);
    // Makes the segment the next read of an area of that size will use, with all its pages mapped here: the
    // first read of a screen's worth of new shared memory otherwise maps them one by one (about 2000 at
    // 1080p, 50-100 ms).
    void prepare(const QSize &size);
    // Turns the extension off for good, after the server proved unable to use it.
    void disable();

private:
    struct Segment;
    Segment *freeSegment(qsizetype bytes);
    void release(Segment *segment);

    xcb_connection_t *m_connection;
    bool m_available = false;
    QList<Segment *> m_segments;
};
