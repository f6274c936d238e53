#pragma once

#include <QObject>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QTimer;
class QWidget;

// The tray icon a running recording shows: its menu holds the running time, "Stop Record", "Mute" and
// "Pause". It counts the seconds itself and leaves the recording to whoever listens to its requests.
class RecordingTray : public QObject
{
    Q_OBJECT

public:
    // The menu is the window's child, so that it takes the window's look; the tray only points at it.
    explicit RecordingTray(QWidget *window);

    // A recording started: the two toggles unchecked, the icon with its hint shown, the counter running.
    void showStarted();
    // The icon back after a stop that failed; the counter runs again only while the recording does.
    void showAgain(bool counting);
    // The icon hidden and the counter stopped; its time is kept until resetCounter().
    void hideStopped();
    void resetCounter();
    void pauseCounter();
    void restartCounter();
    // One more second on the counter.
    void count();
    // Pops the menu up at the mouse on a single click on the icon.
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    // Sets the two toggles from a status word: "Pause" checked while its running bit is clear, "Mute" while
    // its sound bit is.
    void showStatus(uint status);

Q_SIGNALS:
    void stopRequested();
    void pauseRequested(bool pause);
    void muteRequested(bool mute);

private:
    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_counterAction = nullptr;
    QAction *m_stopAction = nullptr;
    QAction *m_pauseAction = nullptr;
    QAction *m_muteAction = nullptr;
    QTimer *m_counterTimer = nullptr;
    int m_seconds = 0;
};
