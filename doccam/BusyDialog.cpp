#include "BusyDialog.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

BusyDialog::BusyDialog(QWidget *parent, const QString &text)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::CustomizeWindowHint)
{
    auto *layout = new QVBoxLayout(this);
    auto *bar = new QProgressBar(this);
    bar->setRange(0, 0);
    bar->setValue(-1);
    bar->setTextVisible(false);
    layout->addWidget(bar);
    auto *label = new QLabel(text, this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    adjustSize();
    setFixedSize(size());
    if (parent)
        move(parent->mapToGlobal(parent->rect().center()) - rect().center());
}

QWidget *BusyDialog::parentFor(QWidget *cameraView)
{
    if (cameraView && cameraView->isVisible()) {
        const QPoint corner = cameraView->mapToGlobal(QPoint(0, 0));
        if (corner.x() >= 0 && corner.y() >= 0)
            return cameraView;
    }
    return QApplication::activeWindow();
}
