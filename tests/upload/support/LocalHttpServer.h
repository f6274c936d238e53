#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>

#include <functional>

class QTcpSocket;

// One request as the server received it (so far: a dropped or stalled request is recorded up to where it
// stopped).
struct RecordedRequest
{
    // Serial number of the connection it came on, from 1.
    int connection = 0;
    QByteArray method;
    // The request line's target: path and query, still encoded.
    QByteArray target;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // The whole body arrived.
    bool complete = false;

    QString path() const;
    QUrlQuery query() const;
    QByteArray header(const QByteArray &name) const;
    // The body read as an application/x-www-form-urlencoded form.
    QString formValue(const QString &name) const;
    QJsonObject json() const;
};

// What the server answers.
struct HttpReply
{
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    static HttpReply json(int status, const QJsonObject &object);
    static HttpReply text(int status, const QByteArray &body = {});
    HttpReply &header(const QByteArray &name, const QByteArray &value)
    {
        headers.append({name, value});
        return *this;
    }
};

// Something going wrong with one request, at a chosen point.
struct HttpFault
{
    enum Kind {
        // Answer this instead of the route.
        REPLY,
        // Take the whole request, then wait ms before answering (the server is busy with it).
        DELAY_REPLY,
        // Stop reading the body after bytes: the client's sending stalls.
        STALL_AFTER_BODY_BYTES,
        // Close the connection once bytes of the body have arrived.
        DROP_AFTER_BODY_BYTES,
        // Close the connection as soon as the request's headers are in.
        CLOSE_AFTER_HEADERS,
        // Take the whole request, carry it out (the route runs) and close without answering.
        CLOSE_BEFORE_REPLY,
        // Take the whole request and answer raw bytes that are not HTTP, then close.
        NOT_HTTP,
        // Read the body at bytes per ms milliseconds, so that the client's progress moves in steps.
        SLOW_READ,
        // Take the whole request and answer 200 with a body that never ends, as fast as the socket takes it.
        ENDLESS_REPLY,
        // Take the whole request and answer 200 with a long body, one byte every ms milliseconds.
        DRIP_REPLY,
    };

    Kind kind = REPLY;
    HttpReply reply;
    qint64 bytes = 0;
    int ms = 0;
    QByteArray raw;

    static HttpFault replyWith(const HttpReply &reply);
    static HttpFault delayReply(int ms);
    static HttpFault stallAfterBodyBytes(qint64 bytes);
    static HttpFault dropAfterBodyBytes(qint64 bytes);
    static HttpFault closeAfterHeaders();
    static HttpFault closeBeforeReply();
    static HttpFault notHttp(const QByteArray &raw);
    static HttpFault slowRead(qint64 bytesPerTick, int tickMs);
    static HttpFault endlessReply();
    static HttpFault dripReply(int tickMs);

private:
    static HttpFault make(Kind kind, qint64 bytes = 0, int ms = 0);
};

// A small HTTP/1.1 server on 127.0.0.1 and a free port, for tests: routes answer requests, a fault script
// makes chosen requests go wrong, and every request is recorded. It reads Content-Length bodies and keeps
// connections alive between requests unless told to close.
class LocalHttpServer : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<HttpReply(const RecordedRequest &)>;

    explicit LocalHttpServer(QObject *parent = nullptr);
    ~LocalHttpServer() override;

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    // "http://127.0.0.1:<port><path>"
    QUrl url(const QString &path = QStringLiteral("/")) const;

    // Answers requests of this method ("*" for any) and path; a path ending in "*" matches every path that
    // starts with the rest. A later route wins over an earlier one. Unrouted requests get 404.
    void route(const QByteArray &method, const QString &path, Handler handler);
    // The fault hits the nth request matching method and path that arrives from now on; once. Every fault
    // that matches a request counts it; when two are due at once, the later one hits the next request.
    void addFault(const QByteArray &method, const QString &path, const HttpFault &fault, int nth = 1);

    // Called with a request whose connection closed before its whole body had arrived.
    void onIncomplete(std::function<void(const RecordedRequest &)> handler) { m_incomplete = std::move(handler); }

    QList<RecordedRequest> requests() const { return m_requests; }
    QList<RecordedRequest> requests(const QByteArray &method, const QString &path) const;
    int connectionCount() const { return m_connectionCount; }
    // The body bytes written by ENDLESS_REPLY and DRIP_REPLY faults so far.
    qint64 streamedBytes() const { return m_streamedBytes; }
    void clearRecords() { m_requests.clear(); }

private:
    struct Connection;
    struct Route
    {
        QByteArray method;
        QString path;
        Handler handler;
    };
    struct ScriptedFault
    {
        QByteArray method;
        QString path;
        int remaining;
        HttpFault fault;
    };

    static bool matches(const QByteArray &method, const QString &path, const QByteArray &requestMethod,
                        const QString &requestPath);
    void onNewConnection();
    void readFrom(Connection *connection);
    bool readHeaders(Connection *connection);
    void readBody(Connection *connection);
    void finishRequest(Connection *connection);
    void answer(Connection *connection, const HttpReply &reply);
    void stream(Connection *connection, const HttpFault &fault);
    void streamMore(Connection *connection);
    void close(Connection *connection, bool abortive);
    void notifyIncomplete(Connection *connection);

    QTcpServer m_server;
    QList<Route> m_routes;
    QList<ScriptedFault> m_faults;
    QList<RecordedRequest> m_requests;
    QList<Connection *> m_connections;
    std::function<void(const RecordedRequest &)> m_incomplete;
    int m_connectionCount = 0;
    qint64 m_streamedBytes = 0;
};
