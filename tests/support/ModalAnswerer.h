#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QWidget;

// Answers the next modal dialog (a QDialog, a file dialog, ...) that a test's call opens: once a modal
// widget is active, the action runs on it (click a button, fill a field, accept). Arm it before the call
// that blocks in exec(). If no modal widget appears within the time limit the action never runs and
// answered() stays false.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    using Action = std::function<void(QWidget *modal)>;

    explicit ModalAnswerer(Action action, int timeoutMs = 5000);
    bool answered() const;

    // Common actions.
    static Action accept();
    static Action reject();
    static Action clickButton(const QString &text);

private:
    void poll();

    Action m_action;
    QTimer m_timer;
    int m_remainingPolls;
    bool m_answered = false;
};
