#include "FreehandPanel.h"

#include "AnnotationIntf.h"
#include "ui_FreehandPanel.h"

FreehandPanel::FreehandPanel(QWidget *parent)
    : PenPanel({&AnnotationIntf::freehandThickness, &AnnotationIntf::setFreehandThickness,
                &AnnotationIntf::freehandColor, &AnnotationIntf::setFreehandColor},
               parent)
    , ui(std::make_unique<Ui::FreehandPanel>())
{
    ui->setupUi(this);
    bind({ui->sliderThickness, ui->labelThickness, ui->sliderOpacity, ui->labelOpacity, ui->colorCube});
}

FreehandPanel::~FreehandPanel() = default;
