#pragma once

#include "CallRecorder.h"
#include "WebCamIntf.h"

#include <QPointer>

// The web-cam service for window tests (see CallRecorder for calls and answers). Its main view is a plain
// widget of its own that show/hideWebCam show and hide; auxWebCamWidget makes a plain widget on the given
// parent once and closeAuxWebCam deletes it, as the real service does; both size queries answer the area
// unless set. A test emits the service's signals itself; setWebCamList keeps answers and signal in step.
class WebCamFake : public WebCamIntf, public CallRecorder
{
    Q_OBJECT

public:
    WebCamFake();
    ~WebCamFake() override;

    // getWebCamList and webCamCount answer accordingly, and webCamListChanged is sent.
    void setWebCamList(const QList<QString> &names);

    void release() override;
    QWidget *webCamWidget() override;
    void showWebCam() override;
    void hideWebCam() override;
    QSize webCamWidgetSizeFor(const QSize &area) override;
    void resizeWebCamWidget(const QSize &size) override;
    int webCamCount() override;
    QList<QString> getWebCamList() override;
    int currentWebCamIndex() override;
    int openWebCam(int index) override;
    QWidget *auxWebCamWidget(QWidget *parent) override;
    void closeAuxWebCam() override;
    QSize auxWebCamWidgetSizeFor(const QSize &area) override;
    void resizeAuxWebCamWidget(const QSize &size) override;
    int currentAuxWebCamIndex() override;
    int openAuxWebCam(int index) override;

private:
    QPointer<QWidget> m_view;
    // Its parent owns it; the pointer clears when that parent deletes it first.
    QPointer<QWidget> m_auxView;
};
