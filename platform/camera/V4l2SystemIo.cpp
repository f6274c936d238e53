#include "V4l2SystemIo.h"

#include <cerrno>
#include <libv4l2.h>
#include <sys/mman.h>
#include <sys/stat.h>

V4l2SystemIo *V4l2SystemIo::instance()
{
    static V4l2SystemIo io;
    return &io;
}

int V4l2SystemIo::open(const QByteArray &path, int flags)
{
    return v4l2_open(path.constData(), flags);
}

int V4l2SystemIo::close(int fd)
{
    return v4l2_close(fd);
}

int V4l2SystemIo::ioctl(int fd, unsigned long request, void *argument)
{
    int result;
    // A signal arriving during the call is not a failure of the device.
    do {
        result = v4l2_ioctl(fd, request, argument);
    } while (result == -1 && errno == EINTR);
    return result;
}

void *V4l2SystemIo::mmap(size_t length, int fd, off_t offset)
{
    return v4l2_mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
}

int V4l2SystemIo::munmap(void *address, size_t length)
{
    return v4l2_munmap(address, length);
}

int V4l2SystemIo::poll(pollfd *fds, nfds_t count, int timeoutMs)
{
    return ::poll(fds, count, timeoutMs);
}

bool V4l2SystemIo::exists(const QByteArray &path)
{
    struct stat info;
    return ::stat(path.constData(), &info) == 0;
}
