#pragma once

#include <QByteArray>

#include <cstddef>
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
};
