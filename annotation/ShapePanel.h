#pragma once

#include "PenPanel.h"

#include <memory>

namespace Ui {
class ShapePanel;
}

// The option strip of the shape tool: the shape to draw, and thickness, transparency and colour of its pen.
class ShapePanel : public PenPanel
{
    Q_OBJECT

public:
    explicit ShapePanel(QWidget *parent = nullptr);
    ~ShapePanel() override;

public Q_SLOTS:
    // The button's id is the service's shape code.
    void shapeButtonClicked(int shapeCode);

private:
    std::unique_ptr<Ui::ShapePanel> ui;
};
