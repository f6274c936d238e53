#pragma once

#include "SNAccessJobListener.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class SNJob;

// A small frameless box with one status line that runs one job of the upload library modally and ends
// with the job's outcome. The job is started from the box's own running loop, never while the box is being
// shown or before exec(): a start the library refuses at once ends the box, and done() before the loop
// exists would leave exec() waiting for good. What a dismissal (Escape, closing) does to the job is the
// subclass's choice; reports that come after it are dropped.
class SNJobStatusDialog : public QDialog, public SNAccessJobListener
{
    Q_OBJECT

public:
    void reject() override;

    void jobConnecting(SNJob *job) override;
    void jobWorking(SNJob *job) override;
    void jobFailed(SNJob *job, int code) override;
    void jobCompleted(SNJob *job, const QMap<QString, QVariant> &result) override;

    // Places box centred horizontally over anchor with its centre at 1/1.6 of anchor's height, as every
    // small progress box of the upload area sits over the window that opened it.
    static void placeOver(QWidget *box, const QWidget *anchor);

protected:
    enum class OnDismiss { CancelJob, LetJobFinish };

    // The status line through a job: on connecting, while working, after a failure and after completion.
    struct StatusTexts
    {
        QString connecting;
        QString working;
        QString failed;
        QString completed;
    };

    SNJobStatusDialog(QWidget *parent, OnDismiss onDismiss, int dismissCode);

    // Sets the first status and runs the box until the job's end or a dismissal; returns the exit code.
    int runJob(const QString &firstStatus);
    // Starts the job (writing it to *job) and answers the library's result.
    virtual int startJob(SNJob **job) = 0;
    virtual QLabel *statusLabel() const = 0;
    virtual StatusTexts statusTexts() const = 0;
    // The exit code after a failure with code.
    virtual int failureExitCode(int code) const { return code; }
    // Acts on the completion report and answers the exit code.
    virtual int completionExitCode(const QMap<QString, QVariant> &result)
    {
        Q_UNUSED(result);
        return 0;
    }

private:
    void start();
    // True when a report of job is this box's to show: it is its job and the box was not dismissed.
    bool takesReport(SNJob *job) const;
    // The job's end: the job is given back and, unless the box was dismissed, the box ends with code.
    void finish(SNJob *job, int code);

    QPointer<SNJob> m_job;
    const OnDismiss m_onDismiss;
    const int m_dismissCode;
    bool m_dismissed = false;
};
