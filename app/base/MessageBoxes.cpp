#include "MessageBoxes.h"

#include <QApplication>
#include <QPointer>

#include <memory>

namespace {

MessageBoxes::Responder &responder()
{
    static MessageBoxes::Responder instance;
    return instance;
}

} // namespace

QMessageBox::StandardButton MessageBoxes::exec(const Request &request)
{
    if (responder())
        return responder()(request);
    std::unique_ptr<QWidget> serviceParent;
    if (request.fromService)
        serviceParent = std::make_unique<QWidget>();
    // On the heap and watched: callers pass whatever window is active, and when that window is deleted
    // while the box is open, the box goes with it. A box on the stack would then be deleted twice.
    const QPointer<QMessageBox> box = new QMessageBox(request.fromService ? serviceParent.get() : request.parent);
    box->setWindowTitle(request.title);
    box->setIcon(request.icon);
    box->setText(request.text);
    box->setInformativeText(request.informativeText);
    box->setStandardButtons(request.buttons);
    if (request.defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(request.defaultButton);
    if (request.fromService) {
        Qt::WindowFlags flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint;
        const QWidget *active = QApplication::activeWindow();
        if (active && active->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            flags |= Qt::WindowStaysOnTopHint;
        box->setWindowFlags(flags);
        box->adjustSize();
        box->setFixedSize(box->size());
    }
    box->exec();
    // A box that went with its parent was closed without an answer.
    if (!box)
        return QMessageBox::NoButton;
    const QMessageBox::StandardButton answer = box->standardButton(box->clickedButton());
    delete box.data();
    return answer;
}

void MessageBoxes::warning(QWidget *parent, const QString &title, const QString &text, const QString &informativeText)
{
    Request request;
    request.parent = parent;
    request.title = title;
    request.icon = QMessageBox::Warning;
    request.text = text;
    request.informativeText = informativeText;
    exec(request);
}

void MessageBoxes::setResponder(Responder newResponder)
{
    responder() = std::move(newResponder);
}
