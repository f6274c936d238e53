#include "TestEnvironment.h"

#include "PrivateMount.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QUrl>

#include <cstdio>
#include <memory>

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

#include "TestEnvironment.moc"
