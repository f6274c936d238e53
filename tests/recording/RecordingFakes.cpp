#include "RecordingFakes.h"

#include "VideoEncoder.h"

#include <QColor>

QImage FakeGrabber::grab()
{
    if (onGrab)
        onGrab();
    if (loseAfter >= 0 && grabs >= loseAfter)
        lost = true;
    if (fail || lost)
        return QImage();
    const int n = grabs++;
    QImage picture(m_size, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv((n * 37) % 360, 200, 200));
    return picture;
}

bool FakeAudioSource::start(int device, qint64 blockBytes, RecordingClock *clock, BlockHandler handler)
{
    Q_UNUSED(blockBytes)
    startedDevice = device;
    if (!available)
        return false;
    {
        QMutexLocker locker(&m_mutex);
        m_handler = std::move(handler);
        m_clock = clock;
        m_stamper.reset();
    }
    if (onStart)
        onStart();
    return true;
}

void FakeAudioSource::stop()
{
    if (onStop && m_handler)
        onStop();
    QMutexLocker locker(&m_mutex);
    m_handler = nullptr;
}

bool FakeAudioSource::push(qint16 sample, qint64 bytes)
{
    QByteArray block(int(bytes), '\0');
    auto *samples = reinterpret_cast<qint16 *>(block.data());
    for (qsizetype i = 0; i < block.size() / 2; ++i)
        samples[i] = sample;
    return pushAt(block, m_clock ? m_stamper.stamp(bytes, m_clock->nowMs()) : 0);
}

bool FakeAudioSource::pushAt(const QByteArray &block, quint32 capturedMs)
{
    QMutexLocker locker(&m_mutex);
    if (!m_handler)
        return false;
    m_handler(block.constData(), block.size(), capturedMs);
    return true;
}

std::unique_ptr<VideoEncoder> LimitedEncoderFactory::create(const QByteArray &fourcc, int width, int height)
{
    if (m_missing.contains(fourcc))
        return nullptr;
    return VideoEncoderFactory::create(fourcc, width, height);
}

namespace {

class FailingEncoder : public VideoEncoder
{
public:
    FailingEncoder(std::unique_ptr<VideoEncoder> encoder, int failAfter)
        : m_encoder(std::move(encoder))
        , m_left(failAfter)
    {
    }
    void describe(AVCodecParameters *parameters) const override { m_encoder->describe(parameters); }
    void addMuxerOptions(AVDictionary **options) const override { m_encoder->addMuxerOptions(options); }
    bool encode(const QImage &picture, bool forceKey, AVPacket *packet) override
    {
        return m_left-- > 0 && m_encoder->encode(picture, forceKey, packet);
    }

private:
    std::unique_ptr<VideoEncoder> m_encoder;
    int m_left;
};

} // namespace

std::unique_ptr<VideoEncoder> FailingEncoderFactory::create(const QByteArray &fourcc, int width, int height)
{
    std::unique_ptr<VideoEncoder> encoder = VideoEncoderFactory::create(fourcc, width, height);
    if (!encoder)
        return nullptr;
    return std::make_unique<FailingEncoder>(std::move(encoder), m_failAfter);
}

namespace {

class SlowStartEncoder : public VideoEncoder
{
public:
    SlowStartEncoder(std::unique_ptr<VideoEncoder> encoder, ManualClock *clock, quint32 firstFramesMs,
                     std::atomic<int> *warmedUp)
        : m_encoder(std::move(encoder))
        , m_clock(clock)
        , m_firstFramesMs(firstFramesMs)
        , m_warmedUp(warmedUp)
    {
    }
    void describe(AVCodecParameters *parameters) const override { m_encoder->describe(parameters); }
    void addMuxerOptions(AVDictionary **options) const override { m_encoder->addMuxerOptions(options); }
    bool encode(const QImage &picture, bool forceKey, AVPacket *packet) override
    {
        payFirstFrames();
        return m_encoder->encode(picture, forceKey, packet);
    }
    bool warmUp(const QImage &sample) override
    {
        payFirstFrames();
        ++*m_warmedUp;
        return m_encoder->warmUp(sample);
    }

private:
    void payFirstFrames()
    {
        if (!m_paid)
            m_clock->advance(m_firstFramesMs);
        m_paid = true;
    }

    std::unique_ptr<VideoEncoder> m_encoder;
    ManualClock *m_clock;
    quint32 m_firstFramesMs;
    std::atomic<int> *m_warmedUp;
    bool m_paid = false;
};

} // namespace

std::unique_ptr<VideoEncoder> SlowStartEncoderFactory::create(const QByteArray &fourcc, int width, int height)
{
    std::unique_ptr<VideoEncoder> encoder = VideoEncoderFactory::create(fourcc, width, height);
    if (!encoder)
        return nullptr;
    if (openGate)
        openGate->acquire();
    ++created;
    m_clock->advance(m_openMs);
    return std::make_unique<SlowStartEncoder>(std::move(encoder), m_clock.get(), m_firstFramesMs, &warmedUp);
}
