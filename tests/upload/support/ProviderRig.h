#pragma once

#include "AccountRecord.h"
#include "FakeSNService.h"
#include "JobProbe.h"
#include "LocalHttpServer.h"
#include "SocialNetworkManager.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class OAuthServerEmulation;
class SNService;

// A real service's provider against its emulation on the local server: a manager of its own with an
// account store in memory and short waits, the provider registered under its service name with every
// role pointed at the server. The test makes the emulation on rig.server. Server first, so that the manager
// goes before it.
class ProviderRig
{
public:
    ProviderRig(const QString &serviceName, SocialNetworkManager::ProviderFactory factory, const QStringList &roles);

    // Stores an account under label with a grant the emulated server accepts.
    void addGrantedAccount(OAuthServerEmulation &oauth, const QString &clientId,
                           const QString &label = QStringLiteral("teacher"));
    // A file of size pseudo-random bytes in the rig's folder.
    QString writeFile(const QString &name, qint64 size);
    // What the file at path holds, to compare with what the server got.
    static QByteArray contents(const QString &path);

    // Each runs one job for the account "teacher" (the check: label) and returns its end report (empty when
    // it did not end).
    JobProbe::Report checkAccount(const QString &label = QStringLiteral("teacher"));
    JobProbe::Report upload(const QString &path, bool isVideo = false, const QString &title = QStringLiteral("Lesson"),
                            const QString &description = QString(), const QStringList &keywords = {});
    // The scheduled form: the stored account, the application text as the folder.
    JobProbe::Report uploadScheduled(const QString &path, bool isVideo = false);
    JobProbe::Report remove(const QString &path);
    // Runs a token request and returns the permission page it opened "in the browser".
    QUrl requestToken(const QString &label = QStringLiteral("teacher"));

    static constexpr const char *kAppText = "Quillo";

    LocalHttpServer server;
    SocialNetworkManager manager;
    MemoryAccountStore *store;
    SNService *handle = nullptr;
    QString serviceName;
    QTemporaryDir folder;
};
