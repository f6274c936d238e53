#pragma once

#include "CountedService.h"

#include <QMutexLocker>
#include <QPointer>
#include <QRecursiveMutex>
#include <QSize>
#include <QWidget>

// What the presenter effects' services share: a process-wide, counted instance of Service (which derives
// from this class) that owns one widget of type Widget and implements Intf's widget operations on it.
// Each Service has a lock of its own, guarding the instance, the count and the widget pointer.
template<class Service, class Intf, class Widget>
class EffectService : public Intf, public CountedService<Service>
{
public:
    // The process-wide service; each call is one reference, given back with release(). The first caller's
    // parent becomes the widget's parent.
    static Intf *getInstance(QWidget *parent)
    {
        return CountedService<Service>::acquire(s_mutex, [parent] { return new Service(parent); });
    }

    void release() override
    {
        if (CountedService<Service>::releaseReference(s_mutex))
            delete this;
    }

    // Null once the widget's parent has deleted it.
    QWidget *widget() override
    {
        QMutexLocker lock(&s_mutex);
        return m_widget;
    }

    void show() override
    {
        if (m_widget)
            m_widget->setVisible(true);
    }

    void hide() override
    {
        if (m_widget)
            m_widget->setVisible(false);
    }

    void resize(QSize size) override
    {
        if (m_widget)
            m_widget->resize(size);
    }

protected:
    explicit EffectService(QWidget *parent)
        : m_widget(new Widget(parent))
    {
    }

    ~EffectService() override { delete m_widget.data(); }

    // The widget is also its parent widget's child; whichever goes first takes it along.
    QPointer<Widget> m_widget;

private:
    static inline QRecursiveMutex s_mutex;
};
