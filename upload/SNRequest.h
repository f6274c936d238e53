#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

// One HTTP request of a provider, as it declares it; the job engine sends it (NetworkJob::send).
//   job.send(SNRequest::post(job.endpoint("content", "/files/upload"))
//                .header("X-Name", name)
//                .fileBody(path, 0, size, "application/octet-stream")
//                .retryAs(SNRequest::RETRY_NEVER),
//            [&job](const SNResponse &response) { ... });
struct SNRequest
{
    // What the engine may do when the request is interrupted (connection dropped, server error 5xx).
    enum Retry {
        // Send it again as it is: reading, deleting, status queries, chunks that name their range.
        RETRY_REPEAT,
        // Hand it back to the provider (the onInterrupted function of send), which asks the server how
        // far it got and continues from there.
        RETRY_RESUME,
        // Never send it again once it may have reached the server: it creates something, and a second copy
        // would be a duplicate. Only an answer that says nothing was done (429, 401) lets it go again.
        RETRY_NEVER,
    };
    enum Auth {
        // The account's access token goes along as "Authorization: Bearer".
        AUTH_BEARER,
        AUTH_NONE,
    };

    static SNRequest get(const QUrl &url) { return SNRequest("GET", url); }
    static SNRequest post(const QUrl &url) { return SNRequest("POST", url); }
    static SNRequest put(const QUrl &url) { return SNRequest("PUT", url); }
    static SNRequest deleteResource(const QUrl &url) { return SNRequest("DELETE", url); }

    SNRequest(const QByteArray &verb, const QUrl &address)
        : method(verb)
        , url(address)
    {
    }

    SNRequest &header(const QByteArray &name, const QByteArray &value)
    {
        headers.append({name, value});
        return *this;
    }
    SNRequest &body(const QByteArray &data, const QByteArray &type)
    {
        bytes = data;
        contentType = type;
        return *this;
    }
    SNRequest &jsonBody(const QJsonDocument &document)
    {
        return body(document.toJson(QJsonDocument::Compact), "application/json; charset=UTF-8");
    }
    // length bytes of the file from offset, read from disk as they are sent; they count as the job's
    // transfer progress, offset being the position in the file the service has already taken.
    SNRequest &fileBody(const QString &path, qint64 offset, qint64 length, const QByteArray &type)
    {
        filePath = path;
        fileOffset = offset;
        fileLength = length;
        contentType = type;
        return *this;
    }
    // A multipart/form-data body: the text fields, then the file as the part named fileField. Only the file
    // part streams from disk; its bytes alone count as progress.
    SNRequest &multipartFileBody(const QList<QPair<QString, QString>> &fields, const QString &fileField,
                                 const QString &path, const QString &fileName, const QByteArray &type);
    SNRequest &retryAs(Retry kind)
    {
        retry = kind;
        return *this;
    }
    SNRequest &withoutAuth()
    {
        auth = AUTH_NONE;
        return *this;
    }

    bool hasFileBody() const { return !filePath.isEmpty(); }

    QByteArray method;
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray bytes;
    QByteArray contentType;
    QString filePath;
    qint64 fileOffset = 0;
    qint64 fileLength = 0;
    // Sent before and after the file body (the parts around a multipart file).
    QByteArray filePrefix;
    QByteArray fileSuffix;
    Retry retry = RETRY_REPEAT;
    Auth auth = AUTH_BEARER;
};
