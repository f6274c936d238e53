#pragma once

#include "MessageBoxes.h"

#include <QList>

// Answers the program's message boxes during a test: each box is recorded and answered with the next
// scripted button, or with its default (else OK) when the script is empty. Restores real boxes when it
// goes out of scope.
class MessageBoxScript
{
public:
    MessageBoxScript();
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript &) = delete;
    MessageBoxScript &operator=(const MessageBoxScript &) = delete;

    void answerNext(QMessageBox::StandardButton button);
    const QList<MessageBoxes::Request> &shown() const;
    // The text of the last box shown, empty when none was.
    QString lastText() const;

private:
    QList<QMessageBox::StandardButton> m_answers;
    QList<MessageBoxes::Request> m_shown;
};
