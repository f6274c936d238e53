#include "LumoVisionFake.h"

#include <QTimer>
#include <QWidget>

namespace {

// What the service answers for a frame while no camera is connected.
constexpr int kNoCamera = -1000;

} // namespace

LumoVisionFake::LumoVisionFake()
    : m_view(new QWidget)
{
}

LumoVisionFake::~LumoVisionFake()
{
    delete m_view.data();
}

void LumoVisionFake::connectCamera(const QString &name)
{
    setConnected(true, name);
    emit docCamConnected(name);
}

void LumoVisionFake::disconnectCamera()
{
    setConnected(false);
    emit docCamDisconnected();
}

void LumoVisionFake::setConnected(bool connected, const QString &name)
{
    provideAnswer(QStringLiteral("isDocCamConnected"), connected);
    provideAnswer(QStringLiteral("docCamName"), connected ? name : QString());
    provideAnswer(QStringLiteral("grabCurrentFrame"), connected ? 0 : kNoCamera);
}

void LumoVisionFake::setActionStatus(uint status)
{
    provideAnswer(QStringLiteral("actionStatus"), status);
    emit actionStatusChanged(status);
}

void LumoVisionFake::setLiveFrame(const QImage &frame)
{
    provideAnswer(QStringLiteral("grabCurrentFrame.image"), frame);
}

void LumoVisionFake::setStillFollowUp(StillFollowUp followUp, StillDelivery delivery)
{
    m_stillFollowUp = std::move(followUp);
    m_stillDelivery = delivery;
}

LumoVisionFake::StillFollowUp LumoVisionFake::deliver(const QImage &still)
{
    return [still](LumoVisionFake *camera) { emit camera->hqImageCaptured(still); };
}

void LumoVisionFake::release()
{
    record("release");
}
QWidget *LumoVisionFake::cameraWidget()
{
    record("cameraWidget");
    return m_view;
}

void LumoVisionFake::showCameraWidget()
{
    record("showCameraWidget");
    if (m_view)
        m_view->show();
}

void LumoVisionFake::hideCameraWidget()
{
    record("hideCameraWidget");
    if (m_view)
        m_view->hide();
}

QSize LumoVisionFake::cameraWidgetSizeFor(const QSize &area)
{
    return respond<QSize>("cameraWidgetSizeFor", {area}, area);
}

void LumoVisionFake::resizeCameraWidget(const QSize &size)
{
    record("resizeCameraWidget", {size});
}
bool LumoVisionFake::isDocCamConnected()
{
    return respond<bool>("isDocCamConnected");
}
QString LumoVisionFake::docCamName()
{
    return respond<QString>("docCamName");
}
int LumoVisionFake::autoFocus()
{
    return respond<int>("autoFocus");
}
int LumoVisionFake::zoomIn()
{
    return respond<int>("zoomIn");
}
int LumoVisionFake::zoomOut()
{
    return respond<int>("zoomOut");
}
int LumoVisionFake::zoomReset()
{
    return respond<int>("zoomReset");
}
int LumoVisionFake::toggleFreeze()
{
    return respond<int>("toggleFreeze");
}
int LumoVisionFake::rotate()
{
    return respond<int>("rotate");
}
int LumoVisionFake::toggleMirror()
{
    return respond<int>("toggleMirror");
}
int LumoVisionFake::brightness()
{
    return respond<int>("brightness");
}
int LumoVisionFake::setBrightness(uint value)
{
    return respond<int>("setBrightness", {value});
}
int LumoVisionFake::increaseBrightness()
{
    return respond<int>("increaseBrightness");
}
int LumoVisionFake::decreaseBrightness()
{
    return respond<int>("decreaseBrightness");
}
int LumoVisionFake::contrast()
{
    return respond<int>("contrast");
}
int LumoVisionFake::setContrast(uint value)
{
    return respond<int>("setContrast", {value});
}
int LumoVisionFake::increaseContrast()
{
    return respond<int>("increaseContrast");
}
int LumoVisionFake::decreaseContrast()
{
    return respond<int>("decreaseContrast");
}
int LumoVisionFake::exposure()
{
    return respond<int>("exposure");
}
int LumoVisionFake::isAutoExposure()
{
    return respond<int>("isAutoExposure");
}
int LumoVisionFake::setAutoExposure(bool automatic)
{
    return respond<int>("setAutoExposure", {automatic});
}
int LumoVisionFake::increaseExposure()
{
    return respond<int>("increaseExposure");
}
int LumoVisionFake::decreaseExposure()
{
    return respond<int>("decreaseExposure");
}
int LumoVisionFake::focusFar()
{
    return respond<int>("focusFar");
}
int LumoVisionFake::focusNear()
{
    return respond<int>("focusNear");
}
int LumoVisionFake::colorEffect()
{
    return respond<int>("colorEffect");
}
int LumoVisionFake::setColorEffect(int effect)
{
    return respond<int>("setColorEffect", {effect});
}
int LumoVisionFake::isAutoWhiteBalance()
{
    return respond<int>("isAutoWhiteBalance");
}
int LumoVisionFake::setAutoWhiteBalance(bool automatic)
{
    return respond<int>("setAutoWhiteBalance", {automatic});
}
int LumoVisionFake::increaseRed()
{
    return respond<int>("increaseRed");
}
int LumoVisionFake::decreaseRed()
{
    return respond<int>("decreaseRed");
}
int LumoVisionFake::increaseBlue()
{
    return respond<int>("increaseBlue");
}
int LumoVisionFake::decreaseBlue()
{
    return respond<int>("decreaseBlue");
}
int LumoVisionFake::isAutoImage()
{
    return respond<int>("isAutoImage");
}
int LumoVisionFake::setAutoImage(bool automatic)
{
    return respond<int>("setAutoImage", {automatic});
}
int LumoVisionFake::docCamMode()
{
    return respond<int>("docCamMode");
}
int LumoVisionFake::setDocCamMode(int mode)
{
    return respond<int>("setDocCamMode", {mode});
}
uint LumoVisionFake::actionStatus()
{
    return respond<uint>("actionStatus");
}

int LumoVisionFake::grabCurrentFrame(QImage *image)
{
    const int result = respond<int>("grabCurrentFrame");
    if (image)
        *image = answer<QImage>("grabCurrentFrame.image");
    return result;
}

int LumoVisionFake::requestHQImage()
{
    const int result = respond<int>("requestHQImage");
    if (result < 0 || !m_stillFollowUp)
        return result;
    if (m_stillDelivery == StillDelivery::BeforeReturn)
        m_stillFollowUp(this);
    else
        QTimer::singleShot(0, this, [this] { m_stillFollowUp(this); });
    return result;
}
void LumoVisionFake::reservedOperation()
{
    record("reservedOperation");
}
int LumoVisionFake::releaseDocCam()
{
    return respond<int>("releaseDocCam");
}
int LumoVisionFake::reconnectDocCam()
{
    return respond<int>("reconnectDocCam");
}
