#include "BusyDialog.h"

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
