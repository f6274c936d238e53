#pragma once

#include "FakeSNService.h"

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
