#include "ShapePanel.h"

#include "AnnotationImpl.h"
#include "ui_ShapePanel.h"

#include <QButtonGroup>

namespace {
// The service's shape codes; code 1 (a free ellipse) has no button.
constexpr int kCircle = 0;
constexpr int kSquare = 2;
constexpr int kTriangle = 3;
} // namespace

ShapePanel::ShapePanel(QWidget *parent)
    : PenPanel({&AnnotationIntf::shapeThickness, &AnnotationIntf::setShapeThickness, &AnnotationIntf::shapeColor,
                &AnnotationIntf::setShapeColor},
               parent)
    , ui(std::make_unique<Ui::ShapePanel>())
{
    ui->setupUi(this);
    auto *shapes = new QButtonGroup(this);
    shapes->addButton(ui->circleBtn, kCircle);
    shapes->addButton(ui->squareBtn, kSquare);
    shapes->addButton(ui->triangleBtn, kTriangle);
    if (AnnotationIntf *service = AnnotationImpl::getInstance()) {
        const int code = service->shapeType();
        QAbstractButton *shown = code == kCircle ? ui->circleBtn : code == kSquare ? ui->squareBtn : ui->triangleBtn;
        shown->setChecked(true);
    }
    bind({ui->sliderThickness, ui->labelThickness, ui->sliderOpacity, ui->labelOpacity, ui->colorCube});
    connect(shapes, &QButtonGroup::idClicked, this, &ShapePanel::shapeButtonClicked);
}

ShapePanel::~ShapePanel() = default;

void ShapePanel::shapeButtonClicked(int shapeCode)
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->setShapeType(shapeCode);
}
