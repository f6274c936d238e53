#include "TestEnvironment.h"

#include "PrivateMount.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QUrl>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<QTemporaryDir> &rootDir()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

UrlCatcher *catcher()
{
    static UrlCatcher instance;
    return &instance;
}

void setFolderVariable(const char *name, const QString &path, QFile::Permissions permissions = {})
{
    QDir().mkpath(path);
    if (permissions)
        QFile::setPermissions(path, permissions);
    qputenv(name, QFile::encodeName(path));
}

pid_t privateServer = 0;

void stopPrivateServer()
{
    if (privateServer > 0) {
        kill(privateServer, SIGTERM);
        waitpid(privateServer, nullptr, 0);
        privateServer = 0;
    }
}

// Starts Xvfb on a display it picks itself and returns that display's name; empty when it cannot start.
QByteArray startPrivateServer()
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return QByteArray();
    QStringList arguments{QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QString::number(pipeEnds[1]),
                          QStringLiteral("-nolisten"), QStringLiteral("tcp")};
    arguments += QProcess::splitCommand(QString::fromLocal8Bit(qgetenv("QUILLO_TEST_XVFB_ARGS")));
    std::vector<QByteArray> storage;
    for (const QString &argument : std::as_const(arguments))
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        // The server goes with the test, also when the test crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(pipeEnds[0]);
        // The server's own messages would only clutter the test's output.
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    privateServer = child;
    close(pipeEnds[1]);
    QByteArray number;
    if (child > 0) {
        std::atexit(stopPrivateServer);
        // A loaded machine may take a few seconds to bring the server up.
        pollfd wait{pipeEnds[0], POLLIN, 0};
        char buffer[16];
        while (!number.endsWith('\n') && poll(&wait, 1, 20000) > 0) {
            const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
            if (got <= 0)
                break;
            number.append(buffer, got);
        }
    }
    close(pipeEnds[0]);
    number = number.trimmed();
    if (number.isEmpty()) {
        stopPrivateServer();
        return QByteArray();
    }
    return ':' + number;
}

} // namespace

bool TestEnvironment::prepare(Display display, Mounts mounts)
{
    // First, while nothing else could have started a thread.
    if (mounts == Mounts::Private)
        PrivateMount::enterNamespace();
    rootDir() = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillo-test-XXXXXX"));
    if (!rootDir()->isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        std::exit(1);
    }
    const QString base = rootDir()->path();
    setFolderVariable("HOME", base + QStringLiteral("/home"));
    setFolderVariable("XDG_DATA_HOME", base + QStringLiteral("/home/.local/share"));
    setFolderVariable("XDG_CONFIG_HOME", base + QStringLiteral("/home/.config"));
    setFolderVariable("XDG_CACHE_HOME", base + QStringLiteral("/home/.cache"));
    setFolderVariable("XDG_RUNTIME_DIR", base + QStringLiteral("/run"),
                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setFolderVariable("TMPDIR", base + QStringLiteral("/tmp"));

    if (display == Display::PrivateXServer) {
        const QByteArray x = startPrivateServer();
        if (x.isEmpty()) {
            std::printf("SKIP: no X server of its own could be started (is Xvfb installed?)\n");
            return false;
        }
        qputenv("QUILLO_TEST_DISPLAY", x);
        display = Display::XServer;
    }
    if (display == Display::XServer) {
        const QByteArray x = qgetenv("QUILLO_TEST_DISPLAY");
        if (x.isEmpty()) {
            std::printf("SKIP: no X server (QUILLO_TEST_DISPLAY is unset; scripts/test.sh starts one)\n");
            return false;
        }
        qputenv("DISPLAY", x);
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return true;
}

QString TestEnvironment::root()
{
    return rootDir() ? rootDir()->path() : QString();
}

QString TestEnvironment::home()
{
    return QDir::homePath();
}

void TestEnvironment::catchOpenedUrls()
{
    for (const char *scheme : {"http", "https", "file", "mailto", "ftp"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), catcher(), "open");
}

QList<QUrl> TestEnvironment::openedUrls()
{
    return catcher()->urls;
}

void TestEnvironment::clearOpenedUrls()
{
    catcher()->urls.clear();
}

QString TestEnvironment::inputPath(const char *variable)
{
    const QString path = qEnvironmentVariable(variable);
    if (path.isEmpty())
        qFatal("%s is not set: run the test through ctest, which sets it", variable);
    return path;
}

#include "TestEnvironment.moc"
