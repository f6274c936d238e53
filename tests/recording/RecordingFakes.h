#pragma once

#include "AudioCaptureStamper.h"
#include "AudioSource.h"
#include "MixerBackend.h"
#include "RecordingClock.h"
#include "ScreenGrabber.h"
#include "VideoEncoderFactory.h"

#include <QByteArrayList>
#include <QHash>
#include <QMutex>
#include <QSemaphore>

#include <atomic>
#include <functional>
#include <memory>

// A clock that moves only when told to, or when the code under test sleeps.
class ManualClock : public RecordingClock
{
public:
    quint32 nowMs() override { return m_now; }
    void sleepUntil(quint32 tick) override
    {
        if (qint32(tick - m_now) > 0)
            m_now = tick;
    }
    void sleepFor(quint32 ms) override { m_now += ms; }
    void advance(quint32 ms) { m_now += ms; }

private:
    std::atomic<quint32> m_now{1000};
};

// A screen of a fixed size whose picture changes with every grab; onGrab runs inside each grab (to make
// a grab "take time" on a manual clock).
class FakeGrabber : public ScreenGrabber
{
public:
    explicit FakeGrabber(QSize size = QSize(320, 180))
        : m_size(size)
    {
    }
    bool isAvailable(QString *) override { return true; }
    // A new start finds the screen again.
    bool selectScreen() override
    {
        ++selections;
        lost = false;
        return true;
    }
    QSize screenSize() override { return m_size; }
    QImage grab() override;
    QString lostReason() override { return lost ? QStringLiteral("The recorded screen was disconnected.") : QString(); }

    std::function<void()> onGrab;
    std::atomic<bool> fail{false};
    std::atomic<int> grabs{0};
    // The screen goes away after this many pictures (negative: never); grabs then fail with a reason.
    std::atomic<int> loseAfter{-1};
    std::atomic<bool> lost{false};
    std::atomic<int> selections{0};

private:
    QSize m_size;
};

// A microphone the test feeds by hand: push() hands a block to the writer on the calling thread.
class FakeAudioSource : public AudioSource
{
public:
    bool start(int device, qint64 blockBytes, RecordingClock *clock, BlockHandler handler) override;
    void stop() override;
    // One block of 16-bit stereo samples all of value sample, dated as the microphone dates what it reads
    // (ending at the clock's tick, or following on from the block before); false when capture is not running.
    bool push(qint16 sample, qint64 bytes = 4096);
    // A block as it stands, captured from capturedMs on.
    bool pushAt(const QByteArray &block, quint32 capturedMs);

    bool available = true;
    int startedDevice = -100;
    // Runs inside start() once capture is set up (to make the open "take time", or deliver sound in it).
    std::function<void()> onStart;
    // Runs inside stop() before capture ends (to hand over what the device still holds).
    std::function<void()> onStop;

private:
    QMutex m_mutex;
    BlockHandler m_handler;
    RecordingClock *m_clock = nullptr;
    // 8 kHz stereo 16-bit.
    AudioCaptureStamper m_stamper{32000};
};

// The program's encoders minus the ones listed as missing.
class LimitedEncoderFactory : public VideoEncoderFactory
{
public:
    explicit LimitedEncoderFactory(QByteArrayList missing)
        : m_missing(std::move(missing))
    {
    }
    std::unique_ptr<VideoEncoder> create(const QByteArray &fourcc, int width, int height) override;

private:
    QByteArrayList m_missing;
};

// The program's encoders, each failing from its frame number failAfter on (a broken codec, not a disk).
class FailingEncoderFactory : public VideoEncoderFactory
{
public:
    explicit FailingEncoderFactory(int failAfter)
        : m_failAfter(failAfter)
    {
    }
    std::unique_ptr<VideoEncoder> create(const QByteArray &fourcc, int width, int height) override;

private:
    int m_failAfter;
};

// The program's encoders, each taking clock time as a real one does when it is new: openMs to open, and
// firstFramesMs more for its first frames, whether they are thrown away by a warm-up or coded.
class SlowStartEncoderFactory : public VideoEncoderFactory
{
public:
    SlowStartEncoderFactory(std::shared_ptr<ManualClock> clock, quint32 openMs, quint32 firstFramesMs)
        : m_clock(std::move(clock))
        , m_openMs(openMs)
        , m_firstFramesMs(firstFramesMs)
    {
    }
    std::unique_ptr<VideoEncoder> create(const QByteArray &fourcc, int width, int height) override;

    std::atomic<int> created{0};
    std::atomic<int> warmedUp{0};
    // When set, each opening waits for one release of it: the test decides when an encoder is ready.
    QSemaphore *openGate = nullptr;

private:
    std::shared_ptr<ManualClock> m_clock;
    quint32 m_openMs;
    quint32 m_firstFramesMs;
};

// A sound server's mixer held in memory: devices known by name, with their volume (0 to 65535).
class FakeMixer : public MixerBackend
{
public:
    struct State
    {
        QHash<QByteArray, quint32> sources;
        QHash<QByteArray, quint32> sinks;
        int opened = 0;
    };
    explicit FakeMixer(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {
        ++m_state->opened;
    }
    bool volume(Device kind, const QByteArray &name, quint32 *value) override
    {
        const auto &devices = kind == Device::Source ? m_state->sources : m_state->sinks;
        if (!devices.contains(name))
            return false;
        *value = devices.value(name);
        return true;
    }
    bool setVolume(Device kind, const QByteArray &name, quint32 value) override
    {
        auto &devices = kind == Device::Source ? m_state->sources : m_state->sinks;
        if (!devices.contains(name))
            return false;
        devices[name] = value;
        return true;
    }

private:
    std::shared_ptr<State> m_state;
};
