#include "SNJob.h"

#include "SNUploadJobListener.h"
#include "UploadErrorCode.h"

#include <limits>

SNJob::SNJob(SNAccessJobListener *listener, QObject *parent)
    : QObject(parent)
    , m_listener(listener)
    , m_uploadListener(nullptr)
{
    attachListener(dynamic_cast<QObject *>(listener));
}

SNJob::SNJob(SNUploadJobListener *listener, QObject *parent)
    : QObject(parent)
    , m_listener(listener)
    , m_uploadListener(listener)
{
    attachListener(dynamic_cast<QObject *>(static_cast<SNAccessJobListener *>(listener)));
}

SNJob::~SNJob() = default;

void SNJob::attachListener(QObject *listenerObject)
{
    if (!listenerObject)
        return;
    m_listenerIsObject = true;
    m_listenerObject = listenerObject;
    // Nobody can hold a job whose listener is gone, so the job frees itself once its end is out.
    connect(listenerObject, &QObject::destroyed, this, [this] {
        m_listenerDestroyed = true;
        freeWhenDone();
    });
}

void SNJob::cancel()
{
    if (m_endDecided)
        return;
    ++m_epoch;
    finishFailed(SN_ERR_CANCELLED);
}

void SNJob::release()
{
    m_released = true;
    endSilently();
}

void SNJob::endSilently()
{
    ++m_epoch;
    if (!m_endDecided)
        decideEnd();
    m_endDelivered = true;
    m_reports.clear();
    freeWhenDone();
}

void SNJob::reportConnecting()
{
    if (!m_endDecided)
        post([this](SNAccessJobListener *listener, SNUploadJobListener *) { listener->jobConnecting(this); }, false);
}

void SNJob::reportWorking()
{
    if (!m_endDecided)
        post([this](SNAccessJobListener *listener, SNUploadJobListener *) { listener->jobWorking(this); }, false);
}

void SNJob::reportProgress(qint64 done, qint64 total)
{
    if (m_endDecided || !m_uploadListener || total <= 0)
        return;
    m_lastTotal = total;
    // 100 is kept for the success: the service may still refuse the file after its last byte.
    const int percent = static_cast<int>(qBound(qint64(0), done * 100 / total, qint64(99)));
    if (percent <= m_lastPercent)
        return;
    m_lastPercent = percent;
    const int kilobytes = static_cast<int>(qMin<qint64>(done / 1024, std::numeric_limits<int>::max()));
    post([this, kilobytes,
          percent](SNAccessJobListener *,
                   SNUploadJobListener *listener) { listener->uploadProgress(this, kilobytes, percent); },
         false);
}

void SNJob::finishFailed(int code)
{
    if (m_endDecided)
        return;
    decideEnd();
    post([this, code](SNAccessJobListener *listener, SNUploadJobListener *) { listener->jobFailed(this, code); }, true);
}

void SNJob::finishCompleted(const QMap<QString, QVariant> &result)
{
    if (m_endDecided)
        return;
    decideEnd();
    post([this, result](SNAccessJobListener *listener, SNUploadJobListener *) { listener->jobCompleted(this, result); },
         true);
}

void SNJob::finishUploaded(const QString &id, const QString &url)
{
    if (m_endDecided)
        return;
    decideEnd();
    if (m_uploadListener) {
        const int kilobytes = static_cast<int>(qMin<qint64>(m_lastTotal / 1024, std::numeric_limits<int>::max()));
        m_lastPercent = 100;
        post([this, kilobytes](SNAccessJobListener *,
                               SNUploadJobListener *listener) { listener->uploadProgress(this, kilobytes, 100); },
             false);
        post([this, id, url](SNAccessJobListener *,
                             SNUploadJobListener *listener) { listener->uploadedCompleted(this, id, url); },
             true);
    } else {
        post([this](SNAccessJobListener *listener, SNUploadJobListener *) { listener->jobCompleted(this, {}); }, true);
    }
}

void SNJob::decideEnd()
{
    m_endDecided = true;
    endWork();
}

void SNJob::post(Call call, bool isEnd)
{
    m_reports.append({m_epoch, std::move(call), isEnd});
    scheduleDelivery();
}

void SNJob::scheduleDelivery()
{
    if (m_deliveryPosted || m_delivering || m_reports.isEmpty())
        return;
    m_deliveryPosted = true;
    QMetaObject::invokeMethod(this, &SNJob::deliverOne, Qt::QueuedConnection);
}

void SNJob::deliverOne()
{
    m_deliveryPosted = false;
    // A listener that runs a nested event loop inside a report gets the next one only after returning.
    if (m_delivering)
        return;
    while (!m_reports.isEmpty() && m_reports.first().epoch != m_epoch)
        m_reports.removeFirst();
    if (m_reports.isEmpty())
        return;
    const Report report = m_reports.takeFirst();
    const bool listenerAlive = !m_released && !listenerGone();
    if (listenerAlive) {
        m_delivering = true;
        report.call(m_listener, m_uploadListener);
        m_delivering = false;
    }
    if (report.isEnd)
        m_endDelivered = true;
    if (m_endDelivered) {
        m_reports.clear();
        freeWhenDone();
        return;
    }
    scheduleDelivery();
}

bool SNJob::listenerGone() const
{
    return m_listenerDestroyed || (m_listenerIsObject && !m_listenerObject);
}

void SNJob::freeWhenDone()
{
    const bool gone = listenerGone();
    if (!m_released && !gone)
        return;
    if (!m_endDecided) {
        // The listener died with its job still running: the work goes on to its end, unreported.
        return;
    }
    if (!m_endDelivered && !gone)
        return;
    if (m_delivering)
        return;
    m_reports.clear();
    deleteLater();
}
