#include "DocCamManager.h"

#include "CameraLog.h"
#include "CameraRoles.h"
#include "DocCamManagerEventListener.h"
#include "LumoDocCam.h"
#include "RetainedCamera.h"
#include "V4l2Backend.h"
#include "VirtualCameraHub.h"

namespace {

DocCamManager *instance = nullptr;

} // namespace

const QString DocCamManager::kDocCamIdsOption = QStringLiteral("docCamIds");

DocCamManager *DocCamManager::getDocCamManager(const QMap<QString, QString> &options)
{
    if (!instance) {
        instance = new DocCamManager(
            CameraRoles::parseIds(options.value(kDocCamIdsOption).split(QLatin1Char(','), Qt::SkipEmptyParts)));
        if (qEnvironmentVariable("QUILLO_V4L2") != QLatin1String("0"))
            instance->m_v4l2 = std::make_unique<V4l2Backend>(instance);
        VirtualCameraHub::instance()->attachSink(instance);
        if (instance->m_v4l2)
            instance->m_v4l2->start();
    }
    return instance;
}

DocCamManager::DocCamManager(const QList<quint32> &docCamIds)
    : m_docCamIds(docCamIds)
{
}

DocCamManager::~DocCamManager()
{
    shutDown();
}

void DocCamManager::retain()
{
    ++m_references;
}

void DocCamManager::release()
{
    if (--m_references > 0)
        return;
    // Its reports may still be queued, and a holder may release it from inside one: it goes away from the
    // event loop, and a later getDocCamManager starts a fresh one.
    if (instance == this)
        instance = nullptr;
    shutDown();
    deleteLater();
}

void DocCamManager::shutDown()
{
    VirtualCameraHub::instance()->detachSink(this);
    m_v4l2.reset();
    for (const Entry &entry : std::as_const(m_entries))
        entry.camera->release();
    m_entries.clear();
    m_listeners.clear();
}

void DocCamManager::addEventListener(DocCamManagerEventListener *listener)
{
    if (!listener || m_listeners.contains(listener))
        return;
    m_listeners.append(listener);
    for (const Entry &entry : std::as_const(m_entries))
        post({listener}, entry.camera, entry.docCam ? Event::DocCamArrived : Event::WebCamArrived);
}

void DocCamManager::removeEventListener(DocCamManagerEventListener *listener)
{
    m_listeners.removeAll(listener);
}

void DocCamManager::deviceAttached(LumoDocCam *camera, Origin origin)
{
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.camera == camera)
            return;
    }
    camera->retain();
    // Virtual cameras come first, so that the one asked for is the document camera that gets opened.
    qsizetype at = m_entries.size();
    if (origin != Origin::Device) {
        at = 0;
        while (at < m_entries.size() && m_entries[at].origin != Origin::Device)
            ++at;
    }
    m_entries.insert(at, Entry{camera, origin, false, false});
    cameraLog(LogSystem::LOG_INFO, "DocCamManager::deviceAttached - %s (%04x:%04x) at %s",
              qUtf8Printable(camera->name()), camera->vendorId() & 0xFFFF, camera->productId() & 0xFFFF,
              qUtf8Printable(camera->locationId()));
    assignRoles();
}

void DocCamManager::deviceDetached(LumoDocCam *camera)
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].camera != camera)
            continue;
        const Entry entry = m_entries.takeAt(i);
        cameraLog(LogSystem::LOG_INFO, "DocCamManager::deviceDetached - %s", qUtf8Printable(camera->name()));
        post(m_listeners, camera, entry.docCam ? Event::DocCamRemoved : Event::WebCamRemoved);
        camera->release();
        assignRoles();
        return;
    }
}

void DocCamManager::assignRoles()
{
    QList<CameraRoles::Candidate> candidates;
    for (const Entry &entry : std::as_const(m_entries))
        candidates.append({entry.camera->vendorId(), entry.camera->productId(), entry.camera->isExternal(),
                           entry.origin != Origin::Device, entry.origin == Origin::VirtualWebCam});
    const QList<bool> docCam = CameraRoles::assign(candidates, m_docCamIds);
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        Entry &entry = m_entries[i];
        if (entry.reported && entry.docCam == docCam[i])
            continue;
        // A camera changes its role only by leaving the old one first, so no holder opens it twice.
        if (entry.reported)
            post(m_listeners, entry.camera, entry.docCam ? Event::DocCamRemoved : Event::WebCamRemoved);
        entry.docCam = docCam[i];
        entry.reported = true;
        post(m_listeners, entry.camera, entry.docCam ? Event::DocCamArrived : Event::WebCamArrived);
    }
}

void DocCamManager::post(const QList<DocCamManagerEventListener *> &listeners, LumoDocCam *camera, Event event)
{
    // The camera is kept alive until every listener has heard of it, even when it is detached meanwhile.
    QMetaObject::invokeMethod(
        this,
        [this, listeners, held = RetainedCamera(camera), event] {
            LumoDocCam *retained = held.get();
            for (DocCamManagerEventListener *listener : listeners) {
                if (!m_listeners.contains(listener))
                    continue;
                switch (event) {
                case Event::DocCamArrived:
                    listener->docCamArrived(retained);
                    break;
                case Event::DocCamRemoved:
                    listener->docCamRemoved(retained);
                    break;
                case Event::WebCamArrived:
                    listener->webCamArrived(retained);
                    break;
                case Event::WebCamRemoved:
                    listener->webCamRemoved(retained);
                    break;
                }
            }
        },
        Qt::QueuedConnection);
}
