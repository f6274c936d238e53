#include "LocalHttpServer.h"

#include <QJsonDocument>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

namespace {

// Small enough that a server that stops reading soon holds the client back, large enough for speed.
constexpr qint64 kSocketReadBuffer = 64 * 1024;
constexpr qint64 kMaxHeadBytes = 64 * 1024;
// An endless answer is written in blocks of this size whenever less than kStreamBacklog waits to be sent:
// as fast as the client reads, without the server's own memory growing.
constexpr qint64 kStreamBlock = 256 * 1024;
constexpr qint64 kStreamBacklog = 1024 * 1024;
// What a dripping answer announces: far more than it will ever send.
constexpr qint64 kDripLength = 1024 * 1024 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 302:
        return "Found";
    case 308:
        return "Resume Incomplete";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 409:
        return "Conflict";
    case 413:
        return "Payload Too Large";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

QString RecordedRequest::path() const
{
    return QUrl(QString::fromLatin1(target)).path();
}

QUrlQuery RecordedRequest::query() const
{
    return QUrlQuery(QUrl(QString::fromLatin1(target)));
}

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString RecordedRequest::formValue(const QString &name) const
{
    const QList<QByteArray> pairs = body.split('&');
    for (QByteArray pair : pairs) {
        pair.replace('+', ' ');
        const qsizetype equals = pair.indexOf('=');
        if (equals < 0)
            continue;
        if (QString::fromUtf8(QByteArray::fromPercentEncoding(pair.left(equals))) == name)
            return QString::fromUtf8(QByteArray::fromPercentEncoding(pair.mid(equals + 1)));
    }
    return {};
}

QJsonObject RecordedRequest::json() const
{
    return QJsonDocument::fromJson(body).object();
}

HttpReply HttpReply::json(int status, const QJsonObject &object)
{
    HttpReply reply;
    reply.status = status;
    reply.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    reply.header("Content-Type", "application/json");
    return reply;
}

HttpReply HttpReply::text(int status, const QByteArray &body)
{
    HttpReply reply;
    reply.status = status;
    reply.body = body;
    reply.header("Content-Type", "text/plain");
    return reply;
}

HttpFault HttpFault::make(Kind kind, qint64 bytes, int ms)
{
    HttpFault fault;
    fault.kind = kind;
    fault.bytes = bytes;
    fault.ms = ms;
    return fault;
}

HttpFault HttpFault::replyWith(const HttpReply &reply)
{
    HttpFault fault = make(REPLY);
    fault.reply = reply;
    return fault;
}

HttpFault HttpFault::delayReply(int ms)
{
    return make(DELAY_REPLY, 0, ms);
}

HttpFault HttpFault::stallAfterBodyBytes(qint64 bytes)
{
    return make(STALL_AFTER_BODY_BYTES, bytes);
}

HttpFault HttpFault::dropAfterBodyBytes(qint64 bytes)
{
    return make(DROP_AFTER_BODY_BYTES, bytes);
}

HttpFault HttpFault::closeAfterHeaders()
{
    return make(CLOSE_AFTER_HEADERS);
}

HttpFault HttpFault::closeBeforeReply()
{
    return make(CLOSE_BEFORE_REPLY);
}

HttpFault HttpFault::notHttp(const QByteArray &raw)
{
    HttpFault fault = make(NOT_HTTP);
    fault.raw = raw;
    return fault;
}

HttpFault HttpFault::slowRead(qint64 bytesPerTick, int tickMs)
{
    return make(SLOW_READ, bytesPerTick, tickMs);
}

HttpFault HttpFault::endlessReply()
{
    return make(ENDLESS_REPLY);
}

HttpFault HttpFault::dripReply(int tickMs)
{
    return make(DRIP_REPLY, 0, tickMs);
}

struct LocalHttpServer::Connection : QObject
{
    enum State { HEADERS, BODY, WAITING, CLOSED };

    QTcpSocket *socket = nullptr;
    int serial = 0;
    State state = HEADERS;
    QList<QByteArray> head;
    qsizetype record = -1;
    qint64 bodyRemaining = 0;
    qint64 bodyReceived = 0;
    bool keepAlive = true;
    std::optional<HttpFault> fault;
    QTimer throttle;
    qint64 budget = 0;
    // Writes a DRIP_REPLY's bytes.
    QTimer drip;
};

LocalHttpServer::LocalHttpServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::onNewConnection);
    m_server.listen(QHostAddress(QHostAddress::LocalHost), 0);
}

LocalHttpServer::~LocalHttpServer()
{
    m_server.close();
    for (Connection *connection : std::as_const(m_connections))
        connection->socket->abort();
}

QUrl LocalHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void LocalHttpServer::route(const QByteArray &method, const QString &path, Handler handler)
{
    m_routes.append({method, path, std::move(handler)});
}

void LocalHttpServer::addFault(const QByteArray &method, const QString &path, const HttpFault &fault, int nth)
{
    m_faults.append({method, path, nth, fault});
}

QList<RecordedRequest> LocalHttpServer::requests(const QByteArray &method, const QString &path) const
{
    QList<RecordedRequest> found;
    for (const RecordedRequest &request : m_requests) {
        if (matches(method, path, request.method, request.path()))
            found.append(request);
    }
    return found;
}

bool LocalHttpServer::matches(const QByteArray &method, const QString &path, const QByteArray &requestMethod,
                              const QString &requestPath)
{
    if (method != "*" && method != requestMethod)
        return false;
    if (path.endsWith(QLatin1Char('*')))
        return requestPath.startsWith(path.chopped(1));
    return requestPath == path;
}

void LocalHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto *connection = new Connection;
        connection->setParent(this);
        socket->setParent(connection);
        socket->setReadBufferSize(kSocketReadBuffer);
        connection->socket = socket;
        connection->serial = ++m_connectionCount;
        m_connections.append(connection);
        QPointer<Connection> guard(connection);
        connect(socket, &QTcpSocket::readyRead, this, [this, guard] {
            if (guard)
                readFrom(guard);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, guard] {
            if (!guard)
                return;
            notifyIncomplete(guard);
            guard->state = Connection::CLOSED;
            m_connections.removeAll(guard.data());
            guard->deleteLater();
        });
        connect(&connection->throttle, &QTimer::timeout, this, [this, guard] {
            if (!guard || !guard->fault)
                return;
            guard->budget = guard->fault->bytes;
            readFrom(guard);
        });
    }
}

void LocalHttpServer::readFrom(Connection *connection)
{
    while (connection->state == Connection::HEADERS || connection->state == Connection::BODY) {
        if (connection->state == Connection::HEADERS && !readHeaders(connection))
            return;
        if (connection->state != Connection::BODY)
            continue;
        const qint64 before = connection->bodyRemaining;
        readBody(connection);
        if (connection->state == Connection::BODY && connection->bodyRemaining == before)
            return;
    }
}

bool LocalHttpServer::readHeaders(Connection *connection)
{
    QTcpSocket *socket = connection->socket;
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxHeadBytes).trimmed();
        if (line.isEmpty() && connection->head.isEmpty())
            continue;
        if (!line.isEmpty()) {
            connection->head.append(line);
            continue;
        }
        // The head is complete.
        const QList<QByteArray> requestLine = connection->head.takeFirst().split(' ');
        RecordedRequest request;
        request.connection = connection->serial;
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        for (const QByteArray &headerLine : std::as_const(connection->head)) {
            const qsizetype colon = headerLine.indexOf(':');
            if (colon > 0)
                request.headers.append({headerLine.left(colon).trimmed(), headerLine.mid(colon + 1).trimmed()});
        }
        connection->head.clear();
        connection->bodyRemaining = request.header("Content-Length").toLongLong();
        connection->bodyReceived = 0;
        connection->keepAlive = request.header("Connection").compare("close", Qt::CaseInsensitive) != 0;
        connection->fault.reset();
        // Every fault that matches counts this request; the first one due hits it, and any other due at the
        // same time waits for the next matching request.
        for (qsizetype i = 0; i < m_faults.size();) {
            ScriptedFault &scripted = m_faults[i];
            if (!matches(scripted.method, scripted.path, request.method, request.path()) || --scripted.remaining > 0) {
                ++i;
            } else if (connection->fault) {
                scripted.remaining = 1;
                ++i;
            } else {
                connection->fault = m_faults.takeAt(i).fault;
            }
        }
        m_requests.append(request);
        connection->record = m_requests.size() - 1;
        if (connection->fault && connection->fault->kind == HttpFault::CLOSE_AFTER_HEADERS) {
            close(connection, false);
            return false;
        }
        if (connection->fault && connection->fault->kind == HttpFault::SLOW_READ) {
            connection->budget = connection->fault->bytes;
            connection->throttle.start(connection->fault->ms);
        }
        if (connection->bodyRemaining > 0) {
            connection->state = Connection::BODY;
        } else {
            finishRequest(connection);
        }
        return true;
    }
    if (socket->bytesAvailable() > kMaxHeadBytes)
        close(connection, true);
    return false;
}

void LocalHttpServer::readBody(Connection *connection)
{
    qint64 allowed = qMin(connection->socket->bytesAvailable(), connection->bodyRemaining);
    const std::optional<HttpFault> &fault = connection->fault;
    if (fault && (fault->kind == HttpFault::STALL_AFTER_BODY_BYTES || fault->kind == HttpFault::DROP_AFTER_BODY_BYTES))
        allowed = qMin(allowed, qMax<qint64>(0, fault->bytes - connection->bodyReceived));
    if (fault && fault->kind == HttpFault::SLOW_READ)
        allowed = qMin(allowed, connection->budget);
    if (allowed > 0) {
        const QByteArray data = connection->socket->read(allowed);
        connection->bodyReceived += data.size();
        connection->bodyRemaining -= data.size();
        if (fault && fault->kind == HttpFault::SLOW_READ)
            connection->budget -= data.size();
        if (connection->record < m_requests.size())
            m_requests[connection->record].body += data;
    }
    if (fault && fault->kind == HttpFault::DROP_AFTER_BODY_BYTES && connection->bodyReceived >= fault->bytes
        && connection->bodyRemaining > 0) {
        close(connection, true);
        return;
    }
    if (connection->bodyRemaining == 0)
        finishRequest(connection);
}

void LocalHttpServer::finishRequest(Connection *connection)
{
    connection->throttle.stop();
    connection->state = Connection::WAITING;
    RecordedRequest request;
    if (connection->record < m_requests.size()) {
        m_requests[connection->record].complete = true;
        request = m_requests[connection->record];
    }
    const std::optional<HttpFault> fault = connection->fault;
    if (fault && (fault->kind == HttpFault::ENDLESS_REPLY || fault->kind == HttpFault::DRIP_REPLY)) {
        stream(connection, *fault);
        return;
    }
    if (fault && fault->kind == HttpFault::NOT_HTTP) {
        connection->socket->write(fault->raw);
        close(connection, false);
        return;
    }
    HttpReply reply = HttpReply::text(404, "no route");
    if (fault && fault->kind == HttpFault::REPLY) {
        reply = fault->reply;
    } else {
        for (qsizetype i = m_routes.size() - 1; i >= 0; --i) {
            if (matches(m_routes[i].method, m_routes[i].path, request.method, request.path())) {
                reply = m_routes[i].handler(request);
                break;
            }
        }
    }
    // The server did what was asked, but its answer is lost.
    if (fault && fault->kind == HttpFault::CLOSE_BEFORE_REPLY) {
        close(connection, false);
        return;
    }
    if (fault && fault->kind == HttpFault::DELAY_REPLY) {
        QPointer<Connection> guard(connection);
        QTimer::singleShot(fault->ms, this, [this, guard, reply] {
            if (!guard || guard->state != Connection::WAITING)
                return;
            answer(guard, reply);
            readFrom(guard);
        });
        return;
    }
    answer(connection, reply);
}

void LocalHttpServer::answer(Connection *connection, const HttpReply &reply)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    bool closeAfter = !connection->keepAlive;
    for (const auto &[name, value] : reply.headers) {
        head += name + ": " + value + "\r\n";
        if (name.compare("Connection", Qt::CaseInsensitive) == 0 && value.compare("close", Qt::CaseInsensitive) == 0)
            closeAfter = true;
    }
    head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n";
    connection->socket->write(head + reply.body);
    if (closeAfter) {
        close(connection, false);
        return;
    }
    connection->state = Connection::HEADERS;
    connection->fault.reset();
}

void LocalHttpServer::stream(Connection *connection, const HttpFault &fault)
{
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n";
    if (fault.kind == HttpFault::DRIP_REPLY)
        head += "Content-Length: " + QByteArray::number(kDripLength) + "\r\n";
    else
        head += "Connection: close\r\n";
    connection->socket->write(head + "\r\n");
    QPointer<Connection> guard(connection);
    if (fault.kind == HttpFault::DRIP_REPLY) {
        connect(&connection->drip, &QTimer::timeout, this, [this, guard] {
            if (!guard || guard->state == Connection::CLOSED)
                return;
            guard->socket->write(" ");
            ++m_streamedBytes;
        });
        connection->drip.start(fault.ms);
        return;
    }
    connect(connection->socket, &QTcpSocket::bytesWritten, this, [this, guard] {
        if (guard)
            streamMore(guard);
    });
    streamMore(connection);
}

void LocalHttpServer::streamMore(Connection *connection)
{
    static const QByteArray block(kStreamBlock, ' ');
    QTcpSocket *socket = connection->socket;
    while (connection->state != Connection::CLOSED && socket->state() == QAbstractSocket::ConnectedState
           && socket->bytesToWrite() < kStreamBacklog) {
        if (socket->write(block) < 0)
            return;
        m_streamedBytes += block.size();
    }
}

void LocalHttpServer::notifyIncomplete(Connection *connection)
{
    if (connection->state == Connection::BODY && m_incomplete && connection->record < m_requests.size())
        m_incomplete(m_requests[connection->record]);
}

void LocalHttpServer::close(Connection *connection, bool abortive)
{
    notifyIncomplete(connection);
    connection->throttle.stop();
    connection->state = Connection::CLOSED;
    if (abortive)
        connection->socket->abort();
    else
        connection->socket->disconnectFromHost();
}
