#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace {

// Short enough that a test waits little; long enough that the dialog has run its first show.
constexpr int kPollMs = 10;

} // namespace

ModalAnswerer::ModalAnswerer(Action action, int timeoutMs)
    : m_action(std::move(action))
    , m_remainingPolls(timeoutMs / kPollMs)
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start(kPollMs);
}

bool ModalAnswerer::answered() const
{
    return m_answered;
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible()) {
        m_timer.stop();
        m_answered = true;
        m_action(modal);
        return;
    }
    if (--m_remainingPolls <= 0)
        m_timer.stop();
}

ModalAnswerer::Action ModalAnswerer::accept()
{
    return [](QWidget *modal) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->accept();
    };
}

ModalAnswerer::Action ModalAnswerer::reject()
{
    return [](QWidget *modal) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    };
}

ModalAnswerer::Action ModalAnswerer::clickButton(const QString &text)
{
    return [text](QWidget *modal) {
        const QList<QAbstractButton *> buttons = modal->findChildren<QAbstractButton *>();
        for (QAbstractButton *button : buttons) {
            if (button->text().remove(QLatin1Char('&')) == text) {
                button->click();
                return;
            }
        }
        qWarning("ModalAnswerer - no button \"%s\" in the dialog", qPrintable(text));
    };
}
