#include "UploadImpl.h"

#include "AccountFileKey.h"
#include "HiddenFileList.h"
#include "RC4SimpleSNAccountFileStore.h"
#include "SNService.h"
#include "SocialNetworkManager.h"
#include "UploadServiceBit.h"
#include "UploadServiceParameters.h"

namespace {

// Seconds without a byte moving before a scheduled upload fails, and scheduled uploads running at once.
constexpr int kStallSeconds = 100;
constexpr int kConcurrentTransfers = 5;

qsizetype slotOf(uint serviceBit)
{
    for (qsizetype i = 0; i < qsizetype(kUploadServiceNames.size()); ++i) {
        if (kUploadServiceNames[i].bit == serviceBit)
            return i;
    }
    return -1;
}

} // namespace

UploadImpl::UploadImpl(SocialNetworkManager *manager, const QString &dataFolder)
    : m_manager(manager)
{
    const QString accountFile = dataFolder + QStringLiteral("/SNAccountFile.dat");
    // Kept out of the user's sight in file managers; best effort, and before the first start's save there is
    // no folder to list it in yet.
    HiddenFileList::markHidden(accountFile);
    m_manager->setStartupValues(kStallSeconds, kConcurrentTransfers);
    auto *store = new RC4SimpleSNAccountFileStore(accountFile, accountFileKey());
    store->setFallbackKeys(AccountFileKey::fallbackKeys());
    m_manager->setAccountStore(store);
    store->load();

    for (qsizetype i = 0; i < qsizetype(kUploadServiceNames.size()); ++i)
        m_handles[i] = m_manager->service(kUploadServiceNames[i].name.toString());
    for (qsizetype i = 0; i < qsizetype(m_handles.size()); ++i) {
        if (m_handles[i])
            m_accountCache[i] = m_handles[i]->storedAccount();
    }
    const QList<UploadServiceParameters::Parameter> parameters = UploadServiceParameters::all();
    for (const UploadServiceParameters::Parameter &parameter : parameters) {
        if (SNService *handle = serviceHandle(uploadServiceBit(parameter.service)))
            handle->setParameter(parameter.key, parameter.value);
    }
}

UploadImpl::~UploadImpl()
{
    m_manager->shutdown();
    for (const uint bit : {SERVICE_YOUTUBE, SERVICE_PICASA, SERVICE_FACEBOOK, SERVICE_TWITPIC, SERVICE_DROPBOX}) {
        if (SNService *handle = serviceHandle(bit))
            handle->release();
    }
}

SNService *UploadImpl::serviceHandle(uint serviceBit) const
{
    const qsizetype slot = slotOf(serviceBit);
    return slot < 0 ? nullptr : m_handles[slot];
}

AccountRecord *UploadImpl::cachedAccount(uint serviceBit)
{
    const qsizetype slot = slotOf(serviceBit);
    return slot < 0 ? nullptr : &m_accountCache[slot];
}

QByteArray UploadImpl::accountFileKey()
{
    return AccountFileKey::build();
}

void UploadImpl::emitUploadSucceeded(uint service, const QString &path, const QString &id, const QString &url)
{
    Q_EMIT uploadSucceeded(service, path, id, url);
}

void UploadImpl::emitUploadFailed(uint service, const QString &path)
{
    Q_EMIT uploadFailed(service, path);
}

void UploadImpl::emitUploadCancelled(uint service, const QString &path)
{
    Q_EMIT uploadCancelled(service, path);
}

void UploadImpl::emitUploadRetryTriggered(uint service, const QString &path)
{
    Q_EMIT uploadRetryTriggered(service, path);
}
