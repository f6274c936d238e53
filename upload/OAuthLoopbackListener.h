#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A tiny HTTP server on 127.0.0.1 only that the browser comes back to: it takes the authorization code
// of the consent page (checking the state, ignoring anything else the browser asks for, such as its
// icon) and shows the user where to go on, or it shows a page of ours (the device login's code).
// Requests are read up to the end of their headers, answered and closed.
class OAuthLoopbackListener : public QObject
{
    Q_OBJECT

public:
    explicit OAuthLoopbackListener(QObject *parent = nullptr);
    ~OAuthLoopbackListener() override;

    // Takes the first port of the list that is free, or any free port when the list is empty.
    bool listen(const QList<quint16> &ports);
    quint16 port() const { return m_server.serverPort(); }
    // "http://127.0.0.1:<port><path>"
    QUrl address(const QString &path) const;

    // Waits for the consent page's redirect to path carrying this state.
    void expectCallback(const QString &path, const QString &state);
    // Answers requests for path with this page.
    void servePage(const QString &path, const QString &html);
    // Takes no more connections and deletes itself once the pages it is sending are out.
    void finish();

    // What the bytes one connection has sent so far call for.
    struct Reply
    {
        enum Action {
            // The request has not ended yet.
            REPLY_WAIT,
            // Too long to be a browser's request: the connection is dropped unanswered.
            REPLY_DROP,
            // The page is sent and the connection closed.
            REPLY_ANSWER,
        };
        Action action = REPLY_WAIT;
        int status = 0;
        QString html;
        // The consent page's redirect came: callbackReceived is emitted with these once the page is out.
        bool callback = false;
        QString code;
        QString error;
    };
    // Reads one connection's request apart from its socket; takes the callback when the request carries it.
    Reply reply(const QByteArray &received);

Q_SIGNALS:
    // Once, for the first redirect carrying the right state: a code, or the service's error.
    void callbackReceived(const QString &code, const QString &error);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, int status, const QString &html);

    void deleteWhenIdle();

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QString m_callbackPath;
    QString m_state;
    bool m_callbackDone = false;
    QString m_pagePath;
    QString m_page;
    bool m_finishing = false;
};
