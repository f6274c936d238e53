#pragma once

#include "V4l2Io.h"

// The real devices, through libv4l2 (which also takes care of drivers with unusual buffer handling).
class V4l2SystemIo : public V4l2Io
{
public:
    static V4l2SystemIo *instance();

    int open(const QByteArray &path, int flags) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void *argument) override;
    void *mmap(size_t length, int fd, off_t offset) override;
    int munmap(void *address, size_t length) override;
    int poll(pollfd *fds, nfds_t count, int timeoutMs) override;
    bool exists(const QByteArray &path) override;
};
