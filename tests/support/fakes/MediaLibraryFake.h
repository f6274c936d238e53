#pragma once

#include "CallRecorder.h"
#include "MediaLibraryIntf.h"

#include <QPointer>

class QWidget;

// The media-library service for window tests (see CallRecorder for calls and answers). Its widget is a
// plain widget of its own made on the given parent, as the real service makes its panel. getMedia and
// acquireMedia hand out a new MediaFake for the path (one reference, the caller's). processRecordedFiles is
// only recorded, with the list of paths as a QStringList. A test emits the service's signals itself.
class MediaLibraryFake : public MediaLibraryIntf, public CallRecorder
{
    Q_OBJECT

public:
    explicit MediaLibraryFake(QWidget *parent = nullptr);
    ~MediaLibraryFake() override;

    void release() override;
    QWidget *widget() override;
    MediaIntf *getMedia(const QString &path) override;
    MediaIntf *acquireMedia(const QString &path) override;
    void processRecordedFiles(QList<QString> files) override;
    void showSaveFolder() override;

private:
    // Its parent owns it too; the pointer clears when that parent deletes it first.
    QPointer<QWidget> m_view;
};
