#pragma once

#include "CameraDeviceSink.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <memory>

class DocCamManagerEventListener;
class LumoDocCam;
class V4l2Backend;

// The cameras attached to the machine, each in one role: document camera or web cam. Counted: holders
// retain it after getDocCamManager and release it when done. Every report reaches its listeners on the
// GUI thread from the event loop; a listener added later hears of the cameras already attached.
//
// Backends: V4L2 devices (unless the environment sets QUILLO_V4L2=0) and the virtual cameras of
// VirtualCameraHub (the built-in one when QUILLO_VIRTUAL_CAMERA=1).
class DocCamManager : public QObject, public CameraDeviceSink
{
    Q_OBJECT

public:
    // The option that lists the ids of the document cameras, comma-separated "vvvv:pppp" in hexadecimal.
    // Without it, the first external camera is the document camera (see CameraRoles).
    static const QString kDocCamIdsOption;

    // The options are read only by the call that creates the manager: the first holder fixes the roles
    // for as long as the manager lives.
    static DocCamManager *getDocCamManager(const QMap<QString, QString> &options);

    void retain();
    void release();
    void addEventListener(DocCamManagerEventListener *listener);
    void removeEventListener(DocCamManagerEventListener *listener);

    void deviceAttached(LumoDocCam *camera, Origin origin) override;
    void deviceDetached(LumoDocCam *camera) override;

private:
    enum class Event { DocCamArrived, DocCamRemoved, WebCamArrived, WebCamRemoved };
    struct Entry
    {
        LumoDocCam *camera;
        Origin origin;
        bool docCam;
        // Listeners have heard of it in its current role.
        bool reported;
    };

    explicit DocCamManager(const QList<quint32> &docCamIds);
    ~DocCamManager() override;

    void shutDown();
    void assignRoles();
    void post(const QList<DocCamManagerEventListener *> &listeners, LumoDocCam *camera, Event event);

    int m_references = 0;
    QList<Entry> m_entries;
    QList<DocCamManagerEventListener *> m_listeners;
    QList<quint32> m_docCamIds;
    std::unique_ptr<V4l2Backend> m_v4l2;
};
