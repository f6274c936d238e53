#include "UploadBodyDevice.h"

UploadBodyDevice::UploadBodyDevice(QObject *parent)
    : QIODevice(parent)
{
}

UploadBodyDevice *UploadBodyDevice::forFile(const QString &path, qint64 offset, qint64 length, QObject *parent)
{
    auto file = std::make_unique<QFile>(path);
    if (offset < 0 || length < 0 || !file->open(QIODevice::ReadOnly) || file->size() < offset + length
        || !file->seek(offset))
        return nullptr;
    auto *device = new UploadBodyDevice(parent);
    device->m_file = std::move(file);
    device->m_length = length;
    device->open(QIODevice::ReadOnly);
    return device;
}

UploadBodyDevice *UploadBodyDevice::forBytes(const QByteArray &bytes, QObject *parent)
{
    auto *device = new UploadBodyDevice(parent);
    device->m_bytes = bytes;
    device->m_length = bytes.size();
    device->open(QIODevice::ReadOnly);
    return device;
}

qint64 UploadBodyDevice::bytesAvailable() const
{
    return m_length - m_done + QIODevice::bytesAvailable();
}

qint64 UploadBodyDevice::readData(char *data, qint64 maxSize)
{
    const qint64 wanted = qMin(maxSize, m_length - m_done);
    if (wanted <= 0)
        return -1;
    qint64 got = 0;
    if (m_file) {
        got = m_file->read(data, wanted);
        // A file that shrank under the upload ends the body early; the server then sees a short request.
        if (got <= 0)
            return -1;
    } else {
        memcpy(data, m_bytes.constData() + m_done, static_cast<size_t>(wanted));
        got = wanted;
    }
    m_done += got;
    return got;
}
