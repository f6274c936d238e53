// The online services' answers, through every reader of them that stands apart from the network: the
// sign-in's token and device answers, the form reader, the wait a busy server asks for, each provider's
// reading of a refusal, and the places an interrupted upload goes on from. The first byte picks the
// reader, the next two the HTTP status; then come header lines ("Name: value") up to an empty line, and the
// body. Beyond never crashing, what a reader hands on is what the answer said, or refused: a granted token
// is a non-empty one from a successful answer, a device login has a web address and sane times, an upload
// goes on only from a place inside the file, and a refusal always maps to one of the library's codes.
// The providers' readers of successful answers (accounts, upload sessions, ids, addresses, the photo
// service's upload status and album list, the Page list) take values only from a successful answer: an id
// without control characters, an address only to the web, a next list only on the same server.
#include "DropboxProvider.h"
#include "FacebookProvider.h"
#include "FuzzSupport.h"
#include "GooglePhotosProvider.h"
#include "OAuthProtocol.h"
#include "SNErrorMap.h"
#include "SNResponse.h"
#include "TwitpicProvider.h"
#include "UploadErrorCode.h"
#include "YouTubeProvider.h"

#include <QChar>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

enum Reader {
    READ_TOKEN,
    READ_DEVICE_CODE,
    READ_DEVICE_POLL,
    READ_FORM,
    READ_RETRY_AFTER,
    READ_REFUSAL,
    READ_VIDEO_RESUME,
    READ_PAGE_VIDEO_RESUME,
    READ_DROPBOX_ANSWERS,
    READ_VIDEO_ANSWERS,
    READ_PHOTO_ANSWERS,
    READ_PAGE_LIST,
    READ_PAGE_ANSWERS,
    READ_COUNT
};

SNResponse responseOf(int status, const QByteArray &rest)
{
    SNResponse response;
    response.status = status;
    const qsizetype end = rest.indexOf("\n\n");
    response.body = end < 0 ? rest : rest.mid(end + 2);
    if (end < 0)
        return response;
    for (const QByteArray &line : rest.left(end).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            response.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return response;
}

// The file an interrupted upload sends, of a size the answer's bytes choose (up to a terabyte).
qint64 fileSizeOf(const SNResponse &response)
{
    return qint64(qHash(response.body) % (qint64(1) << 40));
}

bool isLibraryCode(int code)
{
    static const QList<int> codes{SN_ERR_CREDENTIALS_REFUSED, SN_ERR_FILE_TOO_LARGE, SN_ERR_FILE_TOO_LONG,
                                  SN_ERR_UNREACHABLE,         SN_ERR_CANNOT_CONNECT, SN_ERR_DISCONNECTED,
                                  SN_ERR_TIMED_OUT,           SN_ERR_PROTOCOL,       SN_ERR_CREDENTIALS_REFUSED_2,
                                  SN_ERR_AUTHORIZATION,       SN_ERR_TOO_OFTEN,      SN_ERR_PRIVILEGE,
                                  SN_ERR_NOT_SUPPORTED};
    return codes.contains(code);
}

void checkToken(const OAuthProtocol::TokenAnswer &token, const SNResponse &response)
{
    if (!token.ok)
        return;
    FUZZ_CHECK(response.isSuccess(), "a token granted by an answer with status %d", response.status);
    FUZZ_CHECK(token.error.isEmpty(), "a token granted by an answer naming the error %s", qPrintable(token.error));
    // A token the answer gives as a number is handed on as its digits.
    const QJsonValue said = QJsonDocument::fromJson(response.body).object().value(QLatin1String("access_token"));
    FUZZ_CHECK(said.isString() ? token.accessToken == said.toString() : said.isDouble(),
               "the access token handed on is not the answer's");
    FUZZ_CHECK(!token.accessToken.isEmpty(), "an empty access token granted");
}

void readToken(const SNResponse &response)
{
    checkToken(OAuthProtocol::parseTokenAnswer(response.status, response.body), response);
}

void readDeviceCode(const SNResponse &response)
{
    for (const auto dialect : {OAuthConfig::DEVICE_RFC8628, OAuthConfig::DEVICE_GRAPH}) {
        const OAuthProtocol::DeviceCode code = OAuthProtocol::parseDeviceCode(response.body, dialect);
        FUZZ_CHECK(code.intervalSeconds >= 1 && code.intervalSeconds <= 3600, "interval %d", code.intervalSeconds);
        FUZZ_CHECK(code.expiresInSeconds >= 0 && code.expiresInSeconds <= 24 * 3600, "expiry %d",
                   code.expiresInSeconds);
        if (!code.ok)
            continue;
        FUZZ_CHECK(code.verificationUrl.isValid() && !code.verificationUrl.host().isEmpty(),
                   "a device login sends the user to %s", qPrintable(code.verificationUrl.toString()));
        const QString scheme = code.verificationUrl.scheme();
        FUZZ_CHECK(scheme == QLatin1String("https") || scheme == QLatin1String("http"),
                   "a device login sends the user to a %s address", qPrintable(scheme));
        FUZZ_CHECK(!code.deviceCode.isEmpty() && !code.userCode.isEmpty() && code.expiresInSeconds > 0,
                   "a device login accepted without its codes or time");
    }
}

void readDevicePoll(const SNResponse &response)
{
    for (const auto dialect : {OAuthConfig::DEVICE_RFC8628, OAuthConfig::DEVICE_GRAPH}) {
        const OAuthProtocol::DevicePoll poll = OAuthProtocol::parseDevicePoll(response.status, response.body, dialect);
        FUZZ_CHECK((poll.state == OAuthProtocol::POLL_GRANTED) == poll.token.ok,
                   "granted without a token, or the reverse");
        checkToken(poll.token, response);
    }
}

void readForm(const SNResponse &response)
{
    // A form read and written again reads the same (a byte that is no UTF-8 was replaced on the first
    // reading already).
    const QList<QPair<QString, QString>> fields = OAuthProtocol::parseForm(response.body);
    FUZZ_CHECK(OAuthProtocol::parseForm(OAuthProtocol::formBody(fields)) == fields,
               "a form changed when written and read again");
}

void readRetryAfter(const SNResponse &response)
{
    const QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(10, 0), Qt::UTC);
    const std::optional<qint64> wait = SNErrorMap::retryAfterMs(response.header("Retry-After"), now);
    FUZZ_CHECK(!wait || *wait >= 0, "a negative wait of %lld ms", static_cast<long long>(*wait));
}

void readRefusal(const SNResponse &response)
{
    const std::unique_ptr<SNProvider> providers[] = {
        std::make_unique<DropboxProvider>(), std::make_unique<YouTubeProvider>(), std::make_unique<FacebookProvider>(),
        std::make_unique<GooglePhotosProvider>(), std::make_unique<TwitpicProvider>()};
    for (const auto &provider : providers) {
        const int code = provider->failureCode(response);
        FUZZ_CHECK(isLibraryCode(code), "a refusal became %#x, which is none of the library's codes", unsigned(code));
    }
}

void readVideoResume(const SNResponse &response)
{
    const qint64 size = fileSizeOf(response);
    const std::optional<qint64> next = YouTubeProvider::resumeOffset(response.header("Range"), size);
    FUZZ_CHECK(!next || (*next >= 0 && *next <= size), "the upload would go on from %lld in a file of %lld bytes",
               static_cast<long long>(*next), static_cast<long long>(size));
}

void readPageVideoResume(const SNResponse &response)
{
    const qint64 size = fileSizeOf(response);
    const std::optional<qint64> held = FacebookProvider::heldOffset(response, size);
    FUZZ_CHECK(!held || (response.isSuccess() && *held >= 0 && *held <= size),
               "the upload would go on from %lld in a file of %lld bytes", static_cast<long long>(*held),
               static_cast<long long>(size));
}

// An id a provider hands on: empty (refused), or taken from a successful answer and free of control
// characters (C0, DEL and C1).
void checkId(const QString &id, const SNResponse &response, const char *what)
{
    if (id.isEmpty())
        return;
    FUZZ_CHECK(response.isSuccess(), "%s taken from an answer with status %d", what, response.status);
    for (const QChar c : id) {
        const ushort u = c.unicode();
        FUZZ_CHECK(u >= 0x20 && (u < 0x7F || u > 0x9F), "%s with the control character %#x", what, unsigned(u));
    }
}

// An address a provider hands on (to the user's browser or the next request): empty, or a web address with
// a host from a successful answer.
void checkAddress(const QUrl &address, const SNResponse &response, const char *what)
{
    if (address.isEmpty())
        return;
    FUZZ_CHECK(response.isSuccess(), "%s taken from an answer with status %d", what, response.status);
    FUZZ_CHECK(address.isValid() && !address.host().isEmpty(), "%s %s is no address with a host", what,
               qPrintable(address.toString()));
    const QString scheme = address.scheme();
    FUZZ_CHECK(scheme == QLatin1String("https") || scheme == QLatin1String("http"), "%s is a %s address", what,
               qPrintable(scheme));
}

void checkOffset(const std::optional<qint64> &offset, qint64 size, const char *what)
{
    FUZZ_CHECK(!offset || (*offset >= 0 && *offset <= size), "%s %lld in a file of %lld bytes", what,
               static_cast<long long>(offset.value_or(0)), static_cast<long long>(size));
}

void readDropboxAnswers(const SNResponse &response)
{
    const SNProvider::Account account = DropboxProvider::readAccount(response);
    checkId(account.id, response, "an account id");
    FUZZ_CHECK(!account.id.isEmpty() || account.name.isEmpty(), "an account name without its id");
    checkId(DropboxProvider::readSessionId(response), response, "a session id");
    const DropboxProvider::Stored stored = DropboxProvider::readStored(response);
    checkId(stored.name, response, "a stored name");
    FUZZ_CHECK(stored.name.isEmpty() == stored.path.isEmpty(), "a stored file without its name or path");
    FUZZ_CHECK(!stored.name.contains(QLatin1Char('/')), "the copy's id %s names a folder", qPrintable(stored.name));
    checkAddress(QUrl(DropboxProvider::readCreatedLink(response)), response, "a new link");
    checkAddress(QUrl(DropboxProvider::readListedLink(response)), response, "a listed link");
    const qint64 size = fileSizeOf(response);
    for (const bool committing : {false, true}) {
        const std::optional<qint64> correct = DropboxProvider::correctOffset(response, committing, size);
        FUZZ_CHECK(!correct || response.status == 409, "a session goes on after an answer with status %d",
                   response.status);
        checkOffset(correct, size, "a session would go on from");
    }
}

void readVideoAnswers(const SNResponse &response)
{
    const SNProvider::Account channel = YouTubeProvider::readChannel(response);
    checkId(channel.id, response, "a channel id");
    FUZZ_CHECK(!channel.id.isEmpty() || channel.name.isEmpty(), "a channel title without its id");
    checkAddress(YouTubeProvider::readSessionAddress(response), response, "a video upload session");
    checkId(YouTubeProvider::readVideoId(response), response, "a video id");
}

void readPhotoAnswers(const SNResponse &response)
{
    const QString title = QString::fromUtf8(response.header("Title"));
    const GooglePhotosProvider::AlbumList list = GooglePhotosProvider::readAlbumList(response, title);
    checkId(list.albumId, response, "an album id");
    FUZZ_CHECK(list.albumId.isEmpty() || list.nextPageToken.isEmpty(), "an album found and the next list asked for");
    FUZZ_CHECK(list.nextPageToken.isEmpty() || response.isSuccess(), "a next list from a failed answer");
    checkId(GooglePhotosProvider::readCreatedAlbumId(response), response, "a new album id");
    checkAddress(GooglePhotosProvider::readSessionAddress(response), response, "a photo upload session");
    checkId(GooglePhotosProvider::readUploadToken(response), response, "an upload token");
    const qint64 size = fileSizeOf(response);
    const GooglePhotosProvider::UploadStatus status = GooglePhotosProvider::readUploadStatus(response, size);
    FUZZ_CHECK(status.state == GooglePhotosProvider::UploadStatus::REFUSED || response.isSuccess(),
               "an upload goes on after an answer with status %d", response.status);
    if (status.state == GooglePhotosProvider::UploadStatus::ACTIVE)
        checkOffset(status.received, size, "an upload would go on from");
    const GooglePhotosProvider::CreatedItem item = GooglePhotosProvider::readCreatedItem(response);
    checkId(item.id, response, "an item id");
    checkAddress(QUrl(item.address), response, "an item's page");
    FUZZ_CHECK(item.id.isEmpty() ? isLibraryCode(item.failure) : item.failure == 0,
               "an item made with the code %#x, or refused without one", unsigned(item.failure));
    FUZZ_CHECK(!item.id.isEmpty() || item.address.isEmpty(), "an item's page without its id");
}

void readPageList(const SNResponse &response)
{
    const QString wanted = QString::fromUtf8(response.header("Label"));
    for (const QUrl &api : {QUrl(QStringLiteral("https://graph.facebook.com/v21.0")),
                            QUrl(QStringLiteral("http://127.0.0.1:8080/v21.0"))}) {
        const FacebookProvider::PageList list = FacebookProvider::readPageList(response, wanted, api);
        FUZZ_CHECK(int(list.page.has_value()) + int(list.mayNotPublish) + int(!list.next.isEmpty()) <= 1,
                   "a Page list gave more than one way on");
        FUZZ_CHECK(response.isSuccess() || (!list.page && !list.mayNotPublish && list.next.isEmpty()),
                   "a Page list read from an answer with status %d", response.status);
        if (list.page) {
            checkId(list.page->id, response, "a Page id");
            FUZZ_CHECK(!list.page->id.isEmpty() && !list.page->token.isEmpty(), "a Page without its id or token");
            FUZZ_CHECK(list.page->id == wanted || list.page->name.compare(wanted, Qt::CaseInsensitive) == 0,
                       "the Page %s is not the one the account names", qPrintable(list.page->id));
        }
        if (!list.next.isEmpty()) {
            checkAddress(list.next, response, "the next Page list");
            FUZZ_CHECK(list.next.scheme() == api.scheme() && list.next.host() == api.host()
                           && list.next.port() == api.port(),
                       "the next Page list is fetched from %s", qPrintable(list.next.toString()));
        }
    }
}

void readPageAnswers(const SNResponse &response)
{
    checkId(FacebookProvider::readObjectId(response), response, "a posted id");
    const QString session = FacebookProvider::readUploadSession(response);
    checkId(session, response, "an upload session");
    FUZZ_CHECK(session.isEmpty() || session.startsWith(QLatin1String("upload:")), "the upload session %s",
               qPrintable(session));
    checkId(FacebookProvider::readUploadHandle(response), response, "an upload handle");
    const QUrl site(QStringLiteral("https://www.facebook.com"));
    for (const QString &field : {QStringLiteral("link"), QStringLiteral("permalink_url")})
        checkAddress(QUrl(FacebookProvider::readAddress(response, field, site)), response, "a post's address");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const auto reader = static_cast<Reader>(data[0] % READ_COUNT);
    const int status = (data[1] << 8) | data[2];
    const SNResponse response = responseOf(status, FuzzSupport::bytesOf(data + 3, size - 3));
    switch (reader) {
    case READ_TOKEN:
        readToken(response);
        break;
    case READ_DEVICE_CODE:
        readDeviceCode(response);
        break;
    case READ_DEVICE_POLL:
        readDevicePoll(response);
        break;
    case READ_FORM:
        readForm(response);
        break;
    case READ_RETRY_AFTER:
        readRetryAfter(response);
        break;
    case READ_REFUSAL:
        readRefusal(response);
        break;
    case READ_VIDEO_RESUME:
        readVideoResume(response);
        break;
    case READ_PAGE_VIDEO_RESUME:
        readPageVideoResume(response);
        break;
    case READ_DROPBOX_ANSWERS:
        readDropboxAnswers(response);
        break;
    case READ_VIDEO_ANSWERS:
        readVideoAnswers(response);
        break;
    case READ_PHOTO_ANSWERS:
        readPhotoAnswers(response);
        break;
    case READ_PAGE_LIST:
        readPageList(response);
        break;
    case READ_PAGE_ANSWERS:
        readPageAnswers(response);
        break;
    case READ_COUNT:
        break;
    }
    return 0;
}
