#include "FfmpegLibraries.h"
#include "TestEnvironment.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
#include <libswscale/swscale.h>
}

#include <link.h>

namespace {

// Whether any of the media libraries is mapped into this process.
bool mediaLibraryMapped()
{
    bool found = false;
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            const QByteArray name(info->dlpi_name);
            for (const char *library : {"libavformat.so", "libavcodec.so", "libavutil.so", "libswscale.so"}) {
                if (name.contains(library))
                    *static_cast<bool *>(data) = true;
            }
            return 0;
        },
        &found);
    return found;
}

} // namespace

// The program links no media library: they come with the first call of one of their functions. One test
// function walks the process's life, as the order matters: not loaded at start, then loaded by concurrent
// first calls, which all see the real functions.
class TestFfmpegLibraries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadedOnFirstUseOnly();
};

void TestFfmpegLibraries::loadedOnFirstUseOnly()
{
    QVERIFY2(!mediaLibraryMapped(), "a media library came with the program: it is linked, not loaded on use");
    QVERIFY(!FfmpegLibraries::isLoaded());

    // Several threads make their first calls at once, each through another entry point.
    QList<QFuture<QString>> calls;
    for (int i = 0; i < 8; ++i) {
        calls.append(QtConcurrent::run([i] {
            switch (i % 4) {
            case 0:
                return QString::number(av_rescale_q(90000, AVRational{1, 90000}, AVRational{1, 1000}));
            case 1: {
                char text[AV_ERROR_MAX_STRING_SIZE] = {};
                return av_strerror(AVERROR(ENOENT), text, sizeof text) == 0 ? QString::fromUtf8(text) : QString();
            }
            case 2:
                return QString::fromLatin1(av_find_input_format("avi") ? "avi" : "none");
            default: {
                SwsContext *context = sws_alloc_context();
                const bool made = context != nullptr;
                sws_freeContext(context);
                return QString::fromLatin1(made ? "scaler" : "none");
            }
            }
        }));
    }
    const QStringList expected{QStringLiteral("1000"), QStringLiteral("No such file or directory"),
                               QStringLiteral("avi"), QStringLiteral("scaler")};
    for (int i = 0; i < calls.size(); ++i)
        QCOMPARE(calls[i].result(), expected[i % 4]);
    QVERIFY(FfmpegLibraries::isLoaded());
    QVERIFY(mediaLibraryMapped());

    // A later preload finds them loaded and does nothing.
    FfmpegLibraries::preloadInBackground();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
    QCOMPARE(av_rescale_q(3, AVRational{1, 2}, AVRational{1, 4}), int64_t(6));
}

QUILLO_TEST_MAIN(TestFfmpegLibraries)
#include "tst_FfmpegLibraries.moc"
