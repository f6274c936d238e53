#pragma once

#include <QWidget>

#include <memory>

class MainWindowIntf;

namespace Ui {
class SplitScreenPanel;
}

// The tool panel's split-screen strip: seven buttons, one for each display mode from one view to the
// three-pane layouts, with a legend of the three sources.
class SplitScreenPanel : public QWidget
{
    Q_OBJECT

public:
    explicit SplitScreenPanel(QWidget *parent = nullptr);
    ~SplitScreenPanel() override;

    // Connects each button to the window's operation for its mode; until then the buttons do nothing.
    void setMainWindow(MainWindowIntf *mainWindow);

private:
    std::unique_ptr<Ui::SplitScreenPanel> ui;
};
