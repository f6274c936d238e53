#include "RecordingTray.h"

#include "RecordingCounter.h"
#include "RecordingIntf.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QTimer>
#include <QWidget>

namespace {

// The balloon's time on screen when a recording starts.
constexpr int kBalloonMs = 10000;
constexpr int kCounterTickMs = 1000;
// The status word showStatus() is given carries the sound's state in this bit, set while sound is
// recorded; the recording service's own mask has no such bit.
constexpr uint kSoundOn = 16;

} // namespace

RecordingTray::RecordingTray(QWidget *window)
    : QObject(window)
{
    m_icon = new QSystemTrayIcon(QIcon(QStringLiteral(":/Image/Tray_Record")), this);
    m_icon->setToolTip(QStringLiteral("Click to stop"));
    m_menu = new QMenu(window);
    m_counterAction = new QAction(RecordingCounter::text(0), this);
    m_counterAction->setEnabled(false);
    m_stopAction = new QAction(QStringLiteral("Stop Record"), this);
    m_pauseAction = new QAction(QStringLiteral("Pause"), this);
    m_muteAction = new QAction(QStringLiteral("Mute"), this);
    m_pauseAction->setCheckable(true);
    m_muteAction->setCheckable(true);
    m_counterTimer = new QTimer(this);
    connect(m_icon, &QSystemTrayIcon::activated, this, &RecordingTray::iconActivated);
    connect(m_counterTimer, &QTimer::timeout, this, &RecordingTray::count);
    connect(m_stopAction, &QAction::triggered, this, &RecordingTray::stopRequested);
    connect(m_muteAction, &QAction::triggered, this, &RecordingTray::muteRequested);
    connect(m_pauseAction, &QAction::triggered, this, &RecordingTray::pauseRequested);
    m_menu->addAction(m_counterAction);
    m_menu->addAction(m_stopAction);
    m_menu->addAction(m_muteAction);
    m_menu->addAction(m_pauseAction);
    m_menu->adjustSize();
    m_icon->setContextMenu(m_menu);
}

void RecordingTray::restartCounter()
{
    m_counterTimer->start(kCounterTickMs);
}

void RecordingTray::pauseCounter()
{
    m_counterTimer->stop();
}

void RecordingTray::resetCounter()
{
    m_seconds = 0;
    m_counterAction->setText(RecordingCounter::text(0));
}

void RecordingTray::showStarted()
{
    m_muteAction->setChecked(false);
    m_pauseAction->setChecked(false);
    m_icon->setVisible(true);
    m_icon->showMessage(QStringLiteral("Hint"), QStringLiteral("Stop or Pause record here."),
                        QSystemTrayIcon::Information, kBalloonMs);
    restartCounter();
}

void RecordingTray::showAgain(bool counting)
{
    m_icon->show();
    if (counting)
        restartCounter();
}

void RecordingTray::hideStopped()
{
    m_icon->hide();
    m_counterTimer->stop();
}

void RecordingTray::count()
{
    ++m_seconds;
    m_counterAction->setText(RecordingCounter::text(m_seconds));
}

void RecordingTray::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    m_menu->adjustSize();
    if (reason == QSystemTrayIcon::Trigger)
        m_menu->popup(QCursor::pos());
}

void RecordingTray::showStatus(uint status)
{
    m_pauseAction->setChecked(!(status & RecordingIntf::RECORDING_STATUS_RUNNING));
    m_muteAction->setChecked(!(status & kSoundOn));
}
