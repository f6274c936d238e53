#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>

#include <memory>

// The body of one request, handed to QNetworkAccessManager: a range of a file read from disk as the socket
// takes it (never the whole file in memory), or a few bytes. It is sequential and cannot be rewound, so the
// network layer can never send a body a second time on its own after a dropped connection: it reports the
// drop, and the job engine decides whether the request may go again.
class UploadBodyDevice : public QIODevice
{
    Q_OBJECT

public:
    // Null when the file cannot be opened or is shorter than offset + length. prefix and suffix go before
    // and after the file's bytes.
    static UploadBodyDevice *forFile(const QString &path, qint64 offset, qint64 length, QObject *parent,
                                     const QByteArray &prefix = {}, const QByteArray &suffix = {});
    static UploadBodyDevice *forBytes(const QByteArray &bytes, QObject *parent);

    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 size() const override { return m_length; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    explicit UploadBodyDevice(QObject *parent);

    std::unique_ptr<QFile> m_file;
    // The bytes before the file's (all of them without a file), and after them.
    QByteArray m_bytes;
    QByteArray m_suffix;
    qint64 m_length = 0;
    qint64 m_done = 0;
};
