#include "LinePanel.h"

#include "AnnotationIntf.h"
#include "ui_LinePanel.h"

LinePanel::LinePanel(QWidget *parent)
    : PenPanel({&AnnotationIntf::lineThickness, &AnnotationIntf::setLineThickness, &AnnotationIntf::lineColor,
                &AnnotationIntf::setLineColor},
               parent)
    , ui(std::make_unique<Ui::LinePanel>())
{
    ui->setupUi(this);
    bind({ui->sliderThickness, ui->labelThickness, ui->sliderOpacity, ui->labelOpacity, ui->colorCube});
}

LinePanel::~LinePanel() = default;
