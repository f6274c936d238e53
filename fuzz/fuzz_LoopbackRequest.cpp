// Bytes arriving at the loopback listener that waits for the browser's sign-in redirect. The input is one
// or more connections (separated by the two bytes FF FE), each arriving in pieces of the size the first
// byte gives (0: all at once). The listener waits while a request has not ended, then answers it or drops
// the connection, and never takes more than it may: one callback per sign-in, only for a request that
// carries the expected state, handing on a code the request carried.
#include "FuzzSupport.h"
#include "OAuthLoopbackListener.h"

#include <QList>

namespace {

const QString kCallbackPath = QStringLiteral("/callback");
const QString kState = QStringLiteral("st4te-Zq_9");
const QString kPagePath = QStringLiteral("/device");
const QString kPage = QStringLiteral("<p>Enter the code WXYZ-1234</p>");
// The listener's own limit on a request's size.
constexpr qsizetype kMaxRequestBytes = 16 * 1024;

// The values of one name in a request target's query, read by the plain rules of a form: everything after
// the first "?" up to a "#", pairs split at "&" and "=", "+" a space, then percent-decoding.
QStringList queryValues(const QByteArray &target, const QByteArray &name)
{
    const qsizetype question = target.indexOf('?');
    QByteArray query = question < 0 ? QByteArray() : target.mid(question + 1);
    if (query.contains('#'))
        query.truncate(query.indexOf('#'));
    QStringList values;
    for (QByteArray pair : query.split('&')) {
        pair.replace('+', ' ');
        const qsizetype equals = pair.indexOf('=');
        if (equals < 0)
            continue;
        if (QByteArray::fromPercentEncoding(pair.left(equals)) == name)
            values.append(QString::fromUtf8(QByteArray::fromPercentEncoding(pair.mid(equals + 1))));
    }
    return values;
}

QByteArray requestTarget(const QByteArray &request)
{
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    return words.size() > 1 ? words[1] : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype pieceSize = data[0];
    const QByteArray input = FuzzSupport::bytesOf(data + 1, size - 1);

    OAuthLoopbackListener listener;
    listener.expectCallback(kCallbackPath, kState);
    listener.servePage(kPagePath, kPage);
    int callbacks = 0;
    qsizetype start = 0;
    while (start <= input.size()) {
        qsizetype end = input.indexOf("\xff\xfe", start);
        if (end < 0)
            end = input.size();
        const QByteArray connection = input.mid(start, end - start);
        start = end + 2;

        QByteArray received;
        OAuthLoopbackListener::Reply reply;
        for (qsizetype at = 0; at < connection.size() && reply.action == OAuthLoopbackListener::Reply::REPLY_WAIT;) {
            const qsizetype piece = pieceSize == 0 ? connection.size() : pieceSize;
            received += connection.mid(at, piece);
            at += piece;
            reply = listener.reply(received);
        }
        switch (reply.action) {
        case OAuthLoopbackListener::Reply::REPLY_WAIT:
            FUZZ_CHECK(received.size() <= kMaxRequestBytes && !received.contains("\r\n\r\n"),
                       "the listener waits on a request that has ended or is too long");
            FUZZ_CHECK(!reply.callback, "a callback came from an unfinished request");
            continue;
        case OAuthLoopbackListener::Reply::REPLY_DROP:
            FUZZ_CHECK(received.size() > kMaxRequestBytes, "a request within the limit was dropped");
            FUZZ_CHECK(!reply.callback, "a callback came from a dropped request");
            continue;
        case OAuthLoopbackListener::Reply::REPLY_ANSWER:
            break;
        }
        FUZZ_CHECK(received.contains("\r\n\r\n"), "the listener answered a request that had not ended");
        FUZZ_CHECK(reply.status == 200 || reply.status == 400 || reply.status == 404, "status %d", reply.status);
        FUZZ_CHECK(!reply.html.isEmpty(), "an answer without a page");
        if (!reply.callback)
            continue;
        ++callbacks;
        FUZZ_CHECK(callbacks == 1, "a second callback in one sign-in");
        FUZZ_CHECK(reply.status == 200, "the redirect was taken but answered %d", reply.status);
        FUZZ_CHECK(reply.code.isEmpty() != reply.error.isEmpty(), "a callback must carry a code or an error");
        const QByteArray target = requestTarget(received);
        FUZZ_CHECK(received.startsWith("GET "), "a callback from a request that is not a GET");
        FUZZ_CHECK(queryValues(target, "state").contains(kState), "a callback without the expected state: %s",
                   target.constData());
        FUZZ_CHECK(reply.code.isEmpty() || queryValues(target, "code").contains(reply.code),
                   "the code handed on (%s) is not one the request carried: %s", qPrintable(reply.code),
                   target.constData());
    }
    return 0;
}
