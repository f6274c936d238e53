#pragma once

#include <QApplication>
#include <QPointer>

class InstanceGuard;

// The application object of a program that runs once per user: a later start finds the first through
// isRunning(), sends it a text with sendMessage(), and the first raises its activation window.
class SingleApplication : public QApplication
{
    Q_OBJECT

public:
    SingleApplication(int &argc, char **argv, const QString &key = QStringLiteral("quillo"));
    ~SingleApplication() override;

    bool isRunning() const;
    bool sendMessage(const QString &message, int timeoutMs);
    // With activateOnMessage, every message from another start raises and activates the window.
    void setActivationWindow(QWidget *window, bool activateOnMessage = true);
    QWidget *activationWindow() const;

public Q_SLOTS:
    void activateWindow();

Q_SIGNALS:
    void messageReceived(const QString &message);

private:
    InstanceGuard *m_guard;
    QPointer<QWidget> m_window;
};
