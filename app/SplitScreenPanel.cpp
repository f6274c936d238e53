#include "SplitScreenPanel.h"

#include "MainWindowIntf.h"
#include "ui_SplitScreenPanel.h"

SplitScreenPanel::SplitScreenPanel(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::SplitScreenPanel>())
{
    ui->setupUi(this);
    for (EnlargePushButton *button : {ui->oneSplitBtn, ui->pipSplitBtn, ui->dwSplitBtn, ui->dmSplitBtn,
                                      ui->dThreeSplitBtn, ui->mThreeSplitBtn, ui->wThreeSplitBtn})
        button->saveIconSize();
}

SplitScreenPanel::~SplitScreenPanel() = default;

void SplitScreenPanel::setMainWindow(MainWindowIntf *mainWindow)
{
    const struct
    {
        QPushButton *button;
        void (MainWindowIntf::*mode)();
    } modes[] = {
        {ui->oneSplitBtn, &MainWindowIntf::becomeOneSplit},
        {ui->pipSplitBtn, &MainWindowIntf::becomePipSplit},
        {ui->dwSplitBtn, &MainWindowIntf::becomeDWTwoSplit},
        {ui->dmSplitBtn, &MainWindowIntf::becomeDMTwoSplit},
        {ui->dThreeSplitBtn, &MainWindowIntf::becomeDThreeSplit},
        {ui->wThreeSplitBtn, &MainWindowIntf::becomeWThreeSplit},
        {ui->mThreeSplitBtn, &MainWindowIntf::becomeMThreeSplit},
    };
    for (const auto &mode : modes)
        connect(mode.button, &QPushButton::clicked, mainWindow, mode.mode);
}
