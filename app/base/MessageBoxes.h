#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every message box the program shows goes through here, so that a test can answer it and read what was
// shown instead of a modal box blocking the run.
class MessageBoxes
{
public:
    struct Request
    {
        QWidget *parent = nullptr;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        QString informativeText;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        // A box raised by a background service rather than by a window: it gets a hidden top-level
        // parent of its own (the parent above is then not used), shows as a tool window with only a close
        // button, stays on top when the active window does, and keeps the size it first lays out to.
        bool fromService = false;
    };
    using Responder = std::function<QMessageBox::StandardButton(const Request &)>;

    // Shows the box modally and returns the button chosen (QMessageBox::NoButton when it was closed
    // otherwise).
    static QMessageBox::StandardButton exec(const Request &request);
    // The common warning: warning icon, one OK button.
    static void warning(QWidget *parent, const QString &title, const QString &text,
                        const QString &informativeText = QString());

    // Answers every later box with the responder instead of showing it; an empty responder restores the
    // real boxes.
    static void setResponder(Responder responder);
};
