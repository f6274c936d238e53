#include "TimeTransmitter.h"

#include <algorithm>
#include <limits>

TimeTransmitter::TimeTransmitter(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(false);
    connect(&m_timer, &QTimer::timeout, this, &TimeTransmitter::emitNextItem);
}

bool TimeTransmitter::setItems(const QList<void *> &items)
{
    m_timer.stop();
    m_items = items;
    return true;
}

int TimeTransmitter::count() const
{
    return int(m_items.size());
}

void TimeTransmitter::setInterval(qint64 milliseconds)
{
    m_timer.stop();
    m_interval = milliseconds;
}

qint64 TimeTransmitter::interval() const
{
    return m_interval;
}

bool TimeTransmitter::setCompleteCode(int code)
{
    if (m_timer.isActive())
        return false;
    m_completeCode = code;
    return true;
}

int TimeTransmitter::completeCode() const
{
    return m_completeCode;
}

bool TimeTransmitter::start()
{
    if (m_timer.isActive())
        return false;
    m_timer.start(int(std::clamp<qint64>(m_interval, 0, std::numeric_limits<int>::max())));
    return true;
}

bool TimeTransmitter::stop()
{
    if (!m_timer.isActive())
        return false;
    m_timer.stop();
    return true;
}

void TimeTransmitter::reset()
{
    m_timer.stop();
    m_items.clear();
    m_completeCode = kNoCode;
    m_interval = 0;
}

void TimeTransmitter::emitNextItem()
{
    if (m_items.isEmpty()) {
        m_timer.stop();
        emitComplete();
        return;
    }
    emit nextItem(m_items.takeFirst());
}

void TimeTransmitter::emitComplete()
{
    emit complete(m_completeCode);
}
