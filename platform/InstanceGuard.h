#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

// Tells whether another copy of the program runs for this user and carries a short text to it.
// The first copy holds a lock file in the user's runtime folder and listens on a local socket in the
// abstract namespace, so a copy that was killed leaves nothing that blocks the next start: the lock of a
// dead process is taken over and an abstract socket vanishes with its process. The socket's name comes
// from the lock file's path and the user id, so copies that share a runtime folder find each other.
class InstanceGuard : public QObject
{
    Q_OBJECT

public:
    explicit InstanceGuard(const QString &key, QObject *parent = nullptr);
    ~InstanceGuard() override;

    // True when another copy holds the lock. A lock file that cannot be created at all does not count.
    bool isRunning() const;
    // Delivers text to the running copy, waiting at most timeoutMs; true when it was acknowledged.
    bool sendMessage(const QString &text, int timeoutMs);

    QString socketName() const;

    // Messages from other processes are untrusted: they are capped at this many bytes and dropped if longer.
    static constexpr int kMaxMessageBytes = 4096;

    // What the bytes received so far from another copy amount to. A message is its length in bytes (a
    // big-endian quint32) followed by that many bytes of UTF-8.
    enum class MessageParse {
        Incomplete, // more bytes are needed
        Refused,    // the length is over kMaxMessageBytes: the peer is dropped
        Complete,   // message holds the text; used counts the bytes it took
    };
    static MessageParse parseMessage(const QByteArray &received, QString *message, qint64 *used);

Q_SIGNALS:
    void messageReceived(const QString &message);

private:
    void listen();
    void acceptConnection();
    void readFrom(QLocalSocket *socket);

    std::unique_ptr<QLockFile> m_lock;
    QString m_socketName;
    QLocalServer *m_server = nullptr;
    bool m_running = false;
};
