#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What the fuzz targets share, in the libFuzzer programs and in the replay tests alike. The process has
// its own HOME and XDG folders and an application object before the first input (FuzzMain.cpp or the
// replay test's main make them).
namespace FuzzSupport {

// A folder of this process for readers that take a path; made on first use, removed at exit.
QString scratchFolder();
// Writes the bytes under that name in the scratch folder (replacing what was there) and returns the path.
QString writeScratchFile(const QString &name, const QByteArray &bytes);
// No file this process writes may grow past this: a reader that would fill the disk from a small input is
// stopped by SIGXFSZ, which libFuzzer reports as a crash.
void limitFileSize(qint64 bytes);
// The input's bytes as a QByteArray that shares them (valid only during the call).
QByteArray bytesOf(const uint8_t *data, size_t size);

// A property of the reader does not hold for this input: says which and aborts, so that libFuzzer keeps
// the input as a crash and the replay test fails.
[[noreturn]] void fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace FuzzSupport

#define FUZZ_CHECK(condition, ...)                                                                                     \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            FuzzSupport::fail(__VA_ARGS__);                                                                            \
    } while (false)
