#include "FakeScheduleHost.h"

#include "UploadServiceBit.h"

FakeScheduleHost::FakeScheduleHost()
{
    for (const UploadServiceName &entry : kUploadServiceNames)
        m_services.insert(entry.bit, std::make_shared<FakeSNService>(entry.name.toString()));
}

FakeSNService *FakeScheduleHost::fake(uint serviceBit) const
{
    return m_services.value(serviceBit).get();
}

QStringList FakeScheduleHost::allCalls() const
{
    QStringList calls;
    for (const auto &service : m_services) {
        for (const FakeSNService::Call &call : service->calls())
            calls.append(service->name() + QLatin1Char(' ') + call.function);
    }
    return calls;
}

SNService *FakeScheduleHost::serviceHandle(uint serviceBit) const
{
    return fake(serviceBit);
}

QDateTime FakeScheduleHost::currentDateTime() const
{
    return QDateTime::currentDateTime().addMSecs(m_offsetMs);
}

void FakeScheduleHost::emitUploadSucceeded(uint service, const QString &path, const QString &id, const QString &url)
{
    m_reports.append(QStringLiteral("succeeded %1 %2 %3 %4").arg(service).arg(path, id, url));
}

void FakeScheduleHost::emitUploadFailed(uint service, const QString &path)
{
    m_reports.append(QStringLiteral("failed %1 %2").arg(service).arg(path));
}

void FakeScheduleHost::emitUploadCancelled(uint service, const QString &path)
{
    m_reports.append(QStringLiteral("cancelled %1 %2").arg(service).arg(path));
}

void FakeScheduleHost::emitUploadRetryTriggered(uint service, const QString &path)
{
    m_reports.append(QStringLiteral("retry %1 %2").arg(service).arg(path));
}
