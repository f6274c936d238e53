#include "PipView.h"

#include "PaneLayout.h"
#include "ui_PipView.h"

PipView::PipView(QWidget *parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::PipView>())
{
    ui->setupUi(this);
    setCursor(Qt::ArrowCursor);
    connect(ui->btnMove, &QPushButton::clicked, this, &PipView::btnPressed);
}

PipView::~PipView() = default;

void PipView::raiseMoveButton()
{
    ui->btnMove->raise();
}

void PipView::centerView(QWidget *child)
{
    child->move(PaneLayout::centeredIn(child->size(), rect()));
}

void PipView::nextCorner()
{
    cornerIndex = PaneLayout::nextCorner(cornerIndex);
}

void PipView::btnPressed()
{
    emit movePressed();
}

void PipView::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    ui->btnMove->move(width() - ui->btnMove->width(), height() - ui->btnMove->height());
    update();
}
