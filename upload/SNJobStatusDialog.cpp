#include "SNJobStatusDialog.h"

#include "SNJob.h"

#include <QLabel>
#include <QTimer>

SNJobStatusDialog::SNJobStatusDialog(QWidget *parent, OnDismiss onDismiss, int dismissCode)
    : QDialog(parent, Qt::SplashScreen)
    , m_onDismiss(onDismiss)
    , m_dismissCode(dismissCode)
{
}

void SNJobStatusDialog::placeOver(QWidget *box, const QWidget *anchor)
{
    if (!anchor)
        return;
    const QPoint at = anchor->pos();
    box->move(at.x() + anchor->width() / 2 - box->width() / 2,
              at.y() + static_cast<int>(anchor->height() / 1.6) - box->height() / 2);
}

int SNJobStatusDialog::runJob(const QString &firstStatus)
{
    statusLabel()->setText(firstStatus);
    m_dismissed = false;
    setWindowModality(Qt::ApplicationModal);
    // Shown before exec(): showing a frameless splash-type window processes events, and a start delivered
    // there could end the box before exec() has its loop. Posted only now, the start runs in that loop.
    show();
    QTimer::singleShot(0, this, &SNJobStatusDialog::start);
    return exec();
}

void SNJobStatusDialog::start()
{
    if (m_dismissed || !isVisible())
        return;
    SNJob *job = nullptr;
    jobConnecting(nullptr);
    const int answer = startJob(&job);
    m_job = job;
    if (answer < 0)
        jobFailed(job, answer);
}

void SNJobStatusDialog::jobConnecting(SNJob *job)
{
    if (!takesReport(job))
        return;
    statusLabel()->setText(statusTexts().connecting);
    jobWorking(job);
}

void SNJobStatusDialog::jobWorking(SNJob *job)
{
    if (takesReport(job))
        statusLabel()->setText(statusTexts().working);
}

void SNJobStatusDialog::jobFailed(SNJob *job, int code)
{
    if (takesReport(job))
        statusLabel()->setText(statusTexts().failed);
    finish(job, failureExitCode(code));
}

void SNJobStatusDialog::jobCompleted(SNJob *job, const QMap<QString, QVariant> &result)
{
    if (!takesReport(job)) {
        finish(job, 0);
        return;
    }
    statusLabel()->setText(statusTexts().completed);
    finish(job, completionExitCode(result));
}

bool SNJobStatusDialog::takesReport(SNJob *job) const
{
    return !m_dismissed && (!job || job == m_job);
}

void SNJobStatusDialog::finish(SNJob *job, int code)
{
    if (job)
        job->release();
    const bool ours = !job || job == m_job;
    if (job == m_job)
        m_job = nullptr;
    if (ours && !m_dismissed)
        done(code);
}

void SNJobStatusDialog::reject()
{
    if (m_dismissed)
        return;
    m_dismissed = true;
    if (m_job && m_onDismiss == OnDismiss::CancelJob) {
        // Released as well: nobody waits for the cancelled job's report.
        m_job->cancel();
        m_job->release();
        m_job = nullptr;
    }
    done(m_dismissCode);
}
