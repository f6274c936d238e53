#include "AviHandle.h"
#include "AviProbe.h"
#include "LumoSystem.h"
#include "RecordingFakes.h"
#include "TestEnvironment.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The file (about 1.2 GB) and some room to spare.
constexpr qint64 kSpaceForLargeFile = qint64(2) << 30;

} // namespace

class TestAviHandle : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QImage picture(QSize size, QColor color)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        return image;
    }

private Q_SLOTS:
    void resultCodes();
    void slotGrid_data();
    void slotGrid();
    void keyFramesEveryTenSlots();
    void soundTimedByByteCount();
    void uncompressedFramesAreBottomUpDibs_data();
    void uncompressedFramesAreBottomUpDibs();
    void openDmlPastOneGigabyte();
};

void TestAviHandle::resultCodes()
{
    ManualClock clock;
    const QImage frame = picture(QSize(64, 48), Qt::red);
    quint32 tickBase = 0;
    const char pcm[8] = {};
    QCOMPARE(addAviAudio(nullptr, pcm, 8), quint32(AVIERR_BADHANDLE));
    QCOMPARE(setAviVideoCompression(nullptr, 64, 48, {"XVID"}), quint32(AVIERR_BADHANDLE));
    QCOMPARE(addAviTimedFrame(nullptr, frame, &tickBase, 0, &clock), quint32(AVIERR_BADHANDLE));
    QCOMPARE(closeAvi(nullptr), quint32(AVIERR_BADHANDLE));
    QVERIFY(!createAvi(path("missing/folder/x.avi"), 40, nullptr));

    WaveFormat wave;
    AviHandle *withSound = createAvi(path("codes.avi"), 40, &wave);
    QVERIFY(withSound);
    QCOMPARE(addAviAudio(withSound, nullptr, 8), quint32(AVIERR_BADPARAM));
    QCOMPARE(addAviAudio(withSound, pcm, 6), quint32(AVIERR_BADPARAM)); // not whole sample frames
    QCOMPARE(setXvidCompression(withSound, 64, 48), quint32(AVIERR_OK));
    QCOMPARE(setXvidCompression(withSound, 64, 48), quint32(AVIERR_COMPRESSOR));
    QCOMPARE(addAviAudio(withSound, pcm, 8), quint32(AVIERR_OK));
    QCOMPARE(closeAvi(withSound), quint32(AVIERR_OK));

    AviHandle *silent = createAvi(path("silent.avi"), 40, nullptr);
    QCOMPARE(setXvidCompression(silent, 64, 48), quint32(AVIERR_OK));
    QCOMPARE(addAviAudio(silent, pcm, 8), quint32(AVIERR_BADFORMAT));
    closeAvi(silent);

    // A codec that does not exist fails the handle; from then on every call answers AVIERR_ERROR.
    AviHandle *failed = createAvi(path("failed.avi"), 40, &wave);
    QCOMPARE(setAviVideoCompression(failed, 64, 48, {"ABCD"}), quint32(AVIERR_NOCOMPRESSOR));
    QCOMPARE(addAviAudio(failed, pcm, 8), quint32(AVIERR_ERROR));
    QCOMPARE(addAviTimedFrame(failed, frame, &tickBase, 0, &clock), quint32(AVIERR_ERROR));
    closeAvi(failed);
}

void TestAviHandle::slotGrid_data()
{
    QTest::addColumn<QList<int>>("grabTimes"); // ms after the first grab
    QTest::addColumn<QList<qint64>>("slotIndexes");

    QTest::newRow("first frame on index 1") << QList<int>{0} << QList<qint64>{1};
    QTest::newRow("two grabs in one slot") << QList<int>{0, 45, 50} << QList<qint64>{1, 2, 3};
    QTest::newRow("100 ms grab skips slots") << QList<int>{0, 140, 180} << QList<qint64>{1, 3, 4};
    QTest::newRow("long gap") << QList<int>{0, 2000, 2010} << QList<qint64>{1, 50, 51};
}

void TestAviHandle::slotGrid()
{
    QFETCH(QList<int>, grabTimes);
    QFETCH(QList<qint64>, slotIndexes);
    ManualClock clock;
    const quint32 start = clock.nowMs();
    const QString file = path(QStringLiteral("grid-%1.avi").arg(QTest::currentDataTag()));
    AviHandle *handle = createAvi(file, 40, nullptr);
    QCOMPARE(setXvidCompression(handle, 64, 48), quint32(AVIERR_OK));
    quint32 tickBase = 0;
    for (int at : grabTimes) {
        clock.sleepUntil(start + quint32(at));
        QCOMPARE(addAviTimedFrame(handle, picture(QSize(64, 48), Qt::blue), &tickBase, 0, &clock), quint32(AVIERR_OK));
    }
    QCOMPARE(closeAvi(handle), quint32(AVIERR_OK));

    const AviProbe probe(file);
    QVERIFY(probe.readable());
    QList<qint64> written;
    const QList<AviProbe::Packet> packets = probe.packets("video");
    for (const AviProbe::Packet &packet : packets)
        written.append(packet.pts);
    QCOMPARE(written, slotIndexes);
    const QJsonObject video = probe.stream("video");
    QCOMPARE(video.value("codec_tag_string").toString(), QStringLiteral("XVID"));
    QCOMPARE(video.value("r_frame_rate").toString(), QStringLiteral("25/1"));
    // The stream lasts up to the last slot: the empty slot 0 and the skipped ones count.
    QCOMPARE(video.value("nb_frames").toString().toLongLong(), slotIndexes.last() + 1);
    QCOMPARE(video.value("nb_read_frames").toString().toLongLong(), qint64(slotIndexes.size()));
}

void TestAviHandle::keyFramesEveryTenSlots()
{
    ManualClock clock;
    const quint32 start = clock.nowMs();
    const QString file = path("keys.avi");
    AviHandle *handle = createAvi(file, 40, nullptr);
    QCOMPARE(setXvidCompression(handle, 96, 64), quint32(AVIERR_OK));
    quint32 tickBase = 0;
    // Slots 1..12 in a row, then a gap to 17, then every slot up to 40.
    QList<qint64> expectedKeys{1, 11, 21, 31};
    for (int slot = 1; slot <= 40; ++slot) {
        if (slot > 12 && slot < 17)
            continue;
        clock.sleepUntil(start + quint32(slot) * 40);
        QImage frame(96, 64, QImage::Format_RGB32);
        frame.fill(Qt::white);
        frame.setPixelColor(slot % 96, 10, Qt::black);
        QCOMPARE(addAviTimedFrame(handle, frame, &tickBase, 0, &clock), quint32(AVIERR_OK));
    }
    closeAvi(handle);
    QList<qint64> keys;
    const QList<AviProbe::Packet> packets = AviProbe(file).packets("video");
    for (const AviProbe::Packet &packet : packets) {
        if (packet.key)
            keys.append(packet.pts);
    }
    QCOMPARE(keys, expectedKeys);
}

void TestAviHandle::soundTimedByByteCount()
{
    ManualClock clock;
    WaveFormat wave;
    const QString file = path("sound.avi");
    AviHandle *handle = createAvi(file, 40, &wave);
    QCOMPARE(setXvidCompression(handle, 64, 48), quint32(AVIERR_OK));
    quint32 tickBase = 0;
    QCOMPARE(addAviTimedFrame(handle, picture(QSize(64, 48), Qt::green), &tickBase, 0, &clock), quint32(AVIERR_OK));
    const QByteArray block(4096, '\x01');
    for (int i = 0; i < 10; ++i)
        QCOMPARE(addAviAudio(handle, block.constData(), block.size()), quint32(AVIERR_OK));
    QCOMPARE(handle->audioPosition, quint64(10 * 1024));
    closeAvi(handle);
    const AviProbe probe(file);
    const QJsonObject audio = probe.stream("audio");
    QCOMPARE(audio.value("codec_name").toString(), QStringLiteral("pcm_s16le"));
    QCOMPARE(audio.value("sample_rate").toString(), QStringLiteral("8000"));
    QCOMPARE(audio.value("channels").toInt(), 2);
    QCOMPARE(probe.streams().first().value("codec_type").toString(), QStringLiteral("video"));
    QCOMPARE(probe.audioSamples().size(), 10 * 4096);
    // The last block starts at 9 x 128 ms.
    QCOMPARE(probe.packets("audio").last().pts, qint64(9 * 1024));
}

void TestAviHandle::uncompressedFramesAreBottomUpDibs_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("rows without padding") << QSize(64, 40);
    QTest::newRow("odd width, padded rows") << QSize(101, 41);
}

void TestAviHandle::uncompressedFramesAreBottomUpDibs()
{
    QFETCH(QSize, size);
    ManualClock clock;
    const QString file = path(QStringLiteral("dib-%1.avi").arg(size.width()));
    AviHandle *handle = createAvi(file, 40, nullptr);
    QCOMPARE(setAviVideoCompression(handle, size.width(), size.height(), {"DIB "}), quint32(AVIERR_OK));
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(Qt::blue);
    for (int x = 0; x < size.width(); ++x)
        frame.setPixelColor(x, 0, Qt::red); // top row red
    quint32 tickBase = 0;
    QCOMPARE(addAviTimedFrame(handle, frame, &tickBase, 0, &clock), quint32(AVIERR_OK));
    closeAvi(handle);

    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    const qsizetype strf = bytes.indexOf("strf");
    QVERIFY(strf > 0);
    // BITMAPINFOHEADER: positive height (bottom-up), 24 bits, BI_RGB.
    QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + strf + 16), qint32(size.height()));
    QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + strf + 22), quint16(24));
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + strf + 24), quint32(0));
    // The first video chunk is the empty slot 0, the frame follows on slot 1.
    const qsizetype chunk = bytes.indexOf("00dc", bytes.indexOf("00dc", bytes.indexOf("movi")) + 8);
    QVERIFY(chunk > 0);
    const int stride = (size.width() * 3 + 3) & ~3;
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + chunk + 4), quint32(stride * size.height()));

    const QByteArray rgb = AviProbe(file).firstFrameRgb();
    QCOMPARE(rgb.size(), qsizetype(size.width() * size.height() * 3));
    const auto pixel = [&](int x, int y) {
        const char *p = rgb.constData() + (y * size.width() + x) * 3;
        return QColor(uchar(p[0]), uchar(p[1]), uchar(p[2]));
    };
    QCOMPARE(pixel(0, 0), QColor(Qt::red));
    QCOMPARE(pixel(size.width() - 1, 0), QColor(Qt::red));
    QCOMPARE(pixel(size.width() - 1, size.height() - 1), QColor(Qt::blue));
}

void TestAviHandle::openDmlPastOneGigabyte()
{
    // About 1.1 GB of uncompressed 1080p frames in a scratch folder, removed at the end.
    QTemporaryDir scratch;
    if (LumoSystem::freeSpace(scratch.path()) < kSpaceForLargeFile)
        QSKIP("needs 2 GiB free in the temporary folder for a file past the first gigabyte");
    const QString file = scratch.filePath("large.avi");
    ManualClock clock;
    const quint32 start = clock.nowMs();
    WaveFormat wave;
    AviHandle *handle = createAvi(file, 40, &wave);
    QCOMPARE(setAviVideoCompression(handle, 1920, 1080, {"DIB "}), quint32(AVIERR_OK));
    const QImage frame = picture(QSize(1920, 1080), Qt::darkCyan);
    const QByteArray block(1280, '\0');
    constexpr int kFrames = 185; // 185 x 6,220,800 bytes > 1 GiB
    quint32 tickBase = 0;
    for (int slot = 1; slot <= kFrames; ++slot) {
        clock.sleepUntil(start + quint32(slot) * 40);
        QCOMPARE(addAviTimedFrame(handle, frame, &tickBase, 0, &clock), quint32(AVIERR_OK));
        QCOMPARE(addAviAudio(handle, block.constData(), block.size()), quint32(AVIERR_OK));
    }
    QCOMPARE(closeAvi(handle), quint32(AVIERR_OK));
    QVERIFY(QFileInfo(file).size() > (qint64(1) << 30));

    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    raw.seek(qint64(1) << 30);
    QVERIFY(raw.read(64 << 20).contains("AVIX")); // the continuation list follows the first gigabyte
    const AviProbe probe(file);
    QVERIFY(probe.readable());
    QCOMPARE(probe.stream("video").value("nb_read_frames").toString().toInt(), kFrames);
    QCOMPARE(probe.stream("audio").value("nb_read_frames").toString().toInt(), kFrames);
}

QUILLO_TEST_MAIN(TestAviHandle)
#include "tst_AviHandle.moc"
