#pragma once

#include "CameraThrottleController.h"
#include "CountedService.h"
#include "DocCamManagerEventListener.h"
#include "WebCamIntf.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QTimer>

class CameraWidget;
class DocCamManager;
class DocCamStream;
class LumoDocCam;
class SettingIntf;

// The web-cam service. Each view streams its own camera, except that the auxiliary view showing the main
// view's camera is fed by the main view (a device gives only one stream at a time). The last main web cam
// is remembered in the settings and found again by its ids and port.
class WebCamImpl : public WebCamIntf,
                   public DocCamManagerEventListener,
                   public CameraThrottleController,
                   public CountedService<WebCamImpl>
{
    Q_OBJECT

public:
    // The process-wide service; each call is one reference, given back with release(). The first caller's
    // parent becomes the main view's parent.
    static WebCamImpl *getInstance(QWidget *parent);
    // How often a camera held by another program is tried again; applies to a service created later (tests
    // shorten it).
    static void setRetryInterval(int milliseconds);

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

    void docCamArrived(LumoDocCam *camera) override;
    void docCamRemoved(LumoDocCam *camera) override;
    void webCamArrived(LumoDocCam *camera) override;
    void webCamRemoved(LumoDocCam *camera) override;

    void requestNextFrame(CameraWidget *widget) override;

public Q_SLOTS:
    void retryWebCamSelection();
    void retryAuxCamSelection();

private:
    explicit WebCamImpl(QWidget *parent);
    ~WebCamImpl() override;

    int findLastWebCam();
    void closeWebCamStream();
    // Closes the main view's stream; a preview it fed gets a stream of its own.
    void stopFeedingThePreview();
    void closeAuxWebCamStream();
    // Opens and starts a stream of the camera into the view; a camera held elsewhere is retried by the timer.
    void startStream(LumoDocCam *camera, CameraWidget *view, DocCamStream **stream, QTimer *retryTimer);
    static QSize sizeFor(LumoDocCam *camera, const QSize &area);

    SettingIntf *m_settings;
    DocCamManager *m_manager = nullptr;
    QList<LumoDocCam *> m_webCams;
    LumoDocCam *m_mainCam = nullptr;
    DocCamStream *m_mainStream = nullptr;
    // Guarded: a parent widget may be destroyed before the service.
    QPointer<CameraWidget> m_mainView;
    LumoDocCam *m_auxCam = nullptr;
    DocCamStream *m_auxStream = nullptr;
    QPointer<CameraWidget> m_auxView;
    QTimer m_mainRetryTimer;
    QTimer m_auxRetryTimer;
    bool m_mainViewShown = false;
    QMap<QString, int> m_nameCounts;
};
