#pragma once

#include "AccountRecord.h"
#include "UploadResult.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>

class QWidget;

// The upload service: publishes images and videos to the online services, keeps their accounts and the
// schedule of queued jobs. Services are named by one bit each (1, 2, 4, 8, 16); a set of them is the OR of
// their bits. Reach it through UploadAccess; release() does nothing, the service lives until the program ends.
class UploadIntf : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void release() = 0;
    virtual bool reloadAccount(uint service) = 0;
    virtual AccountRecord account(uint service) = 0;
    virtual int checkAccountName(uint service, AccountRecord account) = 0;
    virtual int setAccount(uint service, AccountRecord account) = 0;
    virtual bool validateAccounts(QMap<uint, AccountRecord> accounts, QWidget *parent) = 0;
    virtual bool showAccountSetting(uint service, QWidget *parent) = 0;
    virtual bool verifyAccess(uint service, QWidget *parent) = 0;
    virtual int checkImageUploadInputs(uint serviceMask, QString path, QString title, QString author,
                                       QString description, QStringList keywords) = 0;
    virtual int uploadImageNow(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords, QList<UploadResult> &results) = 0;
    virtual int queueImageUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author,
                                 QString description, QStringList keywords) = 0;
    virtual int checkVideoUploadInputs(uint serviceMask, QString path, QString title, QString author,
                                       QString description, QStringList keywords) = 0;
    virtual int uploadVideoNow(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords, QList<UploadResult> &results) = 0;
    virtual int queueVideoUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author,
                                 QString description, QStringList keywords) = 0;
    // Walks the map in ascending bit order and withdraws each online copy named by its identifier.
    virtual void removeUploadedFiles(QMap<uint, QString> idsByService) = 0;
    virtual void showUploadManager() = 0;
    // 0 when nothing is queued or uploading, else the user's answer: 1000 yes, -3000 no, -1 closed.
    virtual int confirmExit() = 0;

Q_SIGNALS:
    void uploadSucceeded(uint service, QString path, QString id, QString url);
    void uploadFailed(uint service, QString path);
    void uploadCancelled(uint service, QString path);
    void uploadRetryTriggered(uint service, QString path);
};
