#include "FakeSNService.h"

#include "SNAccessJobListener.h"
#include "SNUploadJobListener.h"
#include "UploadErrorCode.h"

#include <QTimer>

FakeJob::FakeJob(const QList<FakeStep> &script, SNAccessJobListener *listener, QObject *parent)
    : SNJob(listener, parent)
    , m_script(script)
{
    QMetaObject::invokeMethod(this, &FakeJob::play, Qt::QueuedConnection);
}

FakeJob::FakeJob(const QList<FakeStep> &script, SNUploadJobListener *listener, QObject *parent)
    : SNJob(listener, parent)
    , m_script(script)
{
    QMetaObject::invokeMethod(this, &FakeJob::play, Qt::QueuedConnection);
}

void FakeJob::resume()
{
    if (!m_held)
        return;
    m_held = false;
    play();
}

void FakeJob::play()
{
    while (isOpen() && !m_script.isEmpty()) {
        const FakeStep step = m_script.takeFirst();
        switch (step.kind) {
        case FakeStep::CONNECTING:
            reportConnecting();
            break;
        case FakeStep::WORKING:
            reportWorking();
            break;
        case FakeStep::PROGRESS:
            reportProgress(step.value, 100);
            break;
        case FakeStep::FAIL:
            finishFailed(step.value);
            break;
        case FakeStep::COMPLETE:
            finishCompleted(step.result);
            break;
        case FakeStep::UPLOADED:
            finishUploaded(step.id, step.url);
            break;
        case FakeStep::WAIT:
            QTimer::singleShot(step.value, this, &FakeJob::play);
            return;
        case FakeStep::HOLD:
            m_held = true;
            return;
        }
    }
}

FakeSNService::FakeSNService(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
{
    const QList<FakeStep> start{FakeStep::connecting(), FakeStep::working()};
    m_defaults[OP_TOKEN] =
        start
        + QList<FakeStep>{FakeStep::complete({{QStringLiteral("redirect"),
                                               QStringLiteral("https://grant.example.invalid/") + name}})};
    m_defaults[OP_ACCESS] = start + QList<FakeStep>{FakeStep::complete()};
    m_defaults[OP_UPLOAD] = start + QList<FakeStep>{FakeStep::progress(50), FakeStep::uploaded({}, {})};
    m_defaults[OP_REMOVE] = start + QList<FakeStep>{FakeStep::complete()};
}

void FakeSNService::setDefaultScript(Operation operation, const QList<FakeStep> &script)
{
    m_defaults[operation] = script;
}

void FakeSNService::scriptNext(Operation operation, const QList<FakeStep> &script)
{
    m_next[operation].append(script);
}

void FakeSNService::refuseNext(Operation operation, int code)
{
    m_refusals[operation].append(code);
}

QStringList FakeSNService::functionsCalled() const
{
    QStringList names;
    for (const Call &call : m_calls)
        names.append(call.function);
    return names;
}

QList<FakeStep> FakeSNService::takeScript(Operation operation)
{
    QList<FakeStep> script = m_next[operation].isEmpty() ? m_defaults[operation] : m_next[operation].takeFirst();
    // An upload without a scripted id gets one of its own, as every service gives one.
    for (FakeStep &step : script) {
        if (step.kind == FakeStep::UPLOADED && step.id.isEmpty()) {
            ++m_serial;
            step.id = QStringLiteral("%1-%2").arg(m_name).arg(m_serial);
            step.url = QStringLiteral("https://%1.example.invalid/%2").arg(m_name).arg(m_serial);
        }
    }
    return script;
}

int FakeSNService::takeRefusal(Operation operation)
{
    return m_refusals[operation].isEmpty() ? 0 : m_refusals[operation].takeFirst();
}

void FakeSNService::setParameter(const QString &key, const QString &value)
{
    m_calls.append({QStringLiteral("setParameter"), {}, {key, value}, nullptr});
    m_parameters.insert(key, value);
}

AccountRecord FakeSNService::storedAccount()
{
    return m_store.storedAccount(m_name);
}

bool FakeSNService::isAccountUsable(const AccountRecord &account)
{
    return m_usable && !account.userName.isEmpty();
}

void FakeSNService::addAccount(const AccountRecord &account)
{
    m_calls.append({QStringLiteral("addAccount"), account, {}, nullptr});
    m_store.addAccount(m_name, account);
}

void FakeSNService::removeAccount(const AccountRecord &stored, bool)
{
    m_calls.append({QStringLiteral("removeAccount"), stored, {}, nullptr});
    m_store.removeAccount(m_name);
}

int FakeSNService::replaceAccount(const AccountRecord &stored, const AccountRecord &account, int)
{
    m_calls.append({QStringLiteral("replaceAccount"), account, {stored.userName}, nullptr});
    if (m_replaceScripted) {
        if (m_replaceAnswer == 0)
            m_store.addAccount(m_name, account);
        return m_replaceAnswer;
    }
    return m_store.replaceAccount(m_name, account);
}

void FakeSNService::setPassword(const AccountRecord &stored, const QString &password)
{
    m_calls.append({QStringLiteral("setPassword"), stored, {password}, nullptr});
}

int FakeSNService::startAccess(Operation operation, const QString &function, const AccountRecord &account,
                               const QStringList &arguments, SNJob **job, SNAccessJobListener *listener)
{
    m_calls.append({function, account, arguments, nullptr});
    if (!job || !listener)
        return SN_ERR_PROTOCOL;
    if (const int refusal = takeRefusal(operation))
        return refusal;
    auto *fake = new FakeJob(takeScript(operation), listener, this);
    m_calls.last().job = fake;
    m_lastJob = fake;
    *job = fake;
    return 0;
}

int FakeSNService::startUpload(const QString &function, const AccountRecord &account, const QStringList &arguments,
                               SNJob **job, SNUploadJobListener *listener)
{
    m_calls.append({function, account, arguments, nullptr});
    if (!job || !listener)
        return SN_ERR_PROTOCOL;
    if (const int refusal = takeRefusal(OP_UPLOAD))
        return refusal;
    auto *fake = new FakeJob(takeScript(OP_UPLOAD), listener, this);
    m_calls.last().job = fake;
    m_lastJob = fake;
    *job = fake;
    return 0;
}

int FakeSNService::requestToken(AccountRecord *account, SNJob **job, SNAccessJobListener *listener)
{
    if (!account) {
        m_calls.append({QStringLiteral("requestToken"), {}, {}, nullptr});
        return SN_ERR_PROTOCOL;
    }
    return startAccess(OP_TOKEN, QStringLiteral("requestToken"), *account, {}, job, listener);
}

int FakeSNService::startAccessJob(AccountRecord *account, SNJob **job, SNAccessJobListener *listener)
{
    const AccountRecord record = account ? *account : AccountRecord();
    if (!account || refusesUserName(m_name, record.userName)) {
        m_calls.append({QStringLiteral("startAccessJob"), record, {}, nullptr});
        return account ? SN_ERR_CREDENTIALS_REFUSED : SN_ERR_PROTOCOL;
    }
    return startAccess(OP_ACCESS, QStringLiteral("startAccessJob"), record, {}, job, listener);
}

int FakeSNService::uploadFile(AccountRecord *account, const QString &appName, const QString &path, const QString &title,
                              const QString &author, const QString &description, const QStringList &keywords,
                              const QMap<QString, QString> &, SNJob **job, SNUploadJobListener *listener)
{
    if (!account)
        return startUpload(QStringLiteral("uploadFile"), {}, {}, nullptr, listener);
    return startUpload(QStringLiteral("uploadFile"), *account,
                       QStringList{appName, path, title, author, description} + keywords, job, listener);
}

int FakeSNService::uploadVideoFile(AccountRecord *account, const QString &appName, const QString &path,
                                   const QString &title, const QString &author, const QString &description,
                                   const QStringList &keywords, const QMap<QString, QString> &, SNJob **job,
                                   SNUploadJobListener *listener)
{
    if (!account)
        return startUpload(QStringLiteral("uploadVideoFile"), {}, {}, nullptr, listener);
    return startUpload(QStringLiteral("uploadVideoFile"), *account,
                       QStringList{appName, path, title, author, description} + keywords, job, listener);
}

int FakeSNService::uploadImage(const QString &appText, const QString &path, const QString &title, const QString &author,
                               const QString &description, const QStringList &keywords, const QMap<QString, QString> &,
                               SNJob **job, SNUploadJobListener *listener)
{
    return startUpload(QStringLiteral("uploadImage"), storedAccount(),
                       QStringList{appText, path, title, author, description} + keywords, job, listener);
}

int FakeSNService::uploadVideo(const QString &appText, const QString &path, const QString &title, const QString &author,
                               const QString &description, const QStringList &keywords, const QMap<QString, QString> &,
                               SNJob **job, SNUploadJobListener *listener)
{
    return startUpload(QStringLiteral("uploadVideo"), storedAccount(),
                       QStringList{appText, path, title, author, description} + keywords, job, listener);
}

int FakeSNService::removeFile(const QString &path, SNJob **job, SNAccessJobListener *listener)
{
    return startAccess(OP_REMOVE, QStringLiteral("removeFile"), storedAccount(), {path}, job, listener);
}
