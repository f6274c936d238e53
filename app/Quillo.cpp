#include "Quillo.h"

Quillo::Quillo(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Quillo"));
    setWindowTitle(QStringLiteral("Quillo"));
    showMaximized();
}

Quillo::~Quillo() = default;
