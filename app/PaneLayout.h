#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

// Where the main window puts its panes, views and the controls on them, as plain arithmetic so that every
// display mode can be checked without a window. Rectangles are in central-widget coordinates.
//
// The client area (W x H) holds the menu bar above the central widget. The split modes 2-6 divide the whole
// client height H among their panes although the central widget is only H - menu bar high: their lowest
// menu-bar rows lie below the visible area, which is why whatever sits at the bottom of such a pane is
// raised by the menu bar's height.
class PaneLayout
{
public:
    // The display modes.
    enum Mode {
        OneSplit = 0,
        PipSplit = 1,
        DWTwoSplit = 2,
        DMTwoSplit = 3,
        DThreeSplit = 4,
        WThreeSplit = 5,
        MThreeSplit = 6,
        ImageFullDisplay = 7,
        VideoFullDisplay = 8,
    };

    // What a pane shows. Any other code places nothing.
    enum Source { NoSource = 0, DocCamSource = 1, MediaSource = 2, WebCamSource = 4 };

    // The PiP view's corners, in the order its move button walks them.
    enum Corner { TopRight = 0, BottomRight = 1, BottomLeft = 2, TopLeft = 3 };

    struct Panes
    {
        QRect pane1;
        QRect pane2;
        QRect pane3;
        QRect pane(int index) const { return index == 1 ? pane1 : index == 2 ? pane2 : index == 3 ? pane3 : QRect(); }
        bool operator==(const Panes &) const = default;
    };

    // The pane rectangles of a mode. An unknown mode leaves the current rectangles as they are.
    static Panes computePaneRects(int mode, QSize client, QSize central, const Panes &current = Panes());

    // The sources of panes 1-3 and of the PiP pane that entering the mode writes; a mode writes only the entries
    // it uses and leaves the others (NoSource here) as they were.
    static std::array<int, 4> paneSources(int mode);

    // The pane that shows the media in this mode (1-3), or 0 when the mode has no media pane.
    static int mediaPane(int mode);
    // Whether the media pane reaches the bottom of the client area, so that its lowest menu-bar rows are hidden.
    static bool mediaPaneReachesBottom(int mode);

    // Where the image and the video are fitted: the media pane less the video control panel's height, and less
    // the menu bar where the pane reaches the bottom. Modes 0 and 2 lay out no media: a null rectangle.
    static QRect mediaArea(int mode, const Panes &panes, int menuBarHeight, int videoPanelHeight);
    // The "No Media" placeholder: the whole media pane in the split modes, the media pane less the video
    // control panel in the one-pane modes 1, 7 and 8; null where no media is laid out.
    static QRect noMediaRect(int mode, const Panes &panes, int videoPanelHeight);
    // In real full screen the image or video fills the central widget less its control panel.
    static QRect fullScreenMediaArea(QSize central, int panelHeight);

    // Whether a mode places the image or the video control panel; in other modes a panel keeps its geometry.
    static bool placesImageControlPanel(int mode);
    static bool placesVideoControlPanel(int mode);
    // A control panel across the media pane's width, its bottom row on the pane's visible bottom row. Null in
    // a mode without a media pane.
    static QRect controlPanelRect(int mode, const Panes &panes, int menuBarHeight, int panelHeight);
    // In real full screen the panel spans the central widget with its top on the media widget's last row.
    static QRect fullScreenPanelRect(QSize central, const QRect &mediaWidget, int panelHeight);

    // The top-left corner that centres a widget of the given size in r, its size unchanged.
    static QPoint centeredIn(QSize widget, const QRect &r);

    // The PiP view's position for a corner of the central widget; an unknown corner is the top-left.
    static QPoint pipCorner(int cornerIndex, QSize central, QSize pip);
    static int nextCorner(int cornerIndex);

    // The tools panel's side tab: a vertical tab at the left edge while the media-library panel is slid out,
    // otherwise a horizontal tab overlapping the top rows of the media-library panel.
    static QRect toolsPanelTabRect(bool mediaLibraryOut, int clientHeight, const QRect &mediaLibraryPanel);

    // Widget mode: the bar's vision container takes the camera view's height under the bar's width, the bar adds
    // its button row, and the view is centred horizontally at the container's top.
    struct WidgetModeGeometry
    {
        QSize container;
        QSize toolBar;
        QPoint view;
        bool operator==(const WidgetModeGeometry &) const = default;
    };
    static WidgetModeGeometry widgetModeGeometry(int toolBarWidth, QSize view);
    // The height of the bar's row of buttons below the camera view.
    static constexpr int kWidgetModeButtonRowHeight = 50;
};
