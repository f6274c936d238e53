#pragma once

#include "AccountRecord.h"
#include "FakeSNService.h"
#include "LocalHttpServer.h"
#include "SNTimings.h"
#include "SampleServiceEmulation.h"
#include "SocialNetworkManager.h"

#include <QString>
#include <QTemporaryDir>

class SNService;

// Everything an engine test needs: the local server with the sample service on it, a manager of its own
// with an account store in memory, the sample provider registered as "sample" and pointed at the server,
// and short waits. Server first, so that the manager goes (and lets go of its connections) before it.
class SampleRig
{
public:
    static constexpr const char *kService = "sample";

    SampleRig();

    // Waits of a few milliseconds, so that back-offs, stalls and polls do not slow the tests down.
    static SNTimings quickTimings();

    // Stores an account under label with a grant the server accepts.
    AccountRecord addGrantedAccount(const QString &label = QStringLiteral("teacher"), int lifetimeSeconds = 3600);
    // A file of size pseudo-random bytes in the rig's folder.
    QString writeFile(const QString &name, qint64 size);
    // Runs an account check of "teacher" while the server answers method and path with fault (an answer
    // that never ends or never finishes) under the answer deadline given, and checks that it ends soon with
    // code while the memory stays within kAnswerMemoryBound; the figures go to the test's output.
    void checkBoundedAnswer(const QByteArray &method, const QString &path, const HttpFault &fault, int deadlineMs,
                            int code);

    // The largest answer the engine keeps (4 MiB), Qt's read buffer and the socket's, with room for the
    // allocator; unbounded, such an answer grows the process by hundreds of megabytes a second.
    static constexpr qint64 kAnswerMemoryBound = 32 * 1024 * 1024;

    LocalHttpServer server;
    SampleServiceEmulation service;
    SocialNetworkManager manager;
    MemoryAccountStore *store;
    SNService *handle = nullptr;
    QTemporaryDir folder;
};
