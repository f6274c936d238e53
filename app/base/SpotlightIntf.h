#pragma once

#include <QObject>
#include <QSize>

class QWidget;

// The spotlight: a grey shade over the main window's central area with a movable, resizable hole through
// which the picture stays visible. Obtain it with SpotlightImpl::getInstance and give it back with release.
class SpotlightIntf : public QObject
{
    Q_OBJECT

public:
    enum SHAPE { CIRCLE = 0, TRIANGLE = 1, RECTANGLE = 2 };
    Q_ENUM(SHAPE)

    using QObject::QObject;
    ~SpotlightIntf() override = default;

    virtual void release() = 0;
    virtual QWidget *widget() = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void resize(QSize size) = 0;

Q_SIGNALS:
    // The presenter closed the shade with its close button; hide() does not emit it.
    void spotlightClosed();
};
