#pragma once

#include "WinMediaService.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class FrameGrabCallback;
class QDir;

// Makes the 60 x 60 thumbnails of video files, one video at a time on the GUI thread: each video is played
// without sound through the media service, the first frame from about 3 s in (or from the start when the
// video cannot be sought there) is saved as its thumbnail, and its length is stored in its information file
// when none is stored yet. While a video is worked on the store knows it as busy, so it is not removed or
// renamed under the player.
class VideoThumbnailGenerator : public QObject
{
    Q_OBJECT

public:
    // Where the frame is taken: past the black or title frames a recording often starts with.
    static constexpr qint64 kGrabAtMs = 3000;
    // How long one video may take before it is given up. The first player of a process needs up to 2 s to
    // start here and a healthy video gives its frame well within a second after that; a recording that was
    // never closed may need a few seconds more for its length to be read from the whole file.
    static constexpr int kGiveUpMs = 10000;
    // How long a paused player is left before it is closed. Closing a player in the same moment it was
    // paused waits some 300 ms for the pause to complete inside the media framework; a few milliseconds
    // later the close takes 10 to 20 ms. Twenty leaves room on a loaded machine.
    static constexpr int kPauseSettleMs = 20;

    explicit VideoThumbnailGenerator(QObject *parent = nullptr);
    ~VideoThumbnailGenerator() override;

    // Replaces the queue with the paths (an empty list changes nothing), drops the videos that are gone or
    // already have a thumbnail and starts the first that loads, unless a video is in progress. A video in
    // progress that is no longer asked for is given up.
    void createThumbnails(const QStringList &paths);
    // Starts work on one video; false for a file that is missing or that the media service cannot play.
    bool loadVideo(const QString &path);
    void dropDoneVideos();
    // Queues the AVI files of the folder.
    void createFolderThumbnails(const QDir &folder);

    QStringList queuedVideos() const { return m_queue; }
    // The video in progress, empty when idle.
    QString currentVideo() const { return m_current; }

Q_SIGNALS:
    // Once for each video finished, with or without a thumbnail.
    void createThumbnailComplete();

public Q_SLOTS:
    // Starts the next queued video that loads; false when none did, or when a video is in progress.
    bool processNextVideo();
    // Looks at the newest frame and saves it when it is from the wanted part of the video.
    void grabVideo();

private:
    void saveFrame(const QImage &frame);
    void onMediaStateChanged();
    void onDurationChanged();
    void giveUp();
    // Pauses the player and finishes the video once the pause has settled.
    void pauseAndFinish();
    // Ends the video in progress: the player closed, the store's busy path cleared and the length stored when
    // known. A video that is done but whose length never became known is stored as 1 ms; one that is
    // merely dropped keeps its length unstored, to be found next time.
    void closeCurrent(bool done);
    void finishVideo();

    // Children of the generator; the service is closed before either goes.
    FrameGrabCallback *m_frames;
    WinMediaService *m_media;
    QTimer m_deadline;
    QTimer m_settle;
    QStringList m_queue;
    QString m_current;
    // Frames that start earlier than this were shown before the seek took effect.
    qint64 m_grabFromUs = 0;
    bool m_frameSaved = false;
    bool m_needsDuration = false;
    // The newest frame from before the seek point: used only when nothing later ever comes.
    QImage m_earlyFrame;
};
