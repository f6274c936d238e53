#include "InstanceGuard.h"

#include "ModuleLog.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <unistd.h>

namespace {

ModuleLog osalLog("quillo/osal");

// A peer that connects and then says nothing is dropped after this long, so it cannot hold a slot.
constexpr int kPeerTimeoutMs = 5000;
// More simultaneous peers than this are not a second start of the program; the extra ones are refused.
constexpr int kMaxPeers = 8;
// Pause between connection attempts while the first copy is still starting and not yet listening.
constexpr int kConnectRetryMs = 50;
constexpr char kAcknowledge = 'A';

QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    return QDir::tempPath();
}

} // namespace

InstanceGuard::InstanceGuard(const QString &key, QObject *parent)
    : QObject(parent)
{
    const QString uid = QString::number(::getuid());
    const QString lockPath = QDir(runtimeFolder()).filePath(QStringLiteral("%1-%2.lock").arg(key, uid));
    const QByteArray pathHash = QCryptographicHash::hash(lockPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    m_socketName = QStringLiteral("%1-%2-%3").arg(key, uid, QString::fromLatin1(pathHash));

    m_lock = std::make_unique<QLockFile>(lockPath);
    // Never stale by age: only a lock whose process is gone is taken over.
    m_lock->setStaleLockTime(0);
    qint64 earlierHolder = 0;
    QString earlierHost;
    QString earlierApplication;
    const bool leftBehind = m_lock->getLockInfo(&earlierHolder, &earlierHost, &earlierApplication);
    if (m_lock->tryLock(0)) {
        // A lock that was there and is ours now was left by a copy that did not end normally (killed or
        // crashed): worth a line when looking into what happened before this start.
        if (leftBehind)
            osalLog(LogSystem::LOG_WARNING,
                    "InstanceGuard - took over the lock %s left by process %lld of %s, which is no longer running",
                    qUtf8Printable(lockPath), static_cast<long long>(earlierHolder), qUtf8Printable(earlierHost));
        listen();
        return;
    }
    if (m_lock->error() == QLockFile::LockFailedError) {
        m_running = true;
        return;
    }
    qWarning("InstanceGuard - cannot create the lock file %s; starting without the single-instance check",
             qPrintable(lockPath));
    listen();
}

InstanceGuard::~InstanceGuard() = default;

bool InstanceGuard::isRunning() const
{
    return m_running;
}

QString InstanceGuard::socketName() const
{
    return m_socketName;
}

void InstanceGuard::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceGuard::acceptConnection);
    if (!m_server->listen(m_socketName))
        qWarning("InstanceGuard - cannot listen on %s: %s", qPrintable(m_socketName),
                 qPrintable(m_server->errorString()));
}

void InstanceGuard::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (m_server->findChildren<QLocalSocket *>(Qt::FindDirectChildrenOnly).size() > kMaxPeers) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kPeerTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        readFrom(socket);
    }
}

InstanceGuard::MessageParse InstanceGuard::parseMessage(const QByteArray &received, QString *message, qint64 *used)
{
    constexpr qint64 headerSize = sizeof(quint32);
    if (received.size() < headerSize)
        return MessageParse::Incomplete;
    QDataStream header(received.left(headerSize));
    quint32 length = 0;
    header >> length;
    if (length > quint32(kMaxMessageBytes))
        return MessageParse::Refused;
    if (received.size() < headerSize + qint64(length))
        return MessageParse::Incomplete;
    *message = QString::fromUtf8(received.mid(headerSize, length));
    *used = headerSize + length;
    return MessageParse::Complete;
}

void InstanceGuard::readFrom(QLocalSocket *socket)
{
    QString message;
    qint64 used = 0;
    switch (parseMessage(socket->peek(sizeof(quint32) + kMaxMessageBytes), &message, &used)) {
    case MessageParse::Incomplete:
        return;
    case MessageParse::Refused:
        socket->abort();
        socket->deleteLater();
        return;
    case MessageParse::Complete:
        break;
    }
    socket->skip(used);
    socket->write(&kAcknowledge, 1);
    socket->flush();
    socket->disconnectFromServer();
    emit messageReceived(message);
}

bool InstanceGuard::sendMessage(const QString &text, int timeoutMs)
{
    const QByteArray payload = text.toUtf8();
    if (payload.size() > kMaxMessageBytes)
        return false;
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    for (;;) {
        socket.connectToServer(m_socketName);
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(qMin<qint64>(kConnectRetryMs, deadline.remainingTime()));
    }
    QByteArray packet;
    QDataStream out(&packet, QIODevice::WriteOnly);
    out << quint32(payload.size());
    packet.append(payload);
    socket.write(packet);
    if (!socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    char answer = 0;
    socket.getChar(&answer);
    return answer == kAcknowledge;
}
