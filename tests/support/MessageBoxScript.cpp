#include "MessageBoxScript.h"

MessageBoxScript::MessageBoxScript()
{
    MessageBoxes::setResponder([this](const MessageBoxes::Request &request) {
        m_shown.append(request);
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        if (request.defaultButton != QMessageBox::NoButton)
            return request.defaultButton;
        return request.buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::NoButton;
    });
}

MessageBoxScript::~MessageBoxScript()
{
    MessageBoxes::setResponder({});
}

void MessageBoxScript::answerNext(QMessageBox::StandardButton button)
{
    m_answers.append(button);
}

const QList<MessageBoxes::Request> &MessageBoxScript::shown() const
{
    return m_shown;
}

QString MessageBoxScript::lastText() const
{
    return m_shown.isEmpty() ? QString() : m_shown.last().text;
}
