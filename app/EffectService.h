#pragma once

#include <QMutexLocker>
#include <QPointer>
#include <QRecursiveMutex>
#include <QSize>
#include <QWidget>

// What the presenter effects' services share: a process-wide, counted instance of Service (which derives
// from this class) that owns one widget of type Widget and implements Intf's widget operations on it.
// Each Service has a lock of its own, guarding the instance, the count and the widget pointer.
template <class Service, class Intf, class Widget>
class EffectService : public Intf
{
public:
    // The process-wide service; each call is one reference, given back with release(). The first caller's
    // parent becomes the widget's parent.
    static Intf *getInstance(QWidget *parent)
    {
        QMutexLocker lock(&s_mutex);
        if (s_instance)
            return s_instance->addRef();
        s_instance = new Service(parent);
        return s_instance;
    }

    Service *addRef()
    {
        QMutexLocker lock(&s_mutex);
        ++m_refCount;
        return static_cast<Service *>(this);
    }

    void release() override
    {
        QMutexLocker lock(&s_mutex);
        if (--m_refCount > 0)
            return;
        s_instance = nullptr;
        lock.unlock();
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

    ~EffectService() override
    {
        delete m_widget.data();
    }

    // The widget is also its parent widget's child; whichever goes first takes it along.
    QPointer<Widget> m_widget;

private:
    // Recursive because getInstance holds it while addRef takes it again.
    static inline QRecursiveMutex s_mutex;
    static inline Service *s_instance = nullptr;
    int m_refCount = 1;
};
