#pragma once

#include "PenPanel.h"

#include <memory>

namespace Ui {
class FreehandPanel;
}

// The option strip of the freehand tool: thickness, transparency and colour of its pen.
class FreehandPanel : public PenPanel
{
    Q_OBJECT

public:
    explicit FreehandPanel(QWidget *parent = nullptr);
    ~FreehandPanel() override;

private:
    std::unique_ptr<Ui::FreehandPanel> ui;
};
