#pragma once

#include "SNUploadJobListener.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

// A listener that records every report of a job with the facts the library's rules are about: the GUI
// thread, not inside the call that started the job, not inside another report. Like the program's
// listeners it releases its job at the end unless told otherwise; a reaction can act on a report (cancel,
// delete the probe).
class JobProbe : public QObject, public SNUploadJobListener
{
    Q_OBJECT

public:
    struct Report
    {
        QString kind; // "connecting", "working", "progress", "failed", "completed", "uploaded"
        int code = 0;
        int percent = -1;
        QString id;
        QString url;
        QMap<QString, QVariant> result;
        SNJob *job = nullptr;
        bool onGuiThread = true;
        bool insideStart = false;
        bool insideReport = false;
    };

    explicit JobProbe(QObject *parent = nullptr);

    // Set around the call that starts the job.
    bool starting = false;
    bool releaseAtEnd = true;
    std::function<void(const Report &)> reaction;

    QList<Report> reports() const { return m_reports; }
    QStringList kinds() const;
    QList<int> percents() const;
    int endCount() const;
    bool hasEnded() const { return endCount() > 0; }
    // The last end report; an empty report before the end.
    Report end() const;
    // Every report on the GUI thread, none inside the start call or inside another report.
    bool rulesKept() const;

    void jobConnecting(SNJob *job) override;
    void jobWorking(SNJob *job) override;
    void jobFailed(SNJob *job, int code) override;
    void jobCompleted(SNJob *job, const QMap<QString, QVariant> &result) override;
    void uploadedCompleted(SNJob *job, const QString &id, const QString &url) override;
    void uploadProgress(SNJob *job, int kilobytes, int percent) override;

private:
    void record(Report report, bool isEnd);

    QList<Report> m_reports;
    int m_depth = 0;
};
