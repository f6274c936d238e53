#include "FacebookProvider.h"

#include "NetworkJob.h"
#include "OAuthProtocol.h"
#include "SNErrorMap.h"
#include "SNServiceContext.h"
#include "UploadErrorCode.h"
#include "UploadLog.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QMimeDatabase>

#include <functional>
#include <memory>

namespace {

const QString kApi = QStringLiteral("api");
// The Page's list is paged; a person managing more Pages than this many pages of them is not a teacher.
constexpr int kMaxPageLists = 20;
// The task a Page role needs to publish.
const QString kCreateContent = QStringLiteral("CREATE_CONTENT");

using Page = FacebookProvider::Page;

QByteArray form(const QList<QPair<QString, QString>> &fields)
{
    return OAuthProtocol::formBody(fields);
}

// Every reserved character encoded: a "+" or "&" in a file name stays what it is.
QUrl withQuery(QUrl url, const QList<QPair<QString, QString>> &fields)
{
    url.setQuery(QString::fromLatin1(form(fields)), QUrl::StrictMode);
    return url;
}

// What goes under a photo or with a video: the title, then the description.
QString captionOf(const NetworkJob::Upload &upload)
{
    QStringList parts;
    for (const QString &part : {upload.title.trimmed(), upload.description.trimmed()}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QStringLiteral("\n\n"));
}

// Finds the Page the account's user name names among the Pages the person manages (following the list's
// pages), and calls found with it; ends the job when there is none it may post to.
struct PageLookup : std::enable_shared_from_this<PageLookup>
{
    NetworkJob &job;
    std::function<void(const Page &)> found;
    int lists = 0;

    PageLookup(NetworkJob &owner, std::function<void(const Page &)> then)
        : job(owner)
        , found(std::move(then))
    {
    }

    void start()
    {
        fetch(withQuery(job.service().endpoint(kApi, QStringLiteral("/me/accounts")),
                        {{QStringLiteral("fields"), QStringLiteral("id,name,access_token,tasks")},
                         {QStringLiteral("limit"), QStringLiteral("100")}}));
    }

    void fetch(const QUrl &url)
    {
        auto self = shared_from_this();
        ++lists;
        job.send(SNRequest::get(url), [self](const SNResponse &response) { self->read(response); });
    }

    void read(const SNResponse &response)
    {
        if (!response.isSuccess()) {
            job.failWith(response);
            return;
        }
        const FacebookProvider::PageList list = FacebookProvider::readPageList(response, job.accountLabel().trimmed(),
                                                                               job.service().endpoint(kApi));
        if (list.mayNotPublish) {
            uploadLog(LogSystem::LOG_WARNING, "FacebookProvider - the account may not publish on the Page %s",
                      qUtf8Printable(job.accountLabel().trimmed()));
            job.fail(SN_ERR_PRIVILEGE);
            return;
        }
        if (list.page) {
            job.setAccountValue(QStringLiteral("page.id"), list.page->id);
            found(*list.page);
            return;
        }
        if (!list.next.isEmpty() && lists < kMaxPageLists) {
            fetch(list.next);
            return;
        }
        // Also what a grant without the Page permissions looks like: the list comes back empty.
        uploadLog(LogSystem::LOG_WARNING, "FacebookProvider - no Page the account manages is named by its user name");
        job.fail(SN_ERR_PRIVILEGE);
    }
};

void withPage(NetworkJob &job, std::function<void(const Page &)> then)
{
    std::make_shared<PageLookup>(job, std::move(then))->start();
}

// Completes the upload with the address the network gives the new object (field "link" of a photo,
// "permalink_url" of a video, the latter relative to the site). A copy that is there but whose address
// cannot be read completes with an empty address rather than failing: a second try would post it twice.
void completeWithAddress(NetworkJob &job, const QString &id, const Page &page, const QString &field)
{
    const QUrl url = withQuery(job.service().endpoint(kApi, QLatin1Char('/') + id),
                               {{QStringLiteral("fields"), field}, {QStringLiteral("access_token"), page.token}});
    job.send(SNRequest::get(url).withoutAuth(), [&job, id, field](const SNResponse &response) {
        const QString address = FacebookProvider::readAddress(response, field,
                                                              job.service().endpoint(QStringLiteral("web")));
        if (address.isEmpty()) {
            uploadLog(LogSystem::LOG_WARNING, "FacebookProvider - the address of %s could not be read",
                      qUtf8Printable(id));
            job.completeUpload(id, QString());
            return;
        }
        job.completeUpload(id, address);
    });
}

void uploadPhoto(NetworkJob &job, const Page &page)
{
    const NetworkJob::Upload &upload = job.upload();
    const QByteArray type = QMimeDatabase().mimeTypeForFile(upload.path).name().toLatin1();
    job.send(SNRequest::post(job.service().endpoint(kApi, QStringLiteral("/%1/photos").arg(page.id)))
                 .withoutAuth()
                 .multipartFileBody({{QStringLiteral("access_token"), page.token},
                                     {QStringLiteral("caption"), captionOf(upload)},
                                     {QStringLiteral("published"), QStringLiteral("true")}},
                                    QStringLiteral("source"), upload.path, QFileInfo(upload.path).fileName(), type)
                 .retryAs(SNRequest::RETRY_NEVER),
             [&job, page](const SNResponse &response) {
                 const QString id = FacebookProvider::readObjectId(response);
                 if (id.isEmpty()) {
                     job.failWith(response);
                     return;
                 }
                 completeWithAddress(job, id, page, QStringLiteral("link"));
             });
}

// The resumable upload: a session for the file, then its bytes from the offset the server holds (asked
// after an interruption), then the video published on the Page with the handle of the uploaded file.
struct VideoTransfer : std::enable_shared_from_this<VideoTransfer>
{
    NetworkJob &job;
    Page page;
    QString session;

    VideoTransfer(NetworkJob &owner, const Page &target)
        : job(owner)
        , page(target)
    {
    }

    void start()
    {
        auto self = shared_from_this();
        const QString appId = job.service().parameter(QStringLiteral("appID"));
        const QUrl url =
            withQuery(job.service().endpoint(kApi, QStringLiteral("/%1/uploads").arg(appId)),
                      {{QStringLiteral("file_name"), QFileInfo(job.upload().path).fileName()},
                       {QStringLiteral("file_length"), QString::number(job.fileSize())},
                       {QStringLiteral("file_type"), QMimeDatabase().mimeTypeForFile(job.upload().path).name()}});
        // A session that is never used publishes nothing: creating one twice is harmless.
        job.send(SNRequest::post(url), [self](const SNResponse &response) {
            self->session = FacebookProvider::readUploadSession(response);
            if (self->session.isEmpty()) {
                self->job.failWith(response);
                return;
            }
            self->sendFrom(0);
        });
    }

    QUrl sessionUrl() const { return job.service().endpoint(kApi, QLatin1Char('/') + session); }
    // The upload session takes the person's token in this form.
    QByteArray authorization() const
    {
        return "OAuth " + job.accountValue(QStringLiteral("grant.access_token")).toUtf8();
    }

    void sendFrom(qint64 offset)
    {
        auto self = shared_from_this();
        SNRequest request = SNRequest::post(sessionUrl())
                                .withoutAuth()
                                .header("Authorization", authorization())
                                .header("file_offset", QByteArray::number(offset))
                                .retryAs(SNRequest::RETRY_RESUME);
        request.fileBody(job.upload().path, offset, job.fileSize() - offset, "application/octet-stream");
        job.send(
            request, [self](const SNResponse &response) { self->onBytes(response); }, [self] { self->askOffset(); });
    }

    void askOffset()
    {
        auto self = shared_from_this();
        job.send(SNRequest::get(sessionUrl()).withoutAuth().header("Authorization", authorization()),
                 [self](const SNResponse &response) {
                     const std::optional<qint64> held = FacebookProvider::heldOffset(response, self->job.fileSize());
                     if (!held) {
                         self->job.failWith(response);
                         return;
                     }
                     self->sendFrom(*held);
                 });
    }

    void onBytes(const SNResponse &response)
    {
        const QString handle = FacebookProvider::readUploadHandle(response);
        if (handle.isEmpty()) {
            job.failWith(response);
            return;
        }
        auto self = shared_from_this();
        const NetworkJob::Upload &upload = job.upload();
        const QString title = upload.title.trimmed().isEmpty() ? QFileInfo(upload.path).completeBaseName()
                                                               : upload.title;
        job.send(SNRequest::post(job.service().endpoint(QStringLiteral("video"),
                                                        QStringLiteral("/%1/videos").arg(page.id)))
                     .withoutAuth()
                     .body(form({{QStringLiteral("access_token"), page.token},
                                 {QStringLiteral("title"), title},
                                 {QStringLiteral("description"), upload.description},
                                 {QStringLiteral("fbuploader_video_file_chunk"), handle}}),
                           "application/x-www-form-urlencoded")
                     .retryAs(SNRequest::RETRY_NEVER),
                 [self](const SNResponse &published) {
                     const QString id = FacebookProvider::readObjectId(published);
                     if (id.isEmpty()) {
                         self->job.failWith(published);
                         return;
                     }
                     completeWithAddress(self->job, id, self->page, QStringLiteral("permalink_url"));
                 });
    }
};

} // namespace

QStringList FacebookProvider::requiredParameters() const
{
    return {QStringLiteral("appID"), QStringLiteral("client_token")};
}

QUrl FacebookProvider::defaultEndpoint(const QString &role) const
{
    if (role == QLatin1String("video"))
        return QUrl(QStringLiteral("https://graph-video.facebook.com/v21.0"));
    if (role == QLatin1String("web"))
        return QUrl(QStringLiteral("https://www.facebook.com"));
    return QUrl(QStringLiteral("https://graph.facebook.com/v21.0"));
}

QStringList FacebookProvider::tokenRoles() const
{
    // Videos go to a server of their own.
    return {kApi, QStringLiteral("video")};
}

OAuthConfig FacebookProvider::oauthConfig(const SNServiceContext &service) const
{
    OAuthConfig config;
    config.flow = OAuthConfig::FLOW_DEVICE;
    config.deviceDialect = OAuthConfig::DEVICE_GRAPH;
    config.deviceCodeUrl = service.endpoint(kApi, QStringLiteral("/device/login"));
    config.devicePollUrl = service.endpoint(kApi, QStringLiteral("/device/login_status"));
    config.clientId = service.parameter(QStringLiteral("appID"));
    config.clientAccessToken = config.clientId + QLatin1Char('|') + service.parameter(QStringLiteral("client_token"));
    // Listing the person's Pages with their tokens, and publishing photos and videos on them.
    config.scope = QStringLiteral("pages_show_list,pages_read_engagement,pages_manage_posts,publish_video");
    return config;
}

void FacebookProvider::checkAccount(NetworkJob &job)
{
    withPage(job, [&job](const Page &page) {
        job.complete({{QStringLiteral("id"), page.id}, {QStringLiteral("name"), page.name}});
    });
}

void FacebookProvider::upload(NetworkJob &job)
{
    withPage(job, [&job](const Page &page) {
        if (job.upload().isVideo)
            std::make_shared<VideoTransfer>(job, page)->start();
        else
            uploadPhoto(job, page);
    });
}

void FacebookProvider::remove(NetworkJob &job, const QString &path)
{
    uploadLog(LogSystem::LOG_WARNING, "FacebookProvider::remove - %s stays on the Page; remove it there by hand",
              qUtf8Printable(path));
    job.fail(SN_ERR_NOT_SUPPORTED);
}

std::optional<qint64> FacebookProvider::heldOffset(const SNResponse &response, qint64 fileSize)
{
    if (!response.isSuccess())
        return std::nullopt;
    const QJsonValue offset = response.json().value(QStringLiteral("file_offset"));
    qint64 held = -1;
    if (offset.isString()) {
        held = offset.toString().toLongLong();
    } else {
        // A number is a double in JSON: one past the file's end (or past what qint64 holds) is refused
        // before it is converted.
        const double number = offset.toDouble(-1);
        if (number >= 0 && number <= double(fileSize))
            held = qint64(number);
    }
    if (held < 0 || held > fileSize)
        return std::nullopt;
    return held;
}

FacebookProvider::PageList FacebookProvider::readPageList(const SNResponse &response, const QString &wanted,
                                                          const QUrl &api)
{
    PageList list;
    if (!response.isSuccess())
        return list;
    const QJsonObject answer = response.json();
    for (const QJsonValue &value : answer.value(QStringLiteral("data")).toArray()) {
        const QJsonObject page = value.toObject();
        const QString id = page.value(QStringLiteral("id")).toString();
        const QString name = page.value(QStringLiteral("name")).toString();
        if (id != wanted && name.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        const QJsonArray tasks = page.value(QStringLiteral("tasks")).toArray();
        const QString token = page.value(QStringLiteral("access_token")).toString();
        if (!tasks.contains(kCreateContent) || token.isEmpty() || usableId(id).isEmpty())
            list.mayNotPublish = true;
        else
            list.page = Page{id, name, token};
        return list;
    }
    // The next list only from the same server: the address comes from the answer.
    const QUrl next(answer.value(QStringLiteral("paging")).toObject().value(QStringLiteral("next")).toString());
    if (next.isValid() && next.host() == api.host() && next.port() == api.port() && next.scheme() == api.scheme())
        list.next = next;
    return list;
}

QString FacebookProvider::readObjectId(const SNResponse &response)
{
    return answerId(response, QStringLiteral("id"));
}

QString FacebookProvider::readUploadSession(const SNResponse &response)
{
    const QString session = readObjectId(response);
    return session.startsWith(QLatin1String("upload:")) ? session : QString();
}

QString FacebookProvider::readUploadHandle(const SNResponse &response)
{
    return answerId(response, QStringLiteral("h"));
}

QString FacebookProvider::readAddress(const SNResponse &response, const QString &field, const QUrl &site)
{
    if (!response.isSuccess())
        return {};
    const QString address = response.json().value(field).toString();
    if (address.isEmpty())
        return {};
    return webAddress(site.resolved(QUrl(address))).toString();
}

int FacebookProvider::failureCode(const SNResponse &response) const
{
    const QJsonObject error = response.json().value(QStringLiteral("error")).toObject();
    const int code = error.value(QStringLiteral("code")).toInt();
    switch (code) {
    // The access token has expired or was withdrawn: the person signs in again.
    case 102:
    case 190:
        return SN_ERR_AUTHORIZATION;
    // Application, user, Page and custom rate limits.
    case 4:
    case 17:
    case 32:
    case 613:
    case 80001:
        return SN_ERR_TOO_OFTEN;
    // A permission the grant lacks, or the Page role's.
    case 10:
        return SN_ERR_PRIVILEGE;
    default:
        break;
    }
    if (code >= 200 && code <= 299)
        return SN_ERR_PRIVILEGE;
    return SNErrorMap::httpStatusCode(response.status);
}
