#pragma once

#include <QByteArray>
#include <QMutex>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <memory>

struct AVFormatContext;
struct AVStream;
class QImage;
class RecordingClock;
class VideoEncoder;
class VideoEncoderFactory;

// Result codes of the AVI functions below (the published AVI library values, so logs read the same).
enum AviError : quint32 {
    AVIERR_OK = 0,
    AVIERR_BADFORMAT = 0x80044066,
    AVIERR_MEMORY = 0x80044067,
    AVIERR_BADPARAM = 0x8004406A,
    AVIERR_BADHANDLE = 0x8004406C,
    AVIERR_FILEWRITE = 0x8004406E,
    AVIERR_COMPRESSOR = 0x80044070,
    AVIERR_NOCOMPRESSOR = 0x80044071,
    AVIERR_ERROR = 0x800440C7,
};

// The PCM format of the recording's sound (the 18-byte wave format header of an AVI audio stream).
struct WaveFormat
{
    quint16 formatTag = 1;
    quint16 channels = 2;
    quint32 samplesPerSec = 8000;
    quint32 avgBytesPerSec = 32000;
    quint16 blockAlign = 4;
    quint16 bitsPerSample = 16;

    bool isEmpty() const { return channels == 0; }
};

// What setAviVideoCompression is told: the four-character code of the codec ("XVID", or "DIB " for
// uncompressed bottom-up BGR24 frames).
struct AviCompressOptions
{
    QByteArray fccHandler;
};

// One open AVI file written through the AVI muxer. Audio and video come from different threads, so every
// packet goes to the muxer under `mutex`. The container header is written when the video is set up: the
// muxer cannot add a stream later, so the audio stream is declared then too whenever a wave format was
// given.
struct AviHandle
{
    AviHandle();
    ~AviHandle();

    QString fileName;
    AVFormatContext *context = nullptr;
    WaveFormat audioFormat;
    int framePeriodMs = 40;
    AVStream *audioStream = nullptr;
    AVStream *videoStream = nullptr;
    std::unique_ptr<VideoEncoder> encoder;
    VideoEncoderFactory *encoderFactory = nullptr;
    // Made and warmed by prepareAviVideo for the set-up asking for preparedCodec ("" for XviD with its
    // fall-back) at preparedSize; any other set-up makes its own.
    std::unique_ptr<VideoEncoder> preparedEncoder;
    QByteArray preparedCodec;
    QSize preparedSize;
    // Atomic: the GUI thread reads it on resume while the frame thread writes.
    std::atomic<quint32> videoPosition{0};
    quint32 lastKeySlot = 0;
    bool anyFrame = false;
    quint64 audioPosition = 0;
    bool anyVideoPacket = false;
    // Atomic: the microphone thread sets it under `mutex` while the frame thread reads it without.
    std::atomic<bool> failed{false};
    // The FFmpeg error code (AVERROR) of the first failure; 0 while nothing failed.
    std::atomic<int> failureError{0};
    QMutex mutex;
};

// Creates (or truncates) the file. audioFormat null: the file gets no audio stream. factory null: the
// program's own encoders. Null when the file cannot be created.
AviHandle *createAvi(const QString &fileName, int framePeriodMs, const WaveFormat *audioFormat,
                     VideoEncoderFactory *factory = nullptr);
// Appends a block of PCM sound at the audio position.
quint32 addAviAudio(AviHandle *handle, const void *data, qint64 bytes);
// Sets up the video stream of width x height frames with the given codec and writes the file header.
quint32 setAviVideoCompression(AviHandle *handle, int width, int height, const AviCompressOptions &options);
// The recorder's own video set-up: XviD, or uncompressed frames when XviD is not available here.
quint32 setXvidCompression(AviHandle *handle, int width, int height);
// Makes the encoder of a later set-up now and runs its first-frame costs on sample (a picture of the size
// and format the frames will have), so that they fall before the recording's time starts. codec: the
// four-character code setAviVideoCompression will be given, empty for setXvidCompression. The set-up then
// takes this encoder. False when none could be made or it failed on the sample: the set-up then makes its
// own and fails or succeeds as it would have.
bool prepareAviVideo(AviHandle *handle, int width, int height, const QByteArray &codec, const QImage &sample);
// Writes the screen picture at its 40 ms slot: slot = (now - tick base) / period + frame at resume, waiting
// for the next slot while it equals the last one written. A tick base of 0 is set to now first.
quint32 addAviTimedFrame(AviHandle *handle, const QImage &frame, quint32 *tickBase, quint32 frameAtResume,
                         RecordingClock *clock);
// Marks the slot as held by no new frame, so the video lasts up to it (players repeat the last frame).
quint32 addAviEmptyFrame(AviHandle *handle, quint32 slot);
// Finishes the file (header lengths and index) and frees the handle. A file whose video was never set up
// stays as created, without streams.
quint32 closeAvi(AviHandle *handle);
// The text of a failure code of the handle, for the log and the user.
QString aviErrorText(int error);
// Whether a failure code means the disk is full: no space left, or the user's quota used up.
bool aviErrorIsFullDisk(int error);
