#include "UploadFake.h"

#include "UploadAccess.h"

#include <QWidget>

UploadFake::UploadFake()
{
    UploadAccess::setProvider([this] { return this; });
}

UploadFake::~UploadFake()
{
    if (UploadAccess::service() == this)
        UploadAccess::setProvider({});
}

void UploadFake::release()
{
    record("release");
}
bool UploadFake::reloadAccount(uint service)
{
    return respond<bool>("reloadAccount", {service});
}
AccountRecord UploadFake::account(uint service)
{
    return respond<AccountRecord>("account", {service});
}

int UploadFake::checkAccountName(uint service, AccountRecord account)
{
    return respond<int>("checkAccountName", {service, QVariant::fromValue(account)});
}

int UploadFake::setAccount(uint service, AccountRecord account)
{
    return respond<int>("setAccount", {service, QVariant::fromValue(account)});
}

bool UploadFake::validateAccounts(QMap<uint, AccountRecord> accounts, QWidget *parent)
{
    return respond<bool>("validateAccounts", {QVariant::fromValue(accounts), QVariant::fromValue(parent)});
}

bool UploadFake::showAccountSetting(uint service, QWidget *parent)
{
    return respond<bool>("showAccountSetting", {service, QVariant::fromValue(parent)});
}

bool UploadFake::verifyAccess(uint service, QWidget *parent)
{
    return respond<bool>("verifyAccess", {service, QVariant::fromValue(parent)});
}

int UploadFake::checkImageUploadInputs(uint serviceMask, QString path, QString title, QString author,
                                       QString description, QStringList keywords)
{
    return respond<int>("checkImageUploadInputs", {serviceMask, path, title, author, description, keywords});
}

int UploadFake::uploadImageNow(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords, QList<UploadResult> &results)
{
    return uploadNow("uploadImageNow", "uploadImageNow.results",
                     {serviceMask, path, title, author, description, keywords}, results);
}

int UploadFake::queueImageUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author,
                                 QString description, QStringList keywords)
{
    return respond<int>("queueImageUpload", {QVariant::fromValue(times), path, title, author, description, keywords});
}

int UploadFake::checkVideoUploadInputs(uint serviceMask, QString path, QString title, QString author,
                                       QString description, QStringList keywords)
{
    return respond<int>("checkVideoUploadInputs", {serviceMask, path, title, author, description, keywords});
}

int UploadFake::uploadVideoNow(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords, QList<UploadResult> &results)
{
    return uploadNow("uploadVideoNow", "uploadVideoNow.results",
                     {serviceMask, path, title, author, description, keywords}, results);
}

int UploadFake::queueVideoUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author,
                                 QString description, QStringList keywords)
{
    return respond<int>("queueVideoUpload", {QVariant::fromValue(times), path, title, author, description, keywords});
}

void UploadFake::removeUploadedFiles(QMap<uint, QString> idsByService)
{
    record("removeUploadedFiles", {QVariant::fromValue(idsByService)});
}

int UploadFake::uploadNow(const char *name, const char *resultsKey, const QVariantList &args,
                          QList<UploadResult> &results)
{
    const int result = respond<int>(name, args);
    results = answer<QList<UploadResult>>(resultsKey, args);
    return result;
}

void UploadFake::showUploadManager()
{
    record("showUploadManager");
}
int UploadFake::confirmExit()
{
    return respond<int>("confirmExit");
}
