#pragma once

#include <QWidget>

#include <memory>

class MainWindowIntf;

namespace Ui {
class PresenterPanel;
}

// The tool panel's presenter strip: the spotlight and the visor, each starting presenter mode with its
// effect.
class PresenterPanel : public QWidget
{
    Q_OBJECT

public:
    explicit PresenterPanel(QWidget *parent = nullptr);
    ~PresenterPanel() override;

    // Connects the two buttons to the window; until then they do nothing.
    void setMainWindow(MainWindowIntf *mainWindow);

private:
    std::unique_ptr<Ui::PresenterPanel> ui;
};
