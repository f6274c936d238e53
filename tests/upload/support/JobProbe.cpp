#include "JobProbe.h"

#include "SNJob.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

JobProbe::JobProbe(QObject *parent)
    : QObject(parent)
{
}

QStringList JobProbe::kinds() const
{
    QStringList names;
    for (const Report &report : m_reports)
        names.append(report.kind);
    return names;
}

QList<int> JobProbe::percents() const
{
    QList<int> values;
    for (const Report &report : m_reports) {
        if (report.kind == QLatin1String("progress"))
            values.append(report.percent);
    }
    return values;
}

int JobProbe::endCount() const
{
    int count = 0;
    for (const Report &report : m_reports) {
        if (report.kind == QLatin1String("failed") || report.kind == QLatin1String("completed")
            || report.kind == QLatin1String("uploaded"))
            ++count;
    }
    return count;
}

JobProbe::Report JobProbe::end() const
{
    for (qsizetype i = m_reports.size() - 1; i >= 0; --i) {
        const QString &kind = m_reports[i].kind;
        if (kind == QLatin1String("failed") || kind == QLatin1String("completed") || kind == QLatin1String("uploaded"))
            return m_reports[i];
    }
    return {};
}

bool JobProbe::rulesKept() const
{
    for (const Report &report : m_reports) {
        if (!report.onGuiThread || report.insideStart || report.insideReport)
            return false;
    }
    return true;
}

void JobProbe::record(Report report, bool isEnd)
{
    report.onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    report.insideStart = starting;
    report.insideReport = m_depth > 0;
    m_reports.append(report);
    ++m_depth;
    QPointer<JobProbe> self(this);
    if (reaction)
        reaction(report);
    if (!self)
        return;
    --m_depth;
    if (isEnd && releaseAtEnd && report.job)
        report.job->release();
}

namespace {

JobProbe::Report report(const char *kind, SNJob *job)
{
    JobProbe::Report made;
    made.kind = QString::fromLatin1(kind);
    made.job = job;
    return made;
}

} // namespace

void JobProbe::jobConnecting(SNJob *job)
{
    record(report("connecting", job), false);
}

void JobProbe::jobWorking(SNJob *job)
{
    record(report("working", job), false);
}

void JobProbe::jobFailed(SNJob *job, int code)
{
    Report failed = report("failed", job);
    failed.code = code;
    record(failed, true);
}

void JobProbe::jobCompleted(SNJob *job, const QMap<QString, QVariant> &result)
{
    Report completed = report("completed", job);
    completed.result = result;
    record(completed, true);
}

void JobProbe::uploadedCompleted(SNJob *job, const QString &id, const QString &url)
{
    Report uploaded = report("uploaded", job);
    uploaded.id = id;
    uploaded.url = url;
    record(uploaded, true);
}

void JobProbe::uploadProgress(SNJob *job, int, int percent)
{
    Report progress = report("progress", job);
    progress.percent = percent;
    record(progress, false);
}
