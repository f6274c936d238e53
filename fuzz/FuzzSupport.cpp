#include "FuzzSupport.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace FuzzSupport {

QString scratchFolder()
{
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/quillo-fuzz-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot create a scratch folder in %s\n", qPrintable(QDir::tempPath()));
        std::abort();
    }
    return folder.path();
}

QString writeScratchFile(const QString &name, const QByteArray &bytes)
{
    const QString path = scratchFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

void limitFileSize(qint64 bytes)
{
    const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        std::perror("setrlimit");
        std::abort();
    }
}

QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

void fail(const char *format, ...)
{
    std::fputs("fuzz check failed: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    std::abort();
}

} // namespace FuzzSupport
