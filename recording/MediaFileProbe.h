#pragma once

#include <QSize>
#include <QString>

#include <atomic>

// Answers from the file itself what the player only learns asynchronously: whether it can be played, its
// length and its picture size.
class MediaFileProbe
{
public:
    struct Result
    {
        // A video stream exists and a decoder for it is installed.
        bool playable = false;
        // -1 when the file does not say (a recording that was never closed has no index and a length of 0).
        qint64 durationMs = -1;
        QSize frameSize;
        bool hasAudio = false;
    };

    static Result probe(const QString &path);
    // The end of the last packet in milliseconds, found by reading the whole file; -1 when it cannot be read
    // or when cancel became true. Meant for a worker thread: it reads every byte.
    static qint64 scanDuration(const QString &path, const std::atomic_bool *cancel = nullptr);
};
