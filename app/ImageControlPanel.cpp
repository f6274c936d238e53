#include "ImageControlPanel.h"

#include "MainWindowIntf.h"
#include "PaneLayout.h"
#include "ui_ImageControlPanel.h"

ImageControlPanel::ImageControlPanel(QWidget *parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::ImageControlPanel>())
{
    ui->setupUi(this);
}

ImageControlPanel::~ImageControlPanel() = default;

void ImageControlPanel::setMainWindow(MainWindowIntf *mainWindow)
{
    connect(ui->fullScreenBtn, &QToolButton::clicked, mainWindow, &MainWindowIntf::changeImageFullScreenDisplayMode);
    connect(ui->closeBtn, &QPushButton::clicked, mainWindow, &MainWindowIntf::leaveImageFullDisplaySplit);
    connect(mainWindow, &MainWindowIntf::splitModeChange, this, &ImageControlPanel::splitModeChangedUI);
}

void ImageControlPanel::clickFullScreenButton()
{
    ui->fullScreenBtn->click();
}

void ImageControlPanel::splitModeChangedUI(int mode)
{
    if (mode < PaneLayout::OneSplit || mode > PaneLayout::VideoFullDisplay)
        return;
    // In the split modes the image shares the window with the cameras: there is no full display to close.
    const bool fullDisplay = mode <= PaneLayout::DWTwoSplit || mode >= PaneLayout::ImageFullDisplay;
    ui->closeBtn->setVisible(fullDisplay);
    ui->line->setVisible(fullDisplay);
}
