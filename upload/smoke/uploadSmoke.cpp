// Runs the calls the program makes of one online service with a real account, and prints what each
// answered: sign-in when the account has no permission yet, the account check, a photo upload (services
// that take photos), a video upload when a video is given, both again through the resumable path, and
// removal as the program asks for it. It needs the build's client ids (or Settings.ini's
// upload/<service>/<key>); the permissions it gets are kept in an account file of its own beside
// Settings.ini, never the program's. scripts/upload-smoke.sh builds and runs it.
//
//   uploadSmoke <service> <account user name> [--video FILE] [--keep] [--wait SECONDS]
//
// Exit status: 0 when every call did what the service allows, 1 when one failed, 2 on wrong arguments.

#include "AccountFileKey.h"
#include "RC4SimpleSNAccountFileStore.h"
#include "SNJob.h"
#include "SNService.h"
#include "SNUploadJobListener.h"
#include "SettingImpl.h"
#include "SocialNetworkManager.h"
#include "UploadErrorCode.h"
#include "UploadServiceParameters.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Small enough to go through the resumable paths in several requests even with a photo of a megabyte;
// the video service takes requests in multiples of 256 KiB only.
constexpr const char *kResumableChunk = "262144";
// The per-job wait: a large video on a slow line takes long, a hung call is reported.
constexpr int kJobWaitMs = 30 * 60 * 1000;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

class Outcome : public QObject, public SNUploadJobListener
{
public:
    bool ended = false;
    int code = 0;
    QString id;
    QString url;
    QMap<QString, QVariant> result;

    void jobConnecting(SNJob *) override {}
    void jobWorking(SNJob *) override {}
    void jobFailed(SNJob *job, int failure) override { end(job, failure); }
    void jobCompleted(SNJob *job, const QMap<QString, QVariant> &values) override
    {
        result = values;
        end(job, 0);
    }
    void uploadedCompleted(SNJob *job, const QString &copyId, const QString &address) override
    {
        id = copyId;
        url = address;
        end(job, 0);
    }
    void uploadProgress(SNJob *, int, int) override {}

private:
    void end(SNJob *job, int failure)
    {
        code = failure;
        ended = true;
        if (job)
            job->release();
    }
};

bool waitUntil(const std::function<bool()> &done, int ms)
{
    const QDeadlineTimer deadline(ms);
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    tick.start(20);
    if (!done())
        loop.exec();
    return done();
}

QString codeText(int code)
{
    return QStringLiteral("0x%1").arg(quint32(code), 8, 16, QLatin1Char('0'));
}

// Runs one job (start returns the library's start result) and prints its outcome under name.
bool step(const QString &name, const std::function<int(Outcome &)> &start, Outcome &outcome, int allowedFailure = 0)
{
    const int started = start(outcome);
    if (started == 0 && !waitUntil([&outcome] { return outcome.ended; }, kJobWaitMs)) {
        out() << name << ": no answer" << Qt::endl;
        return false;
    }
    const int code = started != 0 ? started : outcome.code;
    if (code == 0) {
        out() << name << ": ok";
        if (!outcome.id.isEmpty())
            out() << " id=" << outcome.id << " url=" << outcome.url;
        for (auto value = outcome.result.cbegin(); value != outcome.result.cend(); ++value)
            out() << ' ' << value.key() << '=' << value.value().toString();
        out() << Qt::endl;
        return true;
    }
    if (code == allowedFailure && allowedFailure != 0) {
        out() << name << ": not offered by the service (" << codeText(code) << "); remove the copy there by hand"
              << Qt::endl;
        return true;
    }
    out() << name << ": FAILED " << codeText(code) << Qt::endl;
    return false;
}

QString writePhoto(const QString &folder)
{
    // Noise does not compress: about a megabyte, several requests of the resumable path.
    QImage image(600, 600, QImage::Format_RGB32);
    QRandomGenerator random(20261210);
    for (int y = 0; y < image.height(); ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), image.width());
    const QString path = folder + QStringLiteral("/smoke test.png");
    return image.save(path) ? path : QString();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    // The program's own name: Settings.ini is the program's.
    QCoreApplication::setApplicationName(QStringLiteral("Quillo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs the program's calls of one online service with a real account."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("service"),
                                 QStringLiteral("youtube, picasa, facebook or dropboxOAuth"));
    parser.addPositionalArgument(QStringLiteral("account"),
                                 QStringLiteral("the account's user name (label; the Page for facebook)"));
    const QCommandLineOption video(QStringLiteral("video"), QStringLiteral("A video file to upload too."),
                                   QStringLiteral("file"));
    const QCommandLineOption keep(QStringLiteral("keep"), QStringLiteral("Leave the copies on the service."));
    const QCommandLineOption wait(QStringLiteral("wait"), QStringLiteral("Seconds to wait for the permission (600)."),
                                  QStringLiteral("seconds"), QStringLiteral("600"));
    parser.addOptions({video, keep, wait});
    parser.process(application);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2)
        parser.showHelp(2);
    const QString serviceName = arguments.at(0);
    const QString label = arguments.at(1);

    const QDir data = QFileInfo(SettingImpl::settingsFilePath()).dir();
    data.mkpath(QStringLiteral("."));
    SocialNetworkManager *manager = SocialNetworkManager::getSocialNetworkManager();
    auto *store = new RC4SimpleSNAccountFileStore(data.filePath(QStringLiteral("UploadSmokeAccounts.dat")),
                                                  AccountFileKey::build());
    store->load();
    manager->setAccountStore(store);
    SNService *service = manager->service(serviceName);
    if (!service) {
        out() << "no such service: " << serviceName << Qt::endl;
        return 2;
    }
    const QList<UploadServiceParameters::Parameter> parameters = UploadServiceParameters::all();
    for (const UploadServiceParameters::Parameter &parameter : parameters) {
        if (parameter.service == serviceName)
            service->setParameter(parameter.key, parameter.value);
    }

    AccountRecord account{QString(), label, QString::fromLatin1(SNAccountStore::kPasswordPlaceholder)};
    service->addAccount(account);
    bool passed = true;
    if (!service->isAccountUsable(account)) {
        Outcome signIn;
        if (!step(
                QStringLiteral("sign-in"),
                [&](Outcome &o) {
                    SNJob *job = nullptr;
                    return service->requestToken(&account, &job, &o);
                },
                signIn))
            return 1;
        out() << "Open this address in a browser and give the permission: "
              << signIn.result.value(QStringLiteral("redirect")).toString() << Qt::endl;
        if (!waitUntil([&] { return service->isAccountUsable(account); }, parser.value(wait).toInt() * 1000)) {
            out() << "sign-in: no permission arrived" << Qt::endl;
            return 1;
        }
        out() << "sign-in: permission received" << Qt::endl;
    }

    Outcome check;
    passed = step(
                 QStringLiteral("check"),
                 [&](Outcome &o) {
                     SNJob *job = nullptr;
                     return service->startAccessJob(&account, &job, &o);
                 },
                 check)
             && passed;

    QTemporaryDir folder;
    QList<QPair<QString, bool>> files;
    if (serviceName != QLatin1String("youtube"))
        files.append({writePhoto(folder.path()), false});
    if (parser.isSet(video))
        files.append({QFileInfo(parser.value(video)).absoluteFilePath(), true});
    // The application text the program passes: the folder or album of the services that have one.
    const QString appText = serviceName == QLatin1String("picasa") || serviceName == QLatin1String("dropboxOAuth")
                                ? QStringLiteral("Quillo")
                                : QString();
    for (const bool resumable : {false, true}) {
        if (resumable) {
            service->setParameter(QStringLiteral("simple_limit"), QStringLiteral("1"));
            service->setParameter(QStringLiteral("chunk_size"), QString::fromLatin1(kResumableChunk));
        }
        for (const auto &[path, isVideo] : files) {
            const QString name = QStringLiteral("%1 %2").arg(
                isVideo ? QStringLiteral("video") : QStringLiteral("photo"),
                resumable ? QStringLiteral("(resumable)") : QStringLiteral("(one request)"));
            Outcome uploaded;
            const bool ok = step(
                name,
                [&](Outcome &o) {
                    SNJob *job = nullptr;
                    const QString title = QStringLiteral("Quillo smoke test");
                    const QString description = QStringLiteral("Uploaded by the Quillo smoke test; safe to delete.");
                    return isVideo ? service->uploadVideoFile(&account, appText, path, title, QString(), description,
                                                              {}, {}, &job, &o)
                                   : service->uploadFile(&account, appText, path, title, QString(), description, {}, {},
                                                         &job, &o);
                },
                uploaded);
            passed = ok && passed;
            if (!ok || parser.isSet(keep))
                continue;
            // The removal path the program builds: the file-storage service's copies by folder and name.
            const QString removal = serviceName == QLatin1String("dropboxOAuth")
                                        ? QStringLiteral("public/%1/%2").arg(appText, uploaded.id)
                                        : uploaded.id;
            Outcome removed;
            passed = step(
                         QStringLiteral("remove ") + uploaded.id,
                         [&](Outcome &o) {
                             SNJob *job = nullptr;
                             return service->removeFile(removal, &job, &o);
                         },
                         removed, SN_ERR_NOT_SUPPORTED)
                     && passed;
        }
    }
    service->release();
    manager->shutdown();
    out() << (passed ? "all calls passed" : "some calls FAILED") << Qt::endl;
    return passed ? 0 : 1;
}
