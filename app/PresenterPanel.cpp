#include "PresenterPanel.h"

#include "MainWindowIntf.h"
#include "ui_PresenterPanel.h"

PresenterPanel::PresenterPanel(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::PresenterPanel>())
{
    ui->setupUi(this);
    ui->spotlightBtn->saveIconSize();
    ui->visorBtn->saveIconSize();
}

PresenterPanel::~PresenterPanel() = default;

void PresenterPanel::setMainWindow(MainWindowIntf *mainWindow)
{
    connect(ui->visorBtn, &QToolButton::clicked, mainWindow, &MainWindowIntf::showUpVisor);
    connect(ui->spotlightBtn, &QToolButton::clicked, mainWindow, &MainWindowIntf::showUpSpotlight);
}
