#pragma once

#include "SNUploadJobListener.h"

#include <QDataStream>
#include <QDateTime>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QRecursiveMutex>
#include <QString>
#include <QStringList>
#include <QTimer>

class ScheduleHost;
class SNJob;

// The states of a scheduled upload as the schedule file stores them. Queued and Uploading are pending;
// the other three are finished.
enum UploadJobState : int {
    JOB_QUEUED = 1,
    JOB_UPLOADING = 2,
    JOB_CANCELED = 3,
    JOB_FAILED = 4,
    JOB_SUCCEEDED = 5,
};

// One queued upload of one media file to one online service at a chosen time. It waits for its time, runs
// the upload through the library with itself as the listener, and reports progress and its end through
// signals; it also watches for the media file's thumbnail so that its row can show it.
//
// Its record in the schedule file is, in this order and in the stream's own encodings: path, service bit
// (qint32), video flag (bool), start time, title, author, description, keywords (QStringList), state
// (qint32), the uploaded copy's address (a null string until it succeeded). The stream must use
// kRecordStreamVersion, which is what every schedule file ever written was read and written with.
class ScheduleItem : public QObject, public SNUploadJobListener
{
    Q_OBJECT

public:
    static constexpr QDataStream::Version kRecordStreamVersion = QDataStream::Qt_4_8;
    // The longest the start timer is armed for before the wall clock is looked at again: a timer would
    // overflow for a job weeks ahead, and the monotonic timers stop while the machine sleeps, so a job
    // must not wait on one long interval. A minute keeps a job at most a minute late after a resume.
    static constexpr qint64 kLongestArmMs = 60 * 1000;
    // How often a missing thumbnail is looked for again.
    static constexpr int kThumbnailPollMs = 1500;
    static constexpr int kThumbnailSide = 70;

    ScheduleItem(ScheduleHost *host, const QString &path, int service, bool isVideo, const QDateTime &time,
                 const QString &title, const QString &author, const QString &description, const QStringList &keywords);
    // Reads one record. A record cut short or with a state outside the five leaves isValid() false; the
    // stream's status tells whether reading may go on.
    ScheduleItem(ScheduleHost *host, QDataStream &stream);
    ~ScheduleItem() override;

    bool isValid() const { return m_valid; }
    QString path() const { return m_path; }
    int service() const { return m_service; }
    bool isVideo() const { return m_isVideo; }
    QDateTime time() const { return m_time; }
    QString title() const { return m_title; }
    QString author() const { return m_author; }
    QString description() const { return m_description; }
    QStringList keywords() const { return m_keywords; }
    int state() const { return m_state; }
    QString result() const { return m_result; }
    int errorCode() const { return m_errorCode; }
    bool isPending() const { return m_state == JOB_QUEUED || m_state == JOB_UPLOADING; }
    // The time left on the start timer; -1 when it is not armed.
    int armedInterval() const;

    void jobConnecting(SNJob *job) override;
    void jobWorking(SNJob *job) override;
    void jobFailed(SNJob *job, int code) override;
    void jobCompleted(SNJob *job, const QMap<QString, QVariant> &result) override;
    void uploadedCompleted(SNJob *job, const QString &id, const QString &url) override;
    void uploadProgress(SNJob *job, int kilobytes, int percent) override;

    virtual void write(QDataStream &stream);
    // Queues a waiting or failed job again at time with new texts; a cancelled or finished job stays as
    // it is.
    virtual void reschedule(const QDateTime &time, const QString &title, const QString &author,
                            const QString &description, const QStringList &keywords);
    // Arms the start: an upload at once when the time has come, else the timer.
    virtual void start();
    virtual void cancel();
    // The retry of a cancelled or failed job.
    virtual void uploadNow();

    // The media file's thumbnail within 70 x 70, or the placeholder of its kind while there is none (then
    // polling starts).
    QImage thumbnail();

Q_SIGNALS:
    void progressUpdated(ScheduleItem *item, int percent);
    void succeeded(ScheduleItem *item, QString id, QString url);
    void failed(ScheduleItem *item);
    void generateThumbnail(ScheduleItem *item);

public Q_SLOTS:
    virtual void startToUpload();
    void pollingThumbnail();

private Q_SLOTS:
    // The start timer: uploads once the wall clock reached the time, else waits another step.
    void startTimerFired();

private:
    void connectTimers();
    void armStart();
    // Lets go of the library's job; its later reports are not ours any more.
    void dropJob();
    QString thumbnailFile() const;

    ScheduleHost *m_host;
    QString m_path;
    int m_service = 0;
    bool m_isVideo = false;
    QDateTime m_time;
    QString m_title;
    QString m_author;
    QString m_description;
    QStringList m_keywords;
    int m_state = JOB_QUEUED;
    QString m_result;
    bool m_valid = true;
    QRecursiveMutex m_lock;
    QMutex m_busy;
    QTimer m_startTimer;
    QTimer m_thumbnailTimer;
    int m_errorCode = 0;
    SNJob *m_job = nullptr;
};
