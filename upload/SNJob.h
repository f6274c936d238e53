#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>

class SNAccessJobListener;
class SNUploadJobListener;

// One job of the upload library, as its callers see it, and the rules every job keeps whatever does the
// work behind it:
// - every report reaches the listener on the GUI thread through the event loop, one report per event-loop
//   turn, never from inside the call that started the job and never inside another report of the same job;
// - exactly one end report: jobFailed or jobCompleted, for uploads jobFailed or uploadedCompleted; once the
//   end is decided every later event of the work is dropped;
// - cancel() of an open job drops the reports still queued and ends it with jobFailed(SN_ERR_CANCELLED);
// - upload progress only rises, stays below 100 while the transfer runs and reaches 100 exactly once,
//   just before uploadedCompleted (also for a file too small to show any progress);
// - a listener that is a QObject and has been destroyed gets nothing more.
// The job frees itself once its end is out and either its caller released it or its listener is gone; the
// manager frees what is left at shutdown.
class SNJob : public QObject
{
    Q_OBJECT

public:
    // Ends an open job with jobFailed(SN_ERR_CANCELLED). Does nothing once the end is decided.
    void cancel();
    // The caller is done with the job. An open job is stopped without any further report.
    void release();

    bool isOpen() const { return !m_endDecided; }

protected:
    SNJob(SNAccessJobListener *listener, QObject *parent);
    SNJob(SNUploadJobListener *listener, QObject *parent);
    ~SNJob() override;

    void reportConnecting();
    void reportWorking();
    // done of total bytes taken by the service; shown below 100 until the upload has succeeded.
    void reportProgress(qint64 done, qint64 total);
    void finishFailed(int code);
    void finishCompleted(const QMap<QString, QVariant> &result);
    void finishUploaded(const QString &id, const QString &url);
    // Ends an open job without any report (the program is closing).
    void endSilently();

    // Stops the work and frees what it holds (connections, files, timers). Called once, as soon as the end
    // is decided, whether by the work itself, by cancel() or by release().
    virtual void endWork() {}

private:
    using Call = std::function<void(SNAccessJobListener *, SNUploadJobListener *)>;
    struct Report
    {
        quint64 epoch;
        Call call;
        bool isEnd;
    };

    void attachListener(QObject *listenerObject);
    void post(Call call, bool isEnd);
    void scheduleDelivery();
    void deliverOne();
    void decideEnd();
    bool listenerGone() const;
    void freeWhenDone();

    SNAccessJobListener *m_listener;
    SNUploadJobListener *m_uploadListener;
    // Tracks a listener that is a QObject; without one the listener is trusted to outlive the job.
    QPointer<QObject> m_listenerObject;
    bool m_listenerIsObject = false;
    // Set by the listener's destroyed(), which a widget emits before its guards are cleared.
    bool m_listenerDestroyed = false;
    QList<Report> m_reports;
    // Raised by cancel() so that reports queued before it are dropped.
    quint64 m_epoch = 0;
    bool m_endDecided = false;
    bool m_endDelivered = false;
    bool m_released = false;
    bool m_deliveryPosted = false;
    bool m_delivering = false;
    int m_lastPercent = -1;
    qint64 m_lastTotal = 0;
};
