#pragma once

#include <QMainWindow>

// The main window.
class Quillo : public QMainWindow
{
    Q_OBJECT

public:
    explicit Quillo(QWidget *parent = nullptr);
    ~Quillo() override;
};
