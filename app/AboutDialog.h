#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AboutDialog;
}

// The "About" box: logo, name, version, the program's licence and the libraries it uses with theirs. A fixed
// size, closed with the title bar's close button only.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

    // "Version " and the version this build was configured with.
    static QString versionText();

private:
    std::unique_ptr<Ui::AboutDialog> ui;
};
