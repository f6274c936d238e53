#include "DropboxServiceEmulation.h"
#include "FacebookServiceEmulation.h"
#include "GooglePhotosServiceEmulation.h"
#include "LocalHttpServer.h"
#include "ProviderRig.h"
#include "SettingImpl.h"
#include "TestBrowser.h"
#include "TestEnvironment.h"
#include "YouTubeServiceEmulation.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpServer>

#include <memory>

// The manual smoke tool, run as a person would run it, against the services' emulations on the local
// server through the Settings.ini overrides: the same calls, so that it keeps working for the day someone
// runs it against the real services.
class tst_UploadSmoke : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void everyCallPassesAgainstTheEmulation_data();
    void everyCallPassesAgainstTheEmulation();
    void aRefusedCallFailsTheRun();
};

namespace {

struct Emulation
{
    LocalHttpServer server;
    std::unique_ptr<DropboxServiceEmulation> dropbox;
    std::unique_ptr<YouTubeServiceEmulation> youtube;
    std::unique_ptr<GooglePhotosServiceEmulation> photos;
    std::unique_ptr<FacebookServiceEmulation> facebook;
};

QString settingsFile()
{
    // The tool reads the program's Settings.ini, found by the program's name.
    const QString ownName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("Quillo"));
    const QString path = SettingImpl::settingsFilePath();
    QCoreApplication::setApplicationName(ownName);
    return path;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// Points the service at the emulation and gives it the emulation's client.
void configure(Emulation &emulation, const QString &service)
{
    QSettings settings(settingsFile(), QSettings::IniFormat);
    const auto set = [&settings, &service](const QString &key, const QString &value) {
        settings.setValue(QStringLiteral("upload/%1/%2").arg(service, key), value);
    };
    for (const char *role : {"auth", "token", "api", "content", "watch", "video", "web"})
        set(QString::fromLatin1(role), emulation.server.url(QString()).toString());
    if (service == QLatin1String("dropboxOAuth")) {
        emulation.dropbox = std::make_unique<DropboxServiceEmulation>(emulation.server);
        set(QStringLiteral("consumer_key"), QString::fromLatin1(DropboxServiceEmulation::kClientId));
        set(QStringLiteral("redirect_ports"), QString::number(freePort()));
    } else if (service == QLatin1String("youtube")) {
        emulation.youtube = std::make_unique<YouTubeServiceEmulation>(emulation.server);
        set(QStringLiteral("devkey"), QString::fromLatin1(YouTubeServiceEmulation::kClientId));
    } else if (service == QLatin1String("picasa")) {
        emulation.photos = std::make_unique<GooglePhotosServiceEmulation>(emulation.server);
        set(QStringLiteral("devkey"), QString::fromLatin1(GooglePhotosServiceEmulation::kClientId));
    } else {
        emulation.facebook = std::make_unique<FacebookServiceEmulation>(emulation.server);
        set(QStringLiteral("appID"), QString::fromLatin1(FacebookServiceEmulation::kAppId));
        set(QStringLiteral("client_token"), QString::fromLatin1(FacebookServiceEmulation::kClientToken));
    }
    settings.sync();
}

// Gives the permission the way the person would: the consent page sends the browser back to the tool's
// listener; for the device login the person enters the code on the network's page.
void givePermission(Emulation &emulation, const QUrl &address)
{
    if (emulation.facebook) {
        emulation.facebook->approveDevice();
        return;
    }
    TestBrowser::open(address, 3);
}

struct Run
{
    int exitCode = -1;
    QString output;
};

// Runs the tool to its end, giving the permission when it asks for it.
Run runTool(Emulation &emulation, const QStringList &arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    QString output;
    bool asked = false;
    QObject::connect(&tool, &QProcess::readyReadStandardOutput, [&] {
        output += QString::fromUtf8(tool.readAllStandardOutput());
        static const QRegularExpression permission(QStringLiteral("give the permission: (\\S+)"));
        const QRegularExpressionMatch match = permission.match(output);
        if (match.hasMatch() && !asked) {
            asked = true;
            givePermission(emulation, QUrl(match.captured(1)));
        }
    });
    tool.start(TestEnvironment::inputPath("UPLOAD_SMOKE"), arguments);
    Run run;
    if (!QTest::qWaitFor([&tool] { return tool.state() == QProcess::NotRunning; }, 90000)) {
        tool.kill();
        tool.waitForFinished();
    } else {
        run.exitCode = tool.exitCode();
    }
    output += QString::fromUtf8(tool.readAllStandardOutput());
    run.output = output;
    return run;
}

} // namespace

void tst_UploadSmoke::cleanup()
{
    QFile::remove(settingsFile());
    QFile::remove(QFileInfo(settingsFile()).dir().filePath(QStringLiteral("UploadSmokeAccounts.dat")));
}

void tst_UploadSmoke::everyCallPassesAgainstTheEmulation_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("account");
    QTest::addColumn<int>("uploads");
    QTest::newRow("file storage") << "dropboxOAuth"
                                  << "teacher" << 4;
    QTest::newRow("video") << "youtube"
                           << "teacher" << 2;
    QTest::newRow("photos") << "picasa"
                            << "teacher" << 4;
    QTest::newRow("social network") << "facebook" << FacebookServiceEmulation::classPage().name << 4;
}

void tst_UploadSmoke::everyCallPassesAgainstTheEmulation()
{
    QFETCH(QString, service);
    QFETCH(QString, account);
    QFETCH(int, uploads);
    Emulation emulation;
    configure(emulation, service);
    QTemporaryDir folder;
    const QString video = folder.filePath(QStringLiteral("lesson.mp4"));
    {
        QFile file(video);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(300000, 'v'));
    }

    const Run run = runTool(emulation, {service, account, QStringLiteral("--video"), video});
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    QVERIFY(run.output.contains(QLatin1String("all calls passed")));
    QVERIFY(run.output.contains(QLatin1String("sign-in: permission received")));
    QCOMPARE(run.output.count(QRegularExpression(QStringLiteral("^(photo|video) .*: ok id="),
                                                 QRegularExpression::MultilineOption)),
             uploads);
    // What the service can remove is gone again; the rest the run names for removal by hand.
    if (emulation.dropbox)
        QVERIFY(emulation.dropbox->paths().isEmpty());
    if (emulation.youtube)
        QCOMPARE(emulation.youtube->videoCount(), 0);
    if (emulation.photos)
        QCOMPARE(emulation.photos->items().size(), uploads);
    if (emulation.facebook)
        QCOMPARE(emulation.facebook->photos().size() + emulation.facebook->videos().size(), uploads);
}

void tst_UploadSmoke::aRefusedCallFailsTheRun()
{
    Emulation emulation;
    configure(emulation, QStringLiteral("facebook"));
    // No Page of that name: the check, and every upload after it, fail.
    const Run run = runTool(emulation, {QStringLiteral("facebook"), QStringLiteral("No Such Page")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.output.contains(QLatin1String("check: FAILED 0xe0030006")));
    QVERIFY(run.output.contains(QLatin1String("some calls FAILED")));
    QVERIFY(emulation.facebook->photos().isEmpty());
}

QUILLO_TEST_MAIN(tst_UploadSmoke)
#include "tst_UploadSmoke.moc"
