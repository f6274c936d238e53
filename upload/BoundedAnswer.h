#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QNetworkReply;

// Reads a service's answer as it arrives and keeps it within bounds: at most maxBytes of body, and the
// whole answer within deadlineMs of its first byte. Qt would otherwise buffer whatever a server sends (its
// progress signals are withheld while data comes faster than the event loop takes it), so an endless
// answer fills the memory, and a server that drips bytes keeps a request open for ever. Past either bound
// the reply is aborted; failure() says which bound it was. Lives as a child of the reply.
class BoundedAnswer : public QObject
{
    Q_OBJECT

public:
    enum Failure { WITHIN_BOUNDS, TOO_LONG, TOO_LATE };

    BoundedAnswer(QNetworkReply *reply, qint64 maxBytes, int deadlineMs);

    // The body read so far; the whole answer once the reply has finished within bounds.
    QByteArray body() const { return m_body; }
    Failure failure() const { return m_failure; }

Q_SIGNALS:
    // Bytes of the answer arrived (for stall timers).
    void received();

private:
    void read();
    void exceed(Failure failure);

    QNetworkReply *m_reply;
    qint64 m_maxBytes;
    QByteArray m_body;
    Failure m_failure = WITHIN_BOUNDS;
    QTimer m_deadline;
};
