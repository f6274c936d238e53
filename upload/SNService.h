#pragma once

#include "AccountRecord.h"

#include <QMap>
#include <QString>
#include <QStringList>

class SNAccessJobListener;
class SNJob;
class SNUploadJobListener;

// One online service of the upload library, as the program holds it: its stored account and the jobs that
// check an account, ask for a grant, upload and remove files. The manager keeps the handle for the whole
// run; release() only says the holder is done with it.
//
// Every job start writes the new job to *job before it returns and answers 0, or answers a negative
// UploadErrorCode and starts nothing; the latter is kept for missing arguments and for a video-sharing user
// name holding "@". Everything else, a missing grant and a service that no longer exists included, starts a
// job that fails through its listener on the next turn of the event loop.
class SNService
{
public:
    virtual ~SNService();

    virtual QString name() const = 0;
    virtual void release() = 0;
    virtual void setParameter(const QString &key, const QString &value) = 0;

    // An empty user name when there is none.
    virtual AccountRecord storedAccount() = 0;
    // True when the account has a user name, a grant for it is kept and the service still exists.
    virtual bool isAccountUsable(const AccountRecord &account) = 0;
    virtual void addAccount(const AccountRecord &account) = 0;
    virtual void removeAccount(const AccountRecord &stored, bool removeOnline) = 0;
    // SN_ERR_SET_PASSWORD_ONLY when the account keeps the stored account's user name (its grant and extra stay);
    // otherwise the new account replaces the stored one and the result is 0.
    virtual int replaceAccount(const AccountRecord &stored, const AccountRecord &account, int flags) = 0;
    virtual void setPassword(const AccountRecord &stored, const QString &password) = 0;

    // Completes with {"redirect": the address of the permission page}.
    virtual int requestToken(AccountRecord *account, SNJob **job, SNAccessJobListener *listener) = 0;
    virtual int startAccessJob(AccountRecord *account, SNJob **job, SNAccessJobListener *listener) = 0;
    // Immediate uploads for the given account.
    virtual int uploadFile(AccountRecord *account, const QString &appName, const QString &path, const QString &title,
                           const QString &author, const QString &description, const QStringList &keywords,
                           const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener) = 0;
    virtual int uploadVideoFile(AccountRecord *account, const QString &appName, const QString &path,
                                const QString &title, const QString &author, const QString &description,
                                const QStringList &keywords, const QMap<QString, QString> &extra, SNJob **job,
                                SNUploadJobListener *listener) = 0;
    // Scheduled uploads for the stored account.
    virtual int uploadImage(const QString &appText, const QString &path, const QString &title, const QString &author,
                            const QString &description, const QStringList &keywords,
                            const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener) = 0;
    virtual int uploadVideo(const QString &appText, const QString &path, const QString &title, const QString &author,
                            const QString &description, const QStringList &keywords,
                            const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener) = 0;
    virtual int removeFile(const QString &path, SNJob **job, SNAccessJobListener *listener) = 0;

    // The one refusal given at once: the video-sharing service does not take a user name with "@".
    static bool refusesUserName(const QString &serviceName, const QString &userName);
};
