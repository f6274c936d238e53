#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <atomic>

struct AVFormatContext;
struct AVIOContext;

// Opens a user's media file for libavformat the one safe way: regular files only (a named pipe or a device
// would block for good), the file protocol only (a name such as "http:x" stays a file name), no file
// opened from inside another (a playlist or reference file cannot make the demuxer read other files or
// addresses), a probe of the first bytes only, and every read ended by a deadline or a cancel flag. Closes
// what it opened when it goes.
class MediaInput
{
public:
    struct Options
    {
        // How long the opening (and, through setDeadline, what follows) may take; -1 for no limit.
        int deadlineMs = -1;
        // Ends every read once it holds true; may be null.
        const std::atomic_bool *cancel = nullptr;
        // An AVI is read without its index (the header holds the length; the index costs 100 times more).
        bool aviHeaderOnly = false;
        // The container to use instead of probing for one ("avi"); empty: probed.
        QByteArray container;
    };

    MediaInput(const QString &path, const Options &options);
    ~MediaInput();
    MediaInput(const MediaInput &) = delete;
    MediaInput &operator=(const MediaInput &) = delete;

    // The opened container; null when the file could not be opened.
    AVFormatContext *format() const { return m_format; }
    // A new limit for the reads that follow the opening; -1 for none.
    void setDeadline(int deadlineMs);
    // Whether a read was or would now be ended by the deadline or the cancel flag.
    bool interrupted() const;

private:
    static int interruptCallback(void *opaque);

    AVIOContext *m_io = nullptr;
    AVFormatContext *m_format = nullptr;
    QDeadlineTimer m_deadline;
    const std::atomic_bool *m_cancel = nullptr;
};
