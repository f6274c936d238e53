#pragma once

#include "AccountRecord.h"
#include "SNUploadJobListener.h"
#include "UploadResult.h"

#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QStringList>

class SNJob;
class SNService;
class UploadProgressBar;

// Uploads one file to one service for an UploadProgressBar: run() starts the library's job and waits for
// its end in a loop that keeps the window responsive. The process belongs to nobody but itself: once run()
// has returned it touches its dialog no more, and it deletes itself when its job can no longer report to
// it (at once when there is no open job, else on the job's end report or when the job is freed), so a
// dialog destroyed right after the upload leaves nothing behind that the library could still call.
class UploadProcess : public QObject, public SNUploadJobListener
{
    Q_OBJECT

public:
    UploadProcess(SNService *service, UploadProgressBar *progressBar, uint serviceBit);
    ~UploadProcess() override;

    // Uploads and returns the outcome, then hands the process over to its job (see above): the caller must
    // not use it afterwards.
    UploadResult run(const AccountRecord &account, const QString &appName, const QString &filePath,
                     const QString &title, const QString &author, const QString &description,
                     const QStringList &keywords, bool isVideo);

    void jobConnecting(SNJob *job) override;
    void jobWorking(SNJob *job) override;
    void jobFailed(SNJob *job, int errorCode) override;
    void jobCompleted(SNJob *job, const QMap<QString, QVariant> &result) override;
    void uploadedCompleted(SNJob *job, const QString &id, const QString &url) override;
    void uploadProgress(SNJob *job, int kilobytes, int percent) override;

public Q_SLOTS:
    // The user cancelled: the wait ends at once and the job is cancelled.
    void reject();

private:
    void jobEnded();

    QPointer<SNJob> m_job;
    QEventLoop m_loop;
    SNService *m_service;
    UploadProgressBar *m_progressBar;
    uint m_serviceBit;
    UploadResult m_result;
    // The media's title, for the progress text.
    QString m_title;
    bool m_jobOpen = false;
    bool m_runReturned = false;
};
