#include "UploadBodyDevice.h"

UploadBodyDevice::UploadBodyDevice(QObject *parent)
    : QIODevice(parent)
{
}

UploadBodyDevice *UploadBodyDevice::forFile(const QString &path, qint64 offset, qint64 length, QObject *parent,
                                            const QByteArray &prefix, const QByteArray &suffix)
{
    auto file = std::make_unique<QFile>(path);
    if (offset < 0 || length < 0 || !file->open(QIODevice::ReadOnly) || file->size() < offset + length
        || !file->seek(offset))
        return nullptr;
    auto *device = new UploadBodyDevice(parent);
    device->m_file = std::move(file);
    device->m_bytes = prefix;
    device->m_suffix = suffix;
    device->m_length = prefix.size() + length + suffix.size();
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
    const qint64 fileEnd = m_length - m_suffix.size();
    qint64 got = 0;
    if (m_done < m_bytes.size()) {
        got = qMin(wanted, m_bytes.size() - m_done);
        memcpy(data, m_bytes.constData() + m_done, static_cast<size_t>(got));
    } else if (m_done < fileEnd) {
        got = m_file->read(data, qMin(wanted, fileEnd - m_done));
        // A file that shrank under the upload ends the body early; the server then sees a short request.
        if (got <= 0)
            return -1;
    } else {
        got = wanted;
        memcpy(data, m_suffix.constData() + (m_done - fileEnd), static_cast<size_t>(got));
    }
    m_done += got;
    return got;
}
