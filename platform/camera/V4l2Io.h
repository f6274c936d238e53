#pragma once

#include <QByteArray>

#include <cstddef>
#include <poll.h>
#include <sys/types.h>

// The calls the V4L2 backend makes on a device, so that tests can stand a scripted device in for a real
// one. Each returns what the system call returns and leaves the cause in errno.
class V4l2Io
{
public:
    virtual ~V4l2Io() = default;
    virtual int open(const QByteArray &path, int flags) = 0;
    virtual int close(int fd) = 0;
    virtual int ioctl(int fd, unsigned long request, void *argument) = 0;
    virtual void *mmap(size_t length, int fd, off_t offset) = 0;
    virtual int munmap(void *address, size_t length) = 0;
    virtual int poll(pollfd *fds, nfds_t count, int timeoutMs) = 0;
    // Whether the device node is still there (a camera whose node is gone was unplugged).
    virtual bool exists(const QByteArray &path) = 0;
};
