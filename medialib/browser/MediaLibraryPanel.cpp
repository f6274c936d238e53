#include "MediaLibraryPanel.h"

MediaLibraryPanel::MediaLibraryPanel(MediaLibraryImpl *owner, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
{
}

MediaLibraryPanel::~MediaLibraryPanel() = default;

void MediaLibraryPanel::changeDirectory(const QDir &dir)
{
    m_currentDir = dir;
}

void MediaLibraryPanel::updateFolder()
{
}

void MediaLibraryPanel::updateFile(const QString &)
{
}
