#pragma once

#include "DocCamManagerEventListener.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRecursiveMutex>
#include <QTimer>

class CameraWidget;
class DocCamManager;
class DocCamStream;
class LumoDocCam;

// The document-camera service's connection to its camera: it keeps the attached document cameras in arrival
// order, opens the first usable one into the live view, tries again while another program holds it, follows
// removals, the machine's sleep and wake, and the service's release and reconnection, and shows where it
// stands in the view's status text. What the open camera then does is the owner's, told through the signals;
// they are delivered directly, inside the call that opens or closes. Every entry takes the service's lock.
class LumoVisionConnection : public QObject, public DocCamManagerEventListener
{
    Q_OBJECT

public:
    // The view is the streams' frame sink; retryMs is how often a camera held by another program is tried
    // again.
    LumoVisionConnection(QRecursiveMutex *lock, CameraWidget *view, int retryMs);
    ~LumoVisionConnection() override;

    // The open camera and its started stream, or null.
    LumoDocCam *camera() const { return m_current; }
    DocCamStream *stream() const { return m_stream; }
    bool hasCameras() const { return !m_docCams.isEmpty(); }

    // Closes the open camera, for another program or for good: nothing is opened again before reconnect() or
    // a camera's arrival, and a camera held elsewhere is not tried again.
    void release();
    // Opens a camera again unless one is open; false when none could be opened.
    bool reconnect();
    // The view is being destroyed: it is forgotten before the camera whose stream delivers to it closes.
    void viewDestroyed();
    // Another part of the program found the camera held elsewhere, or none attached.
    void noteInUse();
    void noteNotConnected();

    // DocCamManagerEventListener
    void docCamArrived(LumoDocCam *camera) override;
    void docCamRemoved(LumoDocCam *camera) override;
    void webCamArrived(LumoDocCam *camera) override;
    void webCamRemoved(LumoDocCam *camera) override;

Q_SIGNALS:
    // The camera's stream started and was asked for its first frame.
    void opened(LumoDocCam *camera);
    // The camera is about to close; it is still the open one.
    void closing(LumoDocCam *camera);
    // The camera is no longer the open one; its stream goes right after.
    void closed();
    // The open camera was unplugged.
    void disconnected();

private:
    static void onSystemEvent(void *context, int event);
    static QString notConnectedText();
    static QString inUseText();
    static void showInUseBox();

    // Closes the open camera and opens the first of the list that starts.
    void select();
    void close();
    void setStatusText(const QString &text);

    QRecursiveMutex *m_lock;
    // Guarded: the view's owner may delete it before the service goes.
    QPointer<CameraWidget> m_view;
    DocCamManager *m_manager = nullptr;
    QList<LumoDocCam *> m_docCams;
    LumoDocCam *m_current = nullptr;
    DocCamStream *m_stream = nullptr;
    QTimer m_retryTimer;
    bool m_inUseBoxShown = false;
    bool m_released = false;
};
