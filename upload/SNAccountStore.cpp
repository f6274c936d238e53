#include "SNAccountStore.h"

#include "UploadErrorCode.h"

SNAccountStore::~SNAccountStore() = default;

qsizetype SNAccountStore::accountIndex(const QString &service) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].kind == SNAccountEntry::KIND_ACCOUNT && m_entries[i].service == service)
            return i;
    }
    return -1;
}

qsizetype SNAccountStore::pendingIndex(const QString &service, const QString &label) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const SNAccountEntry &entry = m_entries[i];
        if (entry.kind == SNAccountEntry::KIND_PENDING_GRANT && entry.service == service && entry.userName == label)
            return i;
    }
    return -1;
}

AccountRecord SNAccountStore::storedAccount(const QString &service) const
{
    const qsizetype index = accountIndex(service);
    if (index < 0)
        return {};
    const SNAccountEntry &entry = m_entries[index];
    return {entry.extra, entry.userName, entry.password};
}

void SNAccountStore::addAccount(const QString &service, const AccountRecord &account)
{
    if (account.userName.isEmpty())
        return;
    storeAccount(service, account);
    save();
}

void SNAccountStore::removeAccount(const QString &service)
{
    const qsizetype index = accountIndex(service);
    if (index < 0)
        return;
    m_entries.removeAt(index);
    save();
}

int SNAccountStore::replaceAccount(const QString &service, const AccountRecord &account)
{
    const qsizetype index = accountIndex(service);
    if (index >= 0 && m_entries[index].userName == account.userName)
        return SN_ERR_SET_PASSWORD_ONLY;
    if (account.userName.isEmpty())
        return 0;
    storeAccount(service, account);
    save();
    return 0;
}

void SNAccountStore::storeAccount(const QString &service, const AccountRecord &account)
{
    const qsizetype index = accountIndex(service);
    if (index >= 0 && m_entries[index].userName == account.userName) {
        if (!account.extra.isNull())
            m_entries[index].extra = account.extra;
        return;
    }
    SNAccountEntry entry{
        service, account.extra, account.userName, QString(kPasswordPlaceholder), SNAccountEntry::KIND_ACCOUNT, {}};
    if (index >= 0) {
        if (entry.extra.isNull())
            entry.extra = m_entries[index].extra;
        m_entries.removeAt(index);
    }
    const qsizetype pending = pendingIndex(service, account.userName);
    if (pending >= 0)
        entry.params = m_entries[pending].params;
    // Grants waiting for other labels of this service were never bound to an account: a new account ends them.
    m_entries.removeIf([&service](const SNAccountEntry &e) {
        return e.kind == SNAccountEntry::KIND_PENDING_GRANT && e.service == service;
    });
    m_entries.append(entry);
}

QMap<QString, QString> SNAccountStore::params(const QString &service, const QString &label) const
{
    const qsizetype index = accountIndex(service);
    if (index >= 0 && m_entries[index].userName == label)
        return m_entries[index].params;
    const qsizetype pending = pendingIndex(service, label);
    return pending >= 0 ? m_entries[pending].params : QMap<QString, QString>();
}

void SNAccountStore::setParams(const QString &service, const QString &label, const QMap<QString, QString> &params)
{
    const qsizetype index = accountIndex(service);
    if (index >= 0 && m_entries[index].userName == label) {
        if (m_entries[index].params == params)
            return;
        m_entries[index].params = params;
    } else {
        const qsizetype pending = pendingIndex(service, label);
        if (pending >= 0 && params.isEmpty())
            m_entries.removeAt(pending);
        else if (pending >= 0)
            m_entries[pending].params = params;
        else if (!params.isEmpty())
            m_entries.append({service, QString(), label, QString(), SNAccountEntry::KIND_PENDING_GRANT, params});
        else
            return;
    }
    save();
}
