#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QUrl>

// Which drops on the main window it takes: one file, an image or a video by its name's ending, whatever the
// case of the ending. Anything else (several files, another ending) is left to whoever else wants it.
class MediaDrop
{
public:
    enum class Kind { None, Image, Video };

    struct Drop
    {
        Kind kind = Kind::None;
        QString path;
    };

    // The dropped file and its kind; Kind::None unless exactly one URL names an image or a video. A URL without
    // a local file is taken as its whole text.
    static Drop classify(const QList<QUrl> &urls);
    static Kind kindOf(const QString &path);

    // Whether a drag at pos (window coordinates) is over the media-library panel, whose geometry is in
    // central-widget coordinates under the menu bar; that panel takes its own drops.
    static bool overMediaLibrary(QPoint pos, const QRect &panel, int menuBarHeight, bool panelVisible);
};
