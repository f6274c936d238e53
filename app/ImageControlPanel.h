#pragma once

#include <QFrame>

#include <memory>

class MainWindowIntf;

namespace Ui {
class ImageControlPanel;
}

// The bar under a shown image: its close button leaves image full display, its toggle switches real full
// screen. The close button shows only where there is a full display to leave.
class ImageControlPanel : public QFrame
{
    Q_OBJECT

public:
    explicit ImageControlPanel(QWidget *parent = nullptr);
    ~ImageControlPanel() override;

    // Connects the buttons to the window and follows its display mode; called once.
    void setMainWindow(MainWindowIntf *mainWindow);
    // The Escape key and leaving full display switch real full screen off through the toggle itself, so that
    // its checked state always tells the truth.
    void clickFullScreenButton();

public Q_SLOTS:
    void splitModeChangedUI(int mode);

private:
    std::unique_ptr<Ui::ImageControlPanel> ui;
};
