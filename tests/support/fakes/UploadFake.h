#pragma once

#include "CallRecorder.h"
#include "UploadIntf.h"

// The upload service for window tests (see CallRecorder for calls and answers). It binds itself with
// UploadAccess::setProvider while it lives, so code that reaches the service through UploadAccess finds
// it. uploadImageNow and uploadVideoNow fill their results from "uploadImageNow.results" /
// "uploadVideoNow.results" (a QList<UploadResult> in the QVariant). Parent widgets are recorded as
// QWidget pointers. A test emits the service's signals itself.
class UploadFake : public UploadIntf, public CallRecorder
{
    Q_OBJECT

public:
    UploadFake();
    ~UploadFake() override;

    void release() override;
    bool reloadAccount(uint service) override;
    AccountRecord account(uint service) override;
    int checkAccountName(uint service, AccountRecord account) override;
    int setAccount(uint service, AccountRecord account) override;
    bool validateAccounts(QMap<uint, AccountRecord> accounts, QWidget *parent) override;
    bool showAccountSetting(uint service, QWidget *parent) override;
    bool verifyAccess(uint service, QWidget *parent) override;
    int checkImageUploadInputs(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords) override;
    int uploadImageNow(uint serviceMask, QString path, QString title, QString author, QString description,
                       QStringList keywords, QList<UploadResult> &results) override;
    int queueImageUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author, QString description,
                         QStringList keywords) override;
    int checkVideoUploadInputs(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords) override;
    int uploadVideoNow(uint serviceMask, QString path, QString title, QString author, QString description,
                       QStringList keywords, QList<UploadResult> &results) override;
    int queueVideoUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author, QString description,
                         QStringList keywords) override;
    void removeUploadedFiles(QMap<uint, QString> idsByService) override;
    void showUploadManager() override;
    int confirmExit() override;

private:
    int uploadNow(const char *name, const char *resultsKey, const QVariantList &args, QList<UploadResult> &results);
};
