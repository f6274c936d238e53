#pragma once

#include "PenPanel.h"

#include <memory>

namespace Ui {
class LinePanel;
}

// The option strip of the line tool: thickness, transparency and colour of its pen.
class LinePanel : public PenPanel
{
    Q_OBJECT

public:
    explicit LinePanel(QWidget *parent = nullptr);
    ~LinePanel() override;

private:
    std::unique_ptr<Ui::LinePanel> ui;
};
