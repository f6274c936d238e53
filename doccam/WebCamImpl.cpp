#include "WebCamImpl.h"

#include "CameraCodes.h"
#include "CameraImage.h"
#include "CameraWidget.h"
#include "DocCamIdsSetting.h"
#include "DocCamManager.h"
#include "DocCamStream.h"
#include "LumoDocCam.h"
#include "SettingImpl.h"
#include "WebCamLog.h"

#include <QMutexLocker>
#include <QRecursiveMutex>

namespace {

QRecursiveMutex serviceMutex;

// A camera held by another program is usually given back within seconds; asking every 2 s finds it soon
// without keeping the device busy with open attempts.
constexpr int kDefaultRetryMs = 2000;
int retryMs = kDefaultRetryMs;

const QString kVendorKey = QStringLiteral("webCam/LastWebCamVID");
const QString kProductKey = QStringLiteral("webCam/LastWebCamPID");
const QString kLocationKey = QStringLiteral("webCam/LastWebCamLocationID");

} // namespace

WebCamImpl *WebCamImpl::getInstance(QWidget *parent)
{
    return acquire(serviceMutex, [parent] { return new WebCamImpl(parent); });
}

void WebCamImpl::setRetryInterval(int milliseconds)
{
    QMutexLocker lock(&serviceMutex);
    retryMs = milliseconds;
}

void WebCamImpl::release()
{
    if (releaseReference(serviceMutex))
        delete this;
}

WebCamImpl::WebCamImpl(QWidget *parent)
    : m_settings(SettingImpl::getInstance())
    , m_mainView(new CameraWidget(this, parent))
{
    m_mainView->setInitializing(false);
    m_mainView->setStatusText(tr("Camera not connected"));
    // The view is its stream's frame sink: when its parent deletes it, the stream must go with it. The view
    // is half destroyed by then and is dropped before anything else could call into it.
    connect(m_mainView, &QObject::destroyed, this, [this] {
        QMutexLocker lock(&serviceMutex);
        m_mainView = nullptr;
        m_mainViewShown = false;
        stopFeedingThePreview();
    });
    m_manager = DocCamManager::getDocCamManager(DocCamIdsSetting::managerOptions());
    m_manager->retain();
    m_manager->addEventListener(this);
    m_mainRetryTimer.setSingleShot(true);
    m_mainRetryTimer.setInterval(retryMs);
    connect(&m_mainRetryTimer, &QTimer::timeout, this, &WebCamImpl::retryWebCamSelection);
    m_auxRetryTimer.setSingleShot(true);
    m_auxRetryTimer.setInterval(retryMs);
    connect(&m_auxRetryTimer, &QTimer::timeout, this, &WebCamImpl::retryAuxCamSelection);
}

WebCamImpl::~WebCamImpl()
{
    m_manager->removeEventListener(this);
    if (m_mainStream) {
        m_mainStream->release();
        m_mainStream = nullptr;
    }
    closeAuxWebCam();
    for (LumoDocCam *camera : std::as_const(m_webCams))
        camera->release();
    m_webCams.clear();
    delete m_mainView.data();
    m_manager->release();
    m_settings->release();
}

QWidget *WebCamImpl::webCamWidget()
{
    QMutexLocker lock(&serviceMutex);
    return m_mainView;
}

void WebCamImpl::showWebCam()
{
    QMutexLocker lock(&serviceMutex);
    if (!m_mainView)
        return;
    m_mainView->show();
    if (m_mainViewShown)
        return;
    m_mainViewShown = true;
    openWebCam(findLastWebCam());
}

void WebCamImpl::hideWebCam()
{
    QMutexLocker lock(&serviceMutex);
    if (!m_mainView)
        return;
    m_mainView->hide();
    m_mainViewShown = false;
    m_mainView->oneFrameFetched(nullptr, CameraImage());
    stopFeedingThePreview();
}

void WebCamImpl::stopFeedingThePreview()
{
    // An auxiliary preview fed by the main view would freeze with it: it gets a stream of its own.
    const bool auxMirrored = m_auxView && m_auxCam && m_auxCam == m_mainCam && !m_auxStream;
    closeWebCamStream();
    if (auxMirrored)
        openAuxWebCam(int(m_webCams.indexOf(m_auxCam)));
}

QSize WebCamImpl::sizeFor(LumoDocCam *camera, const QSize &area)
{
    if (!camera)
        return area;
    const DocCamFormat format = camera->format();
    if (format.width <= 0 || format.height <= 0)
        return area;
    return QSize(format.width, format.height).scaled(area, Qt::KeepAspectRatio);
}

QSize WebCamImpl::webCamWidgetSizeFor(const QSize &area)
{
    QMutexLocker lock(&serviceMutex);
    return sizeFor(m_mainCam, area);
}

QSize WebCamImpl::auxWebCamWidgetSizeFor(const QSize &area)
{
    QMutexLocker lock(&serviceMutex);
    return sizeFor(m_auxCam, area);
}

void WebCamImpl::resizeWebCamWidget(const QSize &size)
{
    QMutexLocker lock(&serviceMutex);
    if (m_mainView)
        m_mainView->resize(size);
}

void WebCamImpl::resizeAuxWebCamWidget(const QSize &size)
{
    QMutexLocker lock(&serviceMutex);
    if (m_auxView)
        m_auxView->resize(size);
}

int WebCamImpl::webCamCount()
{
    QMutexLocker lock(&serviceMutex);
    return int(m_webCams.size());
}

QList<QString> WebCamImpl::getWebCamList()
{
    QMutexLocker lock(&serviceMutex);
    QList<QString> names;
    QMap<QString, int> numbers;
    for (LumoDocCam *camera : std::as_const(m_webCams)) {
        const QString name = camera->name();
        if (m_nameCounts.value(name) <= 1)
            names.append(name);
        else
            names.append(QStringLiteral("%1 #%2").arg(name).arg(++numbers[name]));
    }
    return names;
}

int WebCamImpl::currentWebCamIndex()
{
    QMutexLocker lock(&serviceMutex);
    return m_mainCam ? int(m_webCams.indexOf(m_mainCam)) : -1;
}

int WebCamImpl::currentAuxWebCamIndex()
{
    QMutexLocker lock(&serviceMutex);
    return m_auxCam ? int(m_webCams.indexOf(m_auxCam)) : -1;
}

int WebCamImpl::findLastWebCam()
{
    const uint vendor = m_settings->value(kVendorKey, 0).toUInt();
    const uint product = m_settings->value(kProductKey, 0).toUInt();
    const QString location = m_settings->value(kLocationKey, QString()).toString();
    int firstMatch = -1;
    for (int i = 0; i < m_webCams.size(); ++i) {
        LumoDocCam *camera = m_webCams[i];
        if ((camera->vendorId() & 0xFFFF) != vendor || (camera->productId() & 0xFFFF) != product)
            continue;
        if (camera->locationId() == location)
            return i;
        if (firstMatch < 0)
            firstMatch = i;
    }
    return firstMatch < 0 ? 0 : firstMatch;
}

void WebCamImpl::startStream(LumoDocCam *camera, CameraWidget *view, DocCamStream **stream, QTimer *retryTimer)
{
    const int opened = camera->openStream(0, camera->format(), view, stream, nullptr);
    if (opened < 0 || !*stream) {
        webCamLog(LogSystem::LOG_ERROR, "WebCamImpl::startStream - open of %s failed: %d",
                  qUtf8Printable(camera->name()), opened);
        *stream = nullptr;
        return;
    }
    const int started = (*stream)->start();
    if (started < 0) {
        webCamLog(LogSystem::LOG_ERROR, "WebCamImpl::startStream - start of %s failed: %#x",
                  qUtf8Printable(camera->name()), uint(started));
        if (started == CameraCodes::DeviceBusy) {
            view->setStatusText(tr("Camera in use"));
            retryTimer->start();
        }
        (*stream)->release();
        *stream = nullptr;
        return;
    }
    (*stream)->activate();
    view->setInitializing(true);
}

int WebCamImpl::openWebCam(int index)
{
    QMutexLocker lock(&serviceMutex);
    if (!m_mainView)
        return -1;
    m_mainView->setInitializing(false);
    m_mainRetryTimer.stop();
    if (m_webCams.isEmpty())
        m_mainView->setStatusText(tr("Camera not connected"));
    if (index < 0 || index >= m_webCams.size())
        return -1001;

    LumoDocCam *camera = m_webCams[index];
    m_settings->setValue(kVendorKey, int(camera->vendorId() & 0xFFFF));
    m_settings->setValue(kProductKey, int(camera->productId() & 0xFFFF));
    m_settings->setValue(kLocationKey, camera->locationId());
    if (camera == m_mainCam && m_mainStream)
        return 0;

    // An auxiliary view that the main view fed with another camera must not go on showing the new one.
    LumoDocCam *mirroredElsewhere =
        (m_auxView && m_auxCam && m_auxCam == m_mainCam && !m_auxStream && m_auxCam != camera) ? m_auxCam : nullptr;
    closeWebCamStream();
    m_mainCam = camera;
    bool reopenAux = false;
    if (camera == m_auxCam) {
        closeAuxWebCamStream();
        reopenAux = true;
    }
    if (mirroredElsewhere) {
        m_mainView->setMirrorWidget(nullptr);
        openAuxWebCam(int(m_webCams.indexOf(mirroredElsewhere)));
    }
    if (!m_mainViewShown)
        return 0;

    startStream(camera, m_mainView, &m_mainStream, &m_mainRetryTimer);
    if (reopenAux)
        openAuxWebCam(index);
    return 0;
}

QWidget *WebCamImpl::auxWebCamWidget(QWidget *parent)
{
    QMutexLocker lock(&serviceMutex);
    if (!m_auxView) {
        m_auxView = new CameraWidget(this, parent);
        // Its parent (a dialog) may delete it before closeAuxWebCam: its own stream then goes with it.
        connect(m_auxView, &QObject::destroyed, this, [this] {
            QMutexLocker destroyedLock(&serviceMutex);
            closeAuxWebCamStream();
        });
        openAuxWebCam(findLastWebCam());
        m_auxView->show();
    }
    return m_auxView;
}

void WebCamImpl::closeAuxWebCam()
{
    QMutexLocker lock(&serviceMutex);
    m_auxRetryTimer.stop();
    if (m_mainView)
        m_mainView->setMirrorWidget(nullptr);
    if (m_auxStream) {
        m_auxStream->release();
        m_auxStream = nullptr;
    }
    if (m_auxView) {
        m_auxView->disconnect(this);
        m_auxView->setParent(nullptr);
        m_auxView->deleteLater();
    }
    m_auxCam = nullptr;
    m_auxView = nullptr;
}

int WebCamImpl::openAuxWebCam(int index)
{
    QMutexLocker lock(&serviceMutex);
    m_auxRetryTimer.stop();
    if (!m_auxView)
        return -1;
    m_auxView->setInitializing(false);
    if (m_webCams.isEmpty())
        m_auxView->setStatusText(tr("Camera not connected"));
    if (index < 0 || index >= m_webCams.size())
        return -1001;

    LumoDocCam *camera = m_webCams[index];
    if (camera == m_auxCam && m_auxStream)
        return 0;
    closeAuxWebCamStream();
    m_auxCam = camera;
    if (camera == m_mainCam && m_mainViewShown) {
        m_mainView->setMirrorWidget(m_auxView);
        return 0;
    }
    if (m_mainView)
        m_mainView->setMirrorWidget(nullptr);
    startStream(camera, m_auxView, &m_auxStream, &m_auxRetryTimer);
    return 0;
}

void WebCamImpl::closeWebCamStream()
{
    if (m_mainStream) {
        m_mainStream->release();
        m_mainStream = nullptr;
    }
    m_mainCam = nullptr;
    m_mainRetryTimer.stop();
}

void WebCamImpl::closeAuxWebCamStream()
{
    if (m_auxStream) {
        m_auxStream->release();
        m_auxStream = nullptr;
    }
    m_auxCam = nullptr;
    m_auxRetryTimer.stop();
}

void WebCamImpl::retryWebCamSelection()
{
    QMutexLocker lock(&serviceMutex);
    const int index = m_mainCam ? int(m_webCams.indexOf(m_mainCam)) : -1;
    if (index < 0)
        return;
    closeWebCamStream();
    if (m_mainViewShown)
        openWebCam(index);
}

void WebCamImpl::retryAuxCamSelection()
{
    QMutexLocker lock(&serviceMutex);
    const int index = m_auxCam ? int(m_webCams.indexOf(m_auxCam)) : -1;
    if (index < 0)
        return;
    closeAuxWebCamStream();
    openAuxWebCam(index);
}

void WebCamImpl::requestNextFrame(CameraWidget *widget)
{
    QMutexLocker lock(&serviceMutex);
    if (m_mainStream && widget == m_mainView)
        m_mainStream->requestNextFrame();
    if (m_auxStream && widget == m_auxView)
        m_auxStream->requestNextFrame();
}

void WebCamImpl::docCamArrived(LumoDocCam *)
{
}

void WebCamImpl::docCamRemoved(LumoDocCam *)
{
}

void WebCamImpl::webCamArrived(LumoDocCam *camera)
{
    QMutexLocker lock(&serviceMutex);
    if (m_webCams.contains(camera))
        return;
    camera->retain();
    m_webCams.append(camera);
    ++m_nameCounts[camera->name()];
    if (m_webCams.size() == 1) {
        if (m_mainViewShown)
            openWebCam(0);
        if (m_auxView)
            openAuxWebCam(0);
    }
    Q_EMIT webCamListChanged(getWebCamList());
}

void WebCamImpl::webCamRemoved(LumoDocCam *camera)
{
    QMutexLocker lock(&serviceMutex);
    // A camera this service never counted is neither uncounted nor released.
    if (!m_webCams.removeOne(camera))
        return;
    const QString name = camera->name();
    if (--m_nameCounts[name] <= 0)
        m_nameCounts.remove(name);

    if (m_webCams.isEmpty()) {
        if (m_mainView)
            m_mainView->setStatusText(tr("Camera not connected"));
        if (m_auxView)
            m_auxView->setStatusText(tr("Camera not connected"));
    }
    if (camera == m_mainCam) {
        closeWebCamStream();
        Q_EMIT currentWebCamDisconnected();
        if (!m_webCams.isEmpty() && m_mainViewShown)
            openWebCam(findLastWebCam());
    }
    if (camera == m_auxCam) {
        closeAuxWebCamStream();
        Q_EMIT currentAuxWebCamDisconnected();
        if (!m_webCams.isEmpty())
            openAuxWebCam(findLastWebCam());
    }
    Q_EMIT webCamListChanged(getWebCamList());
    camera->release();
}
