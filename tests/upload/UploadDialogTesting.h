#pragma once

#include "DropboxProvider.h"
#include "DropboxServiceEmulation.h"
#include "FakeSNService.h"
#include "ProviderRig.h"

#include <QTimer>

#include <functional>

// Runs action from whatever event loop runs meanwhile (a dialog's modal loop, a check's wait) once the
// service's latest job stands at a hold step of its script.
inline void whenHeld(FakeSNService &service, std::function<void()> action)
{
    auto *poll = new QTimer(&service);
    // Short enough that a test waits no noticeable time, long enough not to spin.
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, &service, [poll, &service, action] {
        if (!service.lastJob() || !service.lastJob()->isHeld())
            return;
        poll->stop();
        poll->deleteLater();
        action();
    });
    poll->start();
}

inline QList<FakeStep> heldThen(const FakeStep &end)
{
    return {FakeStep::connecting(), FakeStep::working(), FakeStep::hold(), end};
}

// The real file-hosting provider against its emulation on the local server, for the dialogs' tests that
// go through a real service.
struct DropboxRig
{
    DropboxRig()
        : rig(QStringLiteral("dropboxOAuth"), [] { return std::make_unique<DropboxProvider>(); },
              {QStringLiteral("auth"), QStringLiteral("token"), QStringLiteral("api"), QStringLiteral("content")})
        , emulation(rig.server)
    {
        rig.handle->setParameter(QStringLiteral("consumer_key"),
                                 QString::fromLatin1(DropboxServiceEmulation::kClientId));
    }
    // Stores the account "teacher" with a grant the emulated service accepts.
    void grant() { rig.addGrantedAccount(emulation.oauth(), QString::fromLatin1(DropboxServiceEmulation::kClientId)); }

    ProviderRig rig;
    DropboxServiceEmulation emulation;
};
