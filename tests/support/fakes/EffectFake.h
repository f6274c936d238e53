#pragma once

#include "CallRecorder.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

// A presenter effect's service for window tests (see CallRecorder for calls and answers), made for VisorIntf
// and SpotlightIntf as VisorFake and SpotlightFake. Its widget is a plain widget of its own, made on the
// given parent as the real service makes its shade: show and hide show and hide it, resize is only
// recorded. pressClose does what the shade's close button does.
template<class Intf, void (Intf::*Closed)()>
class EffectFake : public Intf, public CallRecorder
{
public:
    explicit EffectFake(QWidget *parent = nullptr)
        : m_view(new QWidget(parent))
    {
    }

    ~EffectFake() override { delete m_view.data(); }

    // Hides the widget and tells the service's users, as a click on the close button does.
    void pressClose()
    {
        if (m_view)
            m_view->hide();
        Q_EMIT(this->*Closed)();
    }

    void release() override { record("release"); }

    QWidget *widget() override
    {
        record("widget");
        return m_view;
    }

    void show() override
    {
        record("show");
        if (m_view)
            m_view->show();
    }

    void hide() override
    {
        record("hide");
        if (m_view)
            m_view->hide();
    }

    void resize(QSize size) override { record("resize", {size}); }

private:
    // Its parent owns it too; the pointer clears when that parent deletes it first.
    QPointer<QWidget> m_view;
};
