#include "MessageBoxes.h"

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
    QMessageBox box(request.parent);
    box.setWindowTitle(request.title);
    box.setIcon(request.icon);
    box.setText(request.text);
    box.setInformativeText(request.informativeText);
    box.setStandardButtons(request.buttons);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    if (request.windowFlags) {
        box.setWindowFlags(request.windowFlags);
        box.setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        box.adjustSize();
        box.setFixedSize(box.size());
    }
    box.exec();
    return box.standardButton(box.clickedButton());
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
