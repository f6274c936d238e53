#include "MediaLibraryFake.h"

#include "MediaFake.h"

#include <QWidget>

MediaLibraryFake::MediaLibraryFake(QWidget *parent)
    : m_view(new QWidget(parent))
{
}

MediaLibraryFake::~MediaLibraryFake()
{
    delete m_view.data();
}

void MediaLibraryFake::release()
{
    record("release");
}

QWidget *MediaLibraryFake::widget()
{
    record("widget");
    return m_view;
}

MediaIntf *MediaLibraryFake::getMedia(const QString &path)
{
    record("getMedia", {path});
    return new MediaFake(path);
}

MediaIntf *MediaLibraryFake::acquireMedia(const QString &path)
{
    record("acquireMedia", {path});
    return new MediaFake(path);
}

void MediaLibraryFake::processRecordedFiles(QList<QString> files)
{
    record("processRecordedFiles", {QStringList(files)});
}

void MediaLibraryFake::showSaveFolder()
{
    record("showSaveFolder");
}
