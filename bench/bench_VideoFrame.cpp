// Decode-to-paint cost of one 1920x1080 frame of a recording: the player decodes, the converter thread turns
// the frame into an image, and the widget paints it stretched. Run: bench_VideoFrame [seconds]
#include "FrameGrabCallback.h"
#include "WinMediaService.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QVideoSink>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("4");
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("full-hd.avi"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-y", "-f", "lavfi", "-i",
                  QStringLiteral("testsrc2=size=1920x1080:rate=25:duration=%1").arg(seconds), "-c:v", "mpeg4",
                  "-vtag", "XVID", "-b:v", "8M", path});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        return 1;
    }

    // Collects the frames as the player delivers them, then times conversion and painting per frame.
    WinMediaService media;
    QList<QVideoFrame> frames;
    FrameGrabCallback callback;
    callback.setFpsHint(0);
    QElapsedTimer openToFirst;
    openToFirst.start();
    if (!media.setMedia(path) || !media.setGrabberCallback(&callback))
        return 1;
    qint64 firstFrameMs = -1;
    QObject::connect(&callback, &FrameGrabCallback::frameReady, &app, [&] {
        if (firstFrameMs < 0)
            firstFrameMs = openToFirst.elapsed();
    });
    media.play();
    while (media.mediaState() == WinMediaService::STATE_PLAYING)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    callback.waitForConversions();
    QCoreApplication::processEvents();

    // The same path once more, timed per frame: conversion as the converter thread does it, then the paint.
    QVideoSink sink;
    QMediaPlayer player;
    player.setVideoSink(&sink);
    QObject::connect(&sink, &QVideoSink::videoFrameChanged, &app, [&](const QVideoFrame &f) { frames << f; });
    player.setSource(QUrl::fromLocalFile(path));
    player.play();
    QElapsedTimer guard;
    guard.start();
    while (player.mediaStatus() != QMediaPlayer::EndOfMedia && guard.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    QImage target(1280, 720, QImage::Format_RGB32);
    qint64 convertNs = 0, paintNs = 0;
    for (const QVideoFrame &frame : std::as_const(frames)) {
        FrameGrabCallback one;
        one.setFpsHint(0);
        QElapsedTimer t;
        t.start();
        one.presentFrame(frame);
        one.waitForConversions();
        convertNs += t.nsecsElapsed();
        t.restart();
        QPainter painter(&target);
        one.paint(&painter, target.width(), target.height());
        painter.end();
        paintNs += t.nsecsElapsed();
    }
    QElapsedTimer release;
    release.start();
    media.releaseMedia();
    const qint64 releaseMs = release.elapsed();
    const double n = qMax<qsizetype>(1, frames.size());
    std::printf("frames: %lld\nconvert per frame: %.2f ms\npaint 1920x1080 into 1280x720 per frame: %.2f ms\n"
                "open to first frame: %lld ms\nrelease: %lld ms\n",
                qlonglong(frames.size()), convertNs / n / 1e6, paintNs / n / 1e6, firstFrameMs, releaseMs);
    return frames.isEmpty() ? 1 : 0;
}
