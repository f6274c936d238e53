#include "BoundedAnswer.h"

#include <QNetworkReply>

namespace {

// What Qt may hold for us between two reads: the socket is read no further until we take it, so the
// memory an answer costs stays at the cap plus this, however fast the server sends.
constexpr qint64 kReadBufferBytes = 64 * 1024;

} // namespace

BoundedAnswer::BoundedAnswer(QNetworkReply *reply, qint64 maxBytes, int deadlineMs)
    : QObject(reply)
    , m_reply(reply)
    , m_maxBytes(maxBytes)
{
    reply->setReadBufferSize(kReadBufferBytes);
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(deadlineMs);
    connect(&m_deadline, &QTimer::timeout, this, [this] { exceed(TOO_LATE); });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
        if (!m_deadline.isActive())
            m_deadline.start();
    });
    connect(reply, &QNetworkReply::readyRead, this, &BoundedAnswer::read);
    // The last bytes may come with the end, before any readyRead for them was handled.
    connect(reply, &QNetworkReply::finished, this, [this] {
        m_deadline.stop();
        read();
    });
}

void BoundedAnswer::read()
{
    if (m_failure != WITHIN_BOUNDS)
        return;
    const qint64 available = m_reply->bytesAvailable();
    if (available <= 0)
        return;
    if (m_body.size() + available > m_maxBytes) {
        exceed(TOO_LONG);
        return;
    }
    m_body += m_reply->read(available);
    Q_EMIT received();
}

void BoundedAnswer::exceed(Failure failure)
{
    if (m_failure != WITHIN_BOUNDS || m_reply->isFinished())
        return;
    m_failure = failure;
    m_body.clear();
    m_reply->abort();
}
