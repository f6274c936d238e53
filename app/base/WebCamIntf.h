#pragma once

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

class QWidget;

// The web-cam service: the list of attached web cams and two live views of them, the main view used by the
// main window's layouts and an auxiliary view created on demand as the settings dialog's preview. When both
// views show the same camera they share one stream. Indexes refer to getWebCamList().
// Codes: 0 taken (also when the stream did not open), -1001 index out of range, -1 no auxiliary view.
class WebCamIntf : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~WebCamIntf() override = default;

    virtual void release() = 0;
    virtual QWidget *webCamWidget() = 0;
    virtual void showWebCam() = 0;
    virtual void hideWebCam() = 0;
    // The camera's frame size fitted into the area with its aspect ratio kept; the area when unknown.
    virtual QSize webCamWidgetSizeFor(const QSize &area) = 0;
    virtual void resizeWebCamWidget(const QSize &size) = 0;
    virtual int webCamCount() = 0;
    virtual QList<QString> getWebCamList() = 0;
    virtual int currentWebCamIndex() = 0;
    virtual int openWebCam(int index) = 0;
    virtual QWidget *auxWebCamWidget(QWidget *parent) = 0;
    virtual void closeAuxWebCam() = 0;
    virtual QSize auxWebCamWidgetSizeFor(const QSize &area) = 0;
    virtual void resizeAuxWebCamWidget(const QSize &size) = 0;
    virtual int currentAuxWebCamIndex() = 0;
    virtual int openAuxWebCam(int index) = 0;

Q_SIGNALS:
    void webCamListChanged(QList<QString> names);
    void currentWebCamDisconnected();
    void currentAuxWebCamDisconnected();
};
