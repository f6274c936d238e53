#pragma once

#include <QObject>
#include <QSize>

class QWidget;

// The visor: a grey shade over the main window's central area that the presenter slides away along one
// axis. Obtain it with VisorImpl::getInstance and give it back with release.
class VisorIntf : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~VisorIntf() override = default;

    virtual void release() = 0;
    virtual QWidget *widget() = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void resize(QSize size) = 0;

Q_SIGNALS:
    // The presenter closed the shade with its close button; hide() does not emit it.
    void visorClosed();
};
