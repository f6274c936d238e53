#pragma once

#include "SNAccountStore.h"
#include "SNJob.h"
#include "SNService.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class SNAccessJobListener;
class SNUploadJobListener;

// One step of a scripted job.
struct FakeStep
{
    enum Kind { CONNECTING, WORKING, PROGRESS, FAIL, COMPLETE, UPLOADED, WAIT, HOLD };

    Kind kind = CONNECTING;
    int value = 0;
    QString id;
    QString url;
    QMap<QString, QVariant> result;

    static FakeStep connecting() { return make(CONNECTING); }
    static FakeStep working() { return make(WORKING); }
    // Progress as done of 100 bytes.
    static FakeStep progress(int percent) { return make(PROGRESS, percent); }
    static FakeStep fail(int code) { return make(FAIL, code); }
    static FakeStep complete(const QMap<QString, QVariant> &result = {})
    {
        FakeStep step = make(COMPLETE);
        step.result = result;
        return step;
    }
    static FakeStep uploaded(const QString &id, const QString &url)
    {
        FakeStep step = make(UPLOADED);
        step.id = id;
        step.url = url;
        return step;
    }
    // Waits ms milliseconds before the next step.
    static FakeStep wait(int ms) { return make(WAIT, ms); }
    // Waits until the test calls FakeJob::resume().
    static FakeStep hold() { return make(HOLD); }

private:
    static FakeStep make(Kind kind, int value = 0)
    {
        FakeStep step;
        step.kind = kind;
        step.value = value;
        return step;
    }
};

// A job of FakeSNService: it plays its script through the real job rules of SNJob (queued reports, one
// end, cancel, dead listeners, progress), so whatever a test sees of it, the library would do the same.
class FakeJob : public SNJob
{
    Q_OBJECT

public:
    FakeJob(const QList<FakeStep> &script, SNAccessJobListener *listener, QObject *parent);
    FakeJob(const QList<FakeStep> &script, SNUploadJobListener *listener, QObject *parent);

    // Goes on after a hold step.
    void resume();
    bool isHeld() const { return m_held; }
    // The script had steps left when the job ended (it was cancelled or released).
    bool endedEarly() const { return !isOpen() && !m_script.isEmpty(); }

private:
    void play();

    QList<FakeStep> m_script;
    bool m_held = false;
};

// The account store of FakeSNService: the library's account rules, kept in memory.
class MemoryAccountStore : public SNAccountStore
{
public:
    bool load() override { return true; }
    int saveCount() const { return m_saves; }

protected:
    void save() override { ++m_saves; }

private:
    int m_saves = 0;
};

// A scripted stand-in for one service of the upload library, for the tests of the dialogs, the upload
// manager and the upload service. Each operation plays a script (a default one, or one queued for the next
// job); a job start can be refused at once with a code; every call is recorded. Jobs keep the library's
// rules because they run on SNJob. Accounts follow the library's rules too (MemoryAccountStore); whether a
// stored account is usable is set by the test.
class FakeSNService : public QObject, public SNService
{
    Q_OBJECT

public:
    enum Operation { OP_TOKEN, OP_ACCESS, OP_UPLOAD, OP_REMOVE };

    struct Call
    {
        // The SNService function's name: "requestToken", "uploadImage", "addAccount", ...
        QString function;
        AccountRecord account;
        // The texts passed, in order (path, title, ... or key and value).
        QStringList arguments;
        QPointer<FakeJob> job;
    };

    explicit FakeSNService(const QString &name, QObject *parent = nullptr);

    // The script of every job of the operation that has no script of its own.
    void setDefaultScript(Operation operation, const QList<FakeStep> &script);
    // The script of the next job of the operation.
    void scriptNext(Operation operation, const QList<FakeStep> &script);
    // The next start of the operation answers code at once and starts nothing.
    void refuseNext(Operation operation, int code);
    void setAccountUsable(bool usable) { m_usable = usable; }
    // What replaceAccount answers, instead of the library's rule.
    void setReplaceAnswer(int answer)
    {
        m_replaceAnswer = answer;
        m_replaceScripted = true;
    }

    QList<Call> calls() const { return m_calls; }
    QStringList functionsCalled() const;
    FakeJob *lastJob() const { return m_lastJob; }
    QMap<QString, QString> parameters() const { return m_parameters; }
    int releaseCount() const { return m_releases; }
    MemoryAccountStore &store() { return m_store; }

    QString name() const override { return m_name; }
    void release() override { ++m_releases; }
    void setParameter(const QString &key, const QString &value) override;
    AccountRecord storedAccount() override;
    bool isAccountUsable(const AccountRecord &account) override;
    void addAccount(const AccountRecord &account) override;
    void removeAccount(const AccountRecord &stored, bool removeOnline) override;
    int replaceAccount(const AccountRecord &stored, const AccountRecord &account, int flags) override;
    void setPassword(const AccountRecord &stored, const QString &password) override;
    int requestToken(AccountRecord *account, SNJob **job, SNAccessJobListener *listener) override;
    int startAccessJob(AccountRecord *account, SNJob **job, SNAccessJobListener *listener) override;
    int uploadFile(AccountRecord *account, const QString &appName, const QString &path, const QString &title,
                   const QString &author, const QString &description, const QStringList &keywords,
                   const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener) override;
    int uploadVideoFile(AccountRecord *account, const QString &appName, const QString &path, const QString &title,
                        const QString &author, const QString &description, const QStringList &keywords,
                        const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener) override;
    int uploadImage(const QString &appText, const QString &path, const QString &title, const QString &author,
                    const QString &description, const QStringList &keywords, const QMap<QString, QString> &extra,
                    SNJob **job, SNUploadJobListener *listener) override;
    int uploadVideo(const QString &appText, const QString &path, const QString &title, const QString &author,
                    const QString &description, const QStringList &keywords, const QMap<QString, QString> &extra,
                    SNJob **job, SNUploadJobListener *listener) override;
    int removeFile(const QString &path, SNJob **job, SNAccessJobListener *listener) override;

private:
    QList<FakeStep> takeScript(Operation operation);
    int takeRefusal(Operation operation);
    int startAccess(Operation operation, const QString &function, const AccountRecord &account,
                    const QStringList &arguments, SNJob **job, SNAccessJobListener *listener);
    int startUpload(const QString &function, const AccountRecord &account, const QStringList &arguments, SNJob **job,
                    SNUploadJobListener *listener);

    QString m_name;
    MemoryAccountStore m_store;
    QMap<Operation, QList<FakeStep>> m_defaults;
    QMap<Operation, QList<QList<FakeStep>>> m_next;
    QMap<Operation, QList<int>> m_refusals;
    QList<Call> m_calls;
    QPointer<FakeJob> m_lastJob;
    QMap<QString, QString> m_parameters;
    bool m_usable = true;
    int m_replaceAnswer = 0;
    bool m_replaceScripted = false;
    int m_releases = 0;
    int m_serial = 0;
};
