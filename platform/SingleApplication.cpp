#include "SingleApplication.h"

#include "InstanceGuard.h"

#include <QWidget>

SingleApplication::SingleApplication(int &argc, char **argv, const QString &key)
    : QApplication(argc, argv)
    , m_guard(new InstanceGuard(key, this))
{
    connect(m_guard, &InstanceGuard::messageReceived, this, &SingleApplication::messageReceived);
}

SingleApplication::~SingleApplication() = default;

bool SingleApplication::isRunning() const
{
    return m_guard->isRunning();
}

bool SingleApplication::sendMessage(const QString &message, int timeoutMs)
{
    return m_guard->sendMessage(message, timeoutMs);
}

void SingleApplication::setActivationWindow(QWidget *window, bool activateOnMessage)
{
    m_window = window;
    if (activateOnMessage)
        connect(this, &SingleApplication::messageReceived, this, &SingleApplication::activateWindow,
                Qt::UniqueConnection);
    else
        disconnect(this, &SingleApplication::messageReceived, this, &SingleApplication::activateWindow);
}

QWidget *SingleApplication::activationWindow() const
{
    return m_window;
}

void SingleApplication::activateWindow()
{
    if (!m_window)
        return;
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->raise();
    m_window->activateWindow();
}
