#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

// Hands out a list of opaque items one per tick of its timer and, once the list is used up, stops and
// emits a completion code set beforehand. The items are not owned.
class TimeTransmitter : public QObject
{
    Q_OBJECT

public:
    explicit TimeTransmitter(QObject *parent = nullptr);

    // Stops the timer and replaces the pending items; does not start. Always true.
    bool setItems(const QList<void *> &items);
    int count() const;
    // Stops the timer. The timer takes an int of milliseconds: longer intervals are cut to the longest
    // it takes, negative ones to 0.
    void setInterval(qint64 milliseconds);
    qint64 interval() const;
    // Refused (false) while running.
    bool setCompleteCode(int code);
    int completeCode() const;
    // False, changing nothing, when already running.
    bool start();
    // False when not running.
    bool stop();
    // Stops and forgets the items, the code (-1) and the interval (0).
    void reset();

Q_SIGNALS:
    void nextItem(void *item);
    void complete(int code);

public Q_SLOTS:
    void emitNextItem();
    void emitComplete();

private:
    static constexpr int kNoCode = -1;

    QList<void *> m_items;
    QTimer m_timer;
    int m_completeCode = kNoCode;
    qint64 m_interval = 0;
};
