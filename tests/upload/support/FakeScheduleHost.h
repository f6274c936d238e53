#pragma once

#include "FakeSNService.h"
#include "ScheduleHost.h"

#include <QList>
#include <QMap>
#include <QStringList>

#include <memory>

// The upload service as scheduled jobs see it, for their tests: a scripted service per service bit, a
// clock that runs with the real one from an offset the test sets, and a record of the four reports.
class FakeScheduleHost : public ScheduleHost
{
public:
    FakeScheduleHost();

    FakeSNService *fake(uint serviceBit) const;
    // Every library call any of the services got, as "<service> <function>".
    QStringList allCalls() const;
    // Moves the clock; it keeps running from there.
    void setClockOffset(qint64 ms) { m_offsetMs = ms; }
    void advanceClock(qint64 ms) { m_offsetMs += ms; }
    // The reports, each as "<what> <bit> <path>[ <id> <url>]".
    QStringList reports() const { return m_reports; }
    void clearReports() { m_reports.clear(); }

    SNService *serviceHandle(uint serviceBit) const override;
    QDateTime currentDateTime() const override;
    void emitUploadSucceeded(uint service, const QString &path, const QString &id, const QString &url) override;
    void emitUploadFailed(uint service, const QString &path) override;
    void emitUploadCancelled(uint service, const QString &path) override;
    void emitUploadRetryTriggered(uint service, const QString &path) override;

private:
    QMap<uint, std::shared_ptr<FakeSNService>> m_services;
    qint64 m_offsetMs = 0;
    QStringList m_reports;
};
