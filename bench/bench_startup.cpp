// Measures how long Quillo takes from being started to its first shown window, and to a full start and
// quit, over several runs in a fresh user folder. Runs on the offscreen platform unless DISPLAY is set.
//     bench_startup [runs]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct Run {
    qint64 toShownMs;
    qint64 insideMs;
    qint64 totalMs;
};

double median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.size() % 2 ? values[values.size() / 2]
                             : (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    if (!env.contains(QStringLiteral("DISPLAY")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUILLO_STARTUP_PROBE"), QStringLiteral("quit"));

    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/quillo");
    const QRegularExpression reported(QStringLiteral("window shown after (\\d+) ms"));
    QList<Run> results;
    for (int i = 0; i < runs; ++i) {
        QProcess quillo;
        quillo.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        quillo.start(program, {});
        qint64 shownAt = -1;
        QByteArray output;
        while (shownAt < 0 && quillo.waitForReadyRead(10000)) {
            output += quillo.readAllStandardOutput();
            if (output.contains("window shown"))
                shownAt = timer.elapsed();
        }
        quillo.waitForFinished(10000);
        const qint64 total = timer.elapsed();
        output += quillo.readAllStandardOutput();
        const QRegularExpressionMatch match = reported.match(QString::fromUtf8(output));
        if (shownAt < 0 || !match.hasMatch() || quillo.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed: %s\n", i, output.constData());
            return 1;
        }
        results.append({shownAt, match.captured(1).toLongLong(), total});
    }
    QList<qint64> shown, inside, total;
    for (const Run &run : results) {
        shown.append(run.toShownMs);
        inside.append(run.insideMs);
        total.append(run.totalMs);
    }
    std::printf("runs: %d (the first builds the settings and log folders)\n", runs);
    std::printf("process start to first shown window: median %.1f ms, min %lld, max %lld\n", median(shown),
                *std::min_element(shown.begin(), shown.end()), *std::max_element(shown.begin(), shown.end()));
    std::printf("main() to first shown window:        median %.1f ms\n", median(inside));
    std::printf("start, show and quit:                median %.1f ms\n", median(total));
    return 0;
}
