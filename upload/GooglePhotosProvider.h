#pragma once

#include "SNProvider.h"

// The photo service ("picasa"), today's photo library: Google sign-in as for the video service; a file goes
// up as bytes (in one request up to "simple_limit", else a resumable upload in requests of "chunk_size"),
// which gives an upload token; one batch creation then makes it an item in an album the program created,
// named by the application text (its id is kept with the account's grant). The id is the item's, the
// address its owner-only page. The service deletes nothing: removal fails with SN_ERR_NOT_SUPPORTED.
class GooglePhotosProvider : public SNProvider
{
public:
    QStringList requiredParameters() const override;
    QUrl defaultEndpoint(const QString &role) const override;
    OAuthConfig oauthConfig(const SNServiceContext &service) const override;
    qint64 maximumFileSize(bool isVideo) const override;
    void checkAccount(NetworkJob &job) override;
    void upload(NetworkJob &job) override;
    void remove(NetworkJob &job, const QString &path) override;
    int failureCode(const SNResponse &response) const override;

    // What the program takes from the service's successful answers; empty is a refusal (or no success).
    // One list of the program's albums: the id of the one with that title, else the next list's token.
    struct AlbumList
    {
        QString albumId;
        QString nextPageToken;
    };
    static AlbumList readAlbumList(const SNResponse &response, const QString &title);
    static QString readCreatedAlbumId(const SNResponse &response);
    // The resumable upload's address ("X-Goog-Upload-URL"), a web address.
    static QUrl readSessionAddress(const SNResponse &response);
    // How far a resumable upload got, from the answer to its query.
    struct UploadStatus
    {
        enum State { REFUSED, ACTIVE, FINAL };
        State state = REFUSED;
        // ACTIVE: the bytes the server holds, within the file.
        qint64 received = 0;
    };
    static UploadStatus readUploadStatus(const SNResponse &response, qint64 fileSize);
    // The upload token the bytes were given (the body's text).
    static QString readUploadToken(const SNResponse &response);
    // The item the batch creation made: its id and owner-only page, or the library's code for its refusal.
    struct CreatedItem
    {
        QString id;
        QString address;
        int failure = 0;
        QString message;
    };
    static CreatedItem readCreatedItem(const SNResponse &response);
};
