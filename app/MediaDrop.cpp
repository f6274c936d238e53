#include "MediaDrop.h"

#include <QStringList>

namespace {

const QStringList kImageEndings{QStringLiteral(".jpeg"), QStringLiteral(".tiff"), QStringLiteral(".bmp"),
                                QStringLiteral(".png"), QStringLiteral(".jpg")};
const QStringList kVideoEndings{QStringLiteral(".wmv"), QStringLiteral(".avi")};

bool endsWithAny(const QString &lowerPath, const QStringList &endings)
{
    for (const QString &ending : endings) {
        if (lowerPath.endsWith(ending))
            return true;
    }
    return false;
}

} // namespace

MediaDrop::Drop MediaDrop::classify(const QList<QUrl> &urls)
{
    if (urls.size() != 1)
        return {};
    const QUrl &url = urls.first();
    const QString local = url.toLocalFile();
    const QString path = local.isEmpty() ? url.toString() : local;
    const Kind kind = kindOf(path);
    return kind == Kind::None ? Drop{} : Drop{kind, path};
}

MediaDrop::Kind MediaDrop::kindOf(const QString &path)
{
    const QString lower = path.toLower();
    if (endsWithAny(lower, kImageEndings))
        return Kind::Image;
    if (endsWithAny(lower, kVideoEndings))
        return Kind::Video;
    return Kind::None;
}

bool MediaDrop::overMediaLibrary(QPoint pos, const QRect &panel, int menuBarHeight, bool panelVisible)
{
    if (!panelVisible)
        return false;
    const QPoint inPanel = pos - panel.topLeft() - QPoint(0, menuBarHeight);
    return QRect(QPoint(0, 0), panel.size()).contains(inPanel);
}
