#include "PaneLayout.h"

namespace {

// The vertical tab sits a little above the window's middle, so that its text is centred beside the panels.
constexpr int kVerticalTabWidth = 25;
constexpr int kVerticalTabHeight = 130;
constexpr int kVerticalTabRaise = 79;
// The horizontal tab overlaps the media-library panel's rounded top edge by its lowest 13 rows.
constexpr int kHorizontalTabHeight = 30;
constexpr int kHorizontalTabRaise = 17;

bool isSplitWithMedia(int mode)
{
    return mode >= PaneLayout::DMTwoSplit && mode <= PaneLayout::MThreeSplit;
}

bool isOnePaneWithMedia(int mode)
{
    return mode == PaneLayout::PipSplit || mode == PaneLayout::ImageFullDisplay || mode == PaneLayout::VideoFullDisplay;
}

} // namespace

PaneLayout::Panes PaneLayout::computePaneRects(int mode, QSize client, QSize central, const Panes &current)
{
    const int w = client.width();
    const int h = client.height();
    Panes panes = current;
    switch (mode) {
    case OneSplit:
    case PipSplit:
    case ImageFullDisplay:
    case VideoFullDisplay:
        panes.pane1 = QRect(0, 0, central.width(), central.height());
        break;
    case DWTwoSplit:
    case DMTwoSplit:
        panes.pane1 = QRect(0, 0, w / 2, h);
        panes.pane2 = QRect(w / 2, 0, w / 2, h);
        break;
    case DThreeSplit:
    case WThreeSplit:
    case MThreeSplit: {
        const int large = (2 * w) / 3;
        panes.pane1 = QRect(0, 0, large, h);
        panes.pane2 = QRect(large, 0, w / 3, h / 2);
        panes.pane3 = QRect(large, h / 2, w / 3, h / 2);
        break;
    }
    default:
        break;
    }
    return panes;
}

std::array<int, 4> PaneLayout::paneSources(int mode)
{
    switch (mode) {
    case OneSplit:
        return {DocCamSource, NoSource, NoSource, NoSource};
    case PipSplit:
        return {DocCamSource, NoSource, NoSource, WebCamSource};
    case DWTwoSplit:
        return {DocCamSource, WebCamSource, NoSource, NoSource};
    case DMTwoSplit:
        return {DocCamSource, MediaSource, NoSource, NoSource};
    case DThreeSplit:
        return {DocCamSource, WebCamSource, MediaSource, NoSource};
    case WThreeSplit:
        return {WebCamSource, MediaSource, DocCamSource, NoSource};
    case MThreeSplit:
        return {MediaSource, DocCamSource, WebCamSource, NoSource};
    case ImageFullDisplay:
    case VideoFullDisplay:
        return {MediaSource, NoSource, NoSource, NoSource};
    default:
        return {NoSource, NoSource, NoSource, NoSource};
    }
}

int PaneLayout::mediaPane(int mode)
{
    switch (mode) {
    case DMTwoSplit:
    case WThreeSplit:
        return 2;
    case DThreeSplit:
        return 3;
    case PipSplit:
    case MThreeSplit:
    case ImageFullDisplay:
    case VideoFullDisplay:
        return 1;
    default:
        return 0;
    }
}

bool PaneLayout::mediaPaneReachesBottom(int mode)
{
    // Pane 2 of the three-pane modes is the upper right one; the one-pane modes use the central widget itself.
    return mode == DMTwoSplit || mode == DThreeSplit || mode == MThreeSplit;
}

QRect PaneLayout::mediaArea(int mode, const Panes &panes, int menuBarHeight, int videoPanelHeight)
{
    if (!isSplitWithMedia(mode) && !isOnePaneWithMedia(mode))
        return QRect();
    QRect area = panes.pane(mediaPane(mode));
    area.setHeight(area.height() - videoPanelHeight - (mediaPaneReachesBottom(mode) ? menuBarHeight : 0));
    return area;
}

QRect PaneLayout::noMediaRect(int mode, const Panes &panes, int videoPanelHeight)
{
    if (isSplitWithMedia(mode))
        return panes.pane(mediaPane(mode));
    if (isOnePaneWithMedia(mode))
        return QRect(panes.pane1.topLeft(), QSize(panes.pane1.width(), panes.pane1.height() - videoPanelHeight));
    return QRect();
}

QRect PaneLayout::fullScreenMediaArea(QSize central, int panelHeight)
{
    return QRect(0, 0, central.width(), central.height() - panelHeight);
}

bool PaneLayout::placesImageControlPanel(int mode)
{
    return isSplitWithMedia(mode) || mode == ImageFullDisplay;
}

bool PaneLayout::placesVideoControlPanel(int mode)
{
    return isSplitWithMedia(mode) || mode == VideoFullDisplay;
}

QRect PaneLayout::controlPanelRect(int mode, const Panes &panes, int menuBarHeight, int panelHeight)
{
    const int index = mediaPane(mode);
    if (index == 0 || mode == PipSplit)
        return QRect();
    const QRect pane = panes.pane(index);
    const int bottomRow = pane.bottom() - (mediaPaneReachesBottom(mode) ? menuBarHeight : 0);
    return QRect(pane.left(), bottomRow - panelHeight + 1, pane.width(), panelHeight);
}

QRect PaneLayout::fullScreenPanelRect(QSize central, const QRect &mediaWidget, int panelHeight)
{
    return QRect(0, mediaWidget.y() + mediaWidget.height() - 1, central.width(), panelHeight);
}

QPoint PaneLayout::centeredIn(QSize widget, const QRect &r)
{
    QRect placed(QPoint(0, 0), widget);
    placed.moveCenter(r.center());
    return placed.topLeft();
}

QPoint PaneLayout::pipCorner(int cornerIndex, QSize central, QSize pip)
{
    const int right = central.width() - pip.width();
    const int bottom = central.height() - pip.height();
    switch (cornerIndex) {
    case TopRight:
        return QPoint(right, 0);
    case BottomRight:
        return QPoint(right, bottom);
    case BottomLeft:
        return QPoint(0, bottom);
    default:
        return QPoint(0, 0);
    }
}

int PaneLayout::nextCorner(int cornerIndex)
{
    return cornerIndex >= TopRight && cornerIndex < TopLeft ? cornerIndex + 1 : TopRight;
}

QRect PaneLayout::toolsPanelTabRect(bool mediaLibraryOut, int clientHeight, const QRect &mediaLibraryPanel)
{
    if (mediaLibraryOut)
        return QRect(0, clientHeight / 2 - kVerticalTabRaise, kVerticalTabWidth, kVerticalTabHeight);
    return QRect(mediaLibraryPanel.x(), mediaLibraryPanel.y() - kHorizontalTabRaise, mediaLibraryPanel.width(),
                 kHorizontalTabHeight);
}

PaneLayout::WidgetModeGeometry PaneLayout::widgetModeGeometry(int toolBarWidth, QSize view)
{
    const QSize container(toolBarWidth, view.height());
    return {container, QSize(toolBarWidth, view.height() + kWidgetModeButtonRowHeight),
            QPoint((container.width() - view.width()) / 2, 0)};
}
