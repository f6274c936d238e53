#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

class MediaLibraryImpl;

// The media-library browser: the media folder and the computer's drives in a list or a thumbnail view.
class MediaLibraryPanel : public QWidget
{
    Q_OBJECT

public:
    MediaLibraryPanel(MediaLibraryImpl *owner, QWidget *parent);
    ~MediaLibraryPanel() override;

    // Enters the folder and shows it.
    void changeDirectory(const QDir &dir);
    // Reads the shown folder again.
    void updateFolder();
    // Shows a file of the shown folder that was added or changed.
    void updateFile(const QString &path);

private:
    MediaLibraryImpl *m_owner;
    QDir m_currentDir;
};
