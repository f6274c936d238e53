#pragma once

#include "AccountRecord.h"
#include "SNAccountEntry.h"

#include <QList>
#include <QMap>
#include <QString>

// Keeps the accounts of every service and the grants the services gave for them, and writes every change
// through save(). One stored account per service; the label it is stored under (its user name) also names
// its grant. A grant received for a label that no stored account carries waits as a pending grant until an
// account is stored under that label. Passwords are never kept: every account holds the placeholder.
class SNAccountStore
{
public:
    static constexpr QLatin1StringView kPasswordPlaceholder{"password"};

    virtual ~SNAccountStore();

    // Reads the accounts from where the store keeps them; false when they could not be read.
    virtual bool load() = 0;

    // The service's stored account; an empty user name when there is none.
    AccountRecord storedAccount(const QString &service) const;
    // Stores the account as the service's only one. Stored again under the same label it keeps its grant
    // (and its extra when the new extra is null); under another label it takes the grant waiting for that
    // label, if any. An empty user name changes nothing.
    void addAccount(const QString &service, const AccountRecord &account);
    // Forgets the service's stored account and its grant.
    void removeAccount(const QString &service);
    // SN_ERR_SET_PASSWORD_ONLY when the new account has the stored account's label: nothing changes, grant
    // and extra are kept, and the caller may set the password. Otherwise the new account replaces the stored
    // one as addAccount does, and the result is 0.
    int replaceAccount(const QString &service, const AccountRecord &account);

    // The grant and account data kept for a label: the stored account's when it carries the label, else the
    // pending grant's; empty when there is neither.
    QMap<QString, QString> params(const QString &service, const QString &label) const;
    // Replaces what params() reads; kept as a pending grant when no stored account carries the label. An
    // empty map removes a pending grant.
    void setParams(const QString &service, const QString &label, const QMap<QString, QString> &params);

    QList<SNAccountEntry> entries() const { return m_entries; }

protected:
    // Called after every change.
    virtual void save() = 0;
    void setEntries(const QList<SNAccountEntry> &entries) { m_entries = entries; }

private:
    qsizetype accountIndex(const QString &service) const;
    qsizetype pendingIndex(const QString &service, const QString &label) const;
    void storeAccount(const QString &service, const AccountRecord &account);

    QList<SNAccountEntry> m_entries;
};
