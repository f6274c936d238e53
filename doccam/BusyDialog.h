#pragma once

#include <QDialog>

class QString;

// A small frameless box with an endless progress bar above a centred text, shown while the program waits
// for the camera. Fixed to its laid-out size and centred over its parent when it has one.
class BusyDialog : public QDialog
{
    Q_OBJECT

public:
    BusyDialog(QWidget *parent, const QString &text);

    // The camera view when it is shown with its corner on a screen (so the box lands over the picture),
    // else the active window.
    static QWidget *parentFor(QWidget *cameraView);
};
