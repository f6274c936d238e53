#include "OAuthLoopbackListener.h"

#include "OAuthProtocol.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTimer>

namespace {

// A browser's request line and headers fit in far less; anything longer is not a browser coming back.
constexpr qsizetype kMaxRequestBytes = 16 * 1024;
// A finished listener waits this long at most for a browser that is slow to take its last page.
constexpr int kFinishGraceMs = 5000;

QString page(const QString &body)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Quillo</title></head>"
                          "<body style=\"font-family: sans-serif; font-size: 16pt; margin: 3em;\">%1</body></html>")
        .arg(body);
}

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    default:
        return "Not Found";
    }
}

} // namespace

OAuthLoopbackListener::OAuthLoopbackListener(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &OAuthLoopbackListener::onNewConnection);
}

OAuthLoopbackListener::~OAuthLoopbackListener() = default;

bool OAuthLoopbackListener::listen(const QList<quint16> &ports)
{
    if (ports.isEmpty())
        return m_server.listen(QHostAddress(QHostAddress::LocalHost), 0);
    for (const quint16 port : ports) {
        if (m_server.listen(QHostAddress(QHostAddress::LocalHost), port))
            return true;
    }
    return false;
}

QUrl OAuthLoopbackListener::address(const QString &path) const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(m_server.serverPort());
    url.setPath(path);
    return url;
}

void OAuthLoopbackListener::expectCallback(const QString &path, const QString &state)
{
    m_callbackPath = path;
    m_state = state;
    m_callbackDone = false;
}

void OAuthLoopbackListener::servePage(const QString &path, const QString &html)
{
    m_pagePath = path;
    m_page = html;
}

void OAuthLoopbackListener::finish()
{
    m_finishing = true;
    m_server.close();
    QTimer::singleShot(kFinishGraceMs, this, &QObject::deleteLater);
    deleteWhenIdle();
}

void OAuthLoopbackListener::deleteWhenIdle()
{
    if (m_finishing && findChildren<QTcpSocket *>().isEmpty())
        deleteLater();
}

void OAuthLoopbackListener::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        m_buffers.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->setParent(nullptr);
            socket->deleteLater();
            deleteWhenIdle();
        });
    }
}

void OAuthLoopbackListener::onReadyRead(QTcpSocket *socket)
{
    auto buffer = m_buffers.find(socket);
    if (buffer == m_buffers.end())
        return;
    buffer->append(socket->readAll());
    const Reply result = reply(*buffer);
    if (result.action == Reply::REPLY_WAIT)
        return;
    m_buffers.erase(buffer);
    if (result.action == Reply::REPLY_DROP) {
        socket->abort();
        return;
    }
    answer(socket, result.status, result.html);
    if (result.callback)
        Q_EMIT callbackReceived(result.code, result.error);
}

OAuthLoopbackListener::Reply OAuthLoopbackListener::reply(const QByteArray &received)
{
    Reply result;
    if (received.size() > kMaxRequestBytes) {
        result.action = Reply::REPLY_DROP;
        return result;
    }
    if (!received.contains("\r\n\r\n"))
        return result;
    result.action = Reply::REPLY_ANSWER;
    const QList<QByteArray> requestLine = received.left(received.indexOf("\r\n")).split(' ');
    if (requestLine.size() != 3 || requestLine[0] != "GET") {
        result.status = 400;
        result.html = page(QString());
        return result;
    }
    const QByteArray target = requestLine[1];
    if (!m_pagePath.isEmpty() && QUrl(QString::fromLatin1(target)).path() == m_pagePath) {
        result.status = 200;
        result.html = m_page;
        return result;
    }
    const OAuthProtocol::Callback callback = OAuthProtocol::parseCallback(target, m_callbackPath);
    if (m_callbackPath.isEmpty() || !callback.matchesPath || callback.state != m_state || m_callbackDone) {
        result.status = 404;
        result.html = page(QString());
        return result;
    }
    m_callbackDone = true;
    result.status = 200;
    if (callback.code.isEmpty()) {
        result.html = page(QCoreApplication::translate("OAuthLoopbackListener",
                                                       "Quillo did not receive permission. You may close this page."));
    } else {
        result.html = page(QCoreApplication::translate(
            "OAuthLoopbackListener", "Quillo has received permission; return to Quillo and press OK."));
    }
    result.callback = true;
    result.code = callback.code;
    const QString error = callback.error.isEmpty() ? QStringLiteral("no_code") : callback.error;
    result.error = callback.code.isEmpty() ? error : QString();
    return result;
}

void OAuthLoopbackListener::answer(QTcpSocket *socket, int status, const QString &html)
{
    const QByteArray body = html.toUtf8();
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status)
                  + "\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\nConnection: close\r\n"
                    "Content-Length: "
                  + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    socket->disconnectFromHost();
}
