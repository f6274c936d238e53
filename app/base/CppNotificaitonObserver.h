#pragma once

#include <QString>

// Receives named system notifications once registered with addNotificationObserver (OsHelpers.h).
class CppNotificaitonObserver
{
public:
    virtual ~CppNotificaitonObserver() = default;
    virtual void notificationReceived(const QString &name) = 0;
};
