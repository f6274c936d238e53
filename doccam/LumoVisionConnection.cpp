#include "LumoVisionConnection.h"

#include "CameraCodes.h"
#include "CameraImage.h"
#include "CameraWidget.h"
#include "DocCamIdsSetting.h"
#include "DocCamManager.h"
#include "DocCamStream.h"
#include "LumoDocCam.h"
#include "LumoSystemOsal.h"
#include "MessageBoxes.h"

#include <QCoreApplication>

namespace {

using Locker = QMutexLocker<QRecursiveMutex>;

} // namespace

LumoVisionConnection::LumoVisionConnection(QRecursiveMutex *lock, CameraWidget *view, int retryMs)
    : m_lock(lock)
    , m_view(view)
{
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(retryMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &LumoVisionConnection::select);

    m_manager = DocCamManager::getDocCamManager(DocCamIdsSetting::managerOptions());
    m_manager->addEventListener(this);
    m_manager->retain();

    osalRegisterSystemEventListener(&LumoVisionConnection::onSystemEvent, this);
}

LumoVisionConnection::~LumoVisionConnection()
{
    osalRegisterSystemEventListener(nullptr, nullptr);
    m_retryTimer.stop();
    close();
    m_manager->removeEventListener(this);
    for (LumoDocCam *camera : std::as_const(m_docCams))
        camera->release();
    m_docCams.clear();
    m_manager->release();
}

// The texts are the service's: they keep its translation context.
QString LumoVisionConnection::notConnectedText()
{
    return QCoreApplication::translate("LumoVisionImpl", "Camera not connected");
}

QString LumoVisionConnection::inUseText()
{
    return QCoreApplication::translate("LumoVisionImpl", "Camera in use");
}

void LumoVisionConnection::showInUseBox()
{
    MessageBoxes::Request request;
    request.fromService = true;
    request.icon = QMessageBox::Warning;
    request.title = QCoreApplication::translate("LumoVisionImpl", "Lumo DocCam in use!");
    request.text = QCoreApplication::translate("LumoVisionImpl", "Other applications are using the DocCam.");
    request.informativeText = QCoreApplication::translate("LumoVisionImpl",
                                                          "Please try to close some applications and try again.");
    request.buttons = QMessageBox::Ok;
    MessageBoxes::exec(request);
}

void LumoVisionConnection::release()
{
    Locker locker(m_lock);
    close();
    // A retry left pending would take the camera back from the program it was released for.
    m_retryTimer.stop();
    m_released = true;
}

bool LumoVisionConnection::reconnect()
{
    Locker locker(m_lock);
    if (!m_current)
        select();
    if (!m_current)
        return false;
    m_released = false;
    return true;
}

void LumoVisionConnection::viewDestroyed()
{
    Locker locker(m_lock);
    m_view = nullptr;
    close();
}

void LumoVisionConnection::noteInUse()
{
    Locker locker(m_lock);
    const QString inUse = inUseText();
    if (m_view && m_view->statusText() == inUse)
        return;
    setStatusText(inUse);
    showInUseBox();
}

void LumoVisionConnection::noteNotConnected()
{
    Locker locker(m_lock);
    setStatusText(notConnectedText());
}

void LumoVisionConnection::docCamArrived(LumoDocCam *camera)
{
    Locker locker(m_lock);
    if (!camera || m_docCams.contains(camera))
        return;
    camera->retain();
    m_docCams.append(camera);
    if (!m_current)
        select();
}

void LumoVisionConnection::docCamRemoved(LumoDocCam *camera)
{
    Locker locker(m_lock);
    // Only a camera this connection listed holds one of its references.
    if (!m_docCams.removeOne(camera))
        return;
    if (camera == m_current) {
        close();
        if (m_view)
            m_view->update();
        emit disconnected();
    }
    camera->release();
    if (m_docCams.isEmpty())
        setStatusText(notConnectedText());
    else if (!m_current)
        select();
}

void LumoVisionConnection::webCamArrived(LumoDocCam *)
{
}
void LumoVisionConnection::webCamRemoved(LumoDocCam *)
{
}

void LumoVisionConnection::onSystemEvent(void *context, int event)
{
    if (!context)
        return;
    auto *connection = static_cast<LumoVisionConnection *>(context);
    Locker locker(connection->m_lock);
    if (event == 0)
        connection->close();
    else if (event == 1)
        connection->select();
}

void LumoVisionConnection::select()
{
    Locker locker(m_lock);
    m_retryTimer.stop();
    // Opening again on top of an open camera would leak its stream and find the device busy.
    if (m_current)
        close();
    setStatusText(notConnectedText());

    bool inUse = false;
    const QList<LumoDocCam *> cameras = m_docCams;
    for (LumoDocCam *camera : cameras) {
        DocCamStream *stream = nullptr;
        // Fails without the view, the frame sink: a stream starts only into a view.
        if (camera->openDocCamStream(0, camera->format(), m_view, &stream, nullptr) < 0)
            continue;
        const int started = stream->start();
        if (started < 0) {
            stream->release();
            if (started == CameraCodes::DeviceBusy)
                inUse = true;
            continue;
        }
        m_current = camera;
        m_stream = stream;
        m_stream->activate();
        m_view->setInitializing(true);
        inUse = false;
        break;
    }

    if (m_released && inUse)
        return;
    if (!m_current) {
        if (!inUse)
            return;
        setStatusText(inUseText());
        m_retryTimer.start();
        if (m_inUseBoxShown)
            return;
        m_inUseBoxShown = true;
        showInUseBox();
        return;
    }
    emit opened(m_current);
}

void LumoVisionConnection::setStatusText(const QString &text)
{
    if (m_view)
        m_view->setStatusText(text);
}

void LumoVisionConnection::close()
{
    if (m_view)
        m_view->setInitializing(false);
    if (m_current) {
        emit closing(m_current);
        m_current = nullptr;
        if (m_view) {
            m_view->oneFrameFetched(m_stream, CameraImage());
            m_view->setStatusText(notConnectedText());
        }
        emit closed();
    }
    if (m_stream) {
        m_stream->release();
        m_stream = nullptr;
    }
}
