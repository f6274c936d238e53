#pragma once

#include "MediaIntf.h"

#include <QList>
#include <QObject>
#include <QString>

class QWidget;

// The media library as the rest of the program reaches it: the browser panel to embed, the records of media
// files, and the hand-over of a finished recording's files for saving and publishing. Obtain it with
// MediaLibraryImpl::getInstance and give it back with release().
class MediaLibraryIntf : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~MediaLibraryIntf() override = default;

    virtual void release() = 0;
    // The browser panel, a child of the widget given to getInstance.
    virtual QWidget *widget() = 0;
    // The record of the path with one more reference, which the caller gives back with its release().
    virtual MediaIntf *getMedia(const QString &path) = 0;
    virtual MediaIntf *acquireMedia(const QString &path) = 0;
    // Asks the presenter once what to do with a recording's files (absolute paths, in the recorder's order),
    // names the further files after the first, files them in the library and queues the chosen uploads.
    virtual void processRecordedFiles(QList<QString> files) = 0;
    // Shows the media folder the settings name now: called after the user chose another one, so that new
    // captures are seen where they are saved.
    virtual void showSaveFolder() = 0;

Q_SIGNALS:
    void showImageRequested(QString path);
    // The record stays valid while the signal is delivered; a receiver that keeps it takes a reference.
    void playVideoRequested(MediaIntf *media);
    // The presenter closed the panel with its close button.
    void widgetClosed();
    void widgetResized();
};
