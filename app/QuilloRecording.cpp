#include "Quillo.h"

#include "AppLog.h"
#include "MediaLibraryIntf.h"
#include "MessageBoxes.h"
#include "RecordingIntf.h"
#include "RecordingTray.h"
#include "ToolsPanel.h"
#include "WidgetModeToolBar.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

// Quillo's side of a recording: stopping it, handing its files on and the tray that shows it runs.

namespace {

// A recording is stopped only outside other modal loops (its save dialog is modal itself); until the open
// dialog closes the stop is tried again at this pace.
constexpr int kStopRetryMs = 200;

// Running, not paused: the counter goes on.
constexpr uint kRecordingRunning = RecordingIntf::RECORDING_STATUS_RECORDING | RecordingIntf::RECORDING_STATUS_RUNNING;

// The recording ended because its disk was removed: its files cannot be offered.
constexpr int kRecordingDiskRemoved = -4001;

} // namespace

void Quillo::startRecording()
{
    m_recordingTray->showStarted();
}

void Quillo::recordingCounterCount()
{
    m_recordingTray->count();
}

void Quillo::stopRecord()
{
    if (!(m_recording->actionStatus() & RecordingIntf::RECORDING_STATUS_RECORDING))
        return;
    // The stop holds the GUI thread until the file is closed and then opens the modal save dialog: never
    // from inside another modal loop.
    if (QApplication::activeModalWidget()) {
        if (!m_stopRetryScheduled) {
            m_stopRetryScheduled = true;
            QTimer::singleShot(kStopRetryMs, this, [this] {
                m_stopRetryScheduled = false;
                stopRecord();
            });
        }
        if (!m_stopWaitsForDialog) {
            // Said once per stop asked for, so that the user knows the click was heard.
            m_stopWaitsForDialog = true;
            MessageBoxes::Request box;
            box.parent = QApplication::activeModalWidget();
            box.icon = QMessageBox::Information;
            box.text = tr("The recording stops when the open dialog is closed.");
            MessageBoxes::exec(box);
        }
        return;
    }
    m_stopWaitsForDialog = false;
    m_recordingTray->hideStopped();
    QList<QString> files;
    const int result = m_recording->stopRecording(&files);
    if (result < 0) {
        const uint status = m_recording->actionStatus();
        appLog(LogSystem::LOG_ERROR, "Quillo::stopRecord() - stop failed with %d, status now %u", result, status);
        if (status & RecordingIntf::RECORDING_STATUS_RECORDING) {
            // Still recording: the user keeps the controls to stop it.
            m_recordingTray->showAgain(status == kRecordingRunning);
            m_toolsPanel->recordUIChangedWithStatus(status);
            m_widgetBar->recordUIChangedWithStatus(status);
        }
        return;
    }
    if (!files.isEmpty())
        handRecordedFiles(files);
    m_recordingTray->resetCounter();
}

void Quillo::handRecordedFiles(const QList<QString> &files)
{
    if (m_widgetMode)
        handRecordedFilesInWidgetMode(files);
    else
        m_mediaLibrary->processRecordedFiles(files);
}

void Quillo::handRecordedFilesInWidgetMode(const QList<QString> &files)
{
    m_widgetBar->uncheckRecordButton();
    const bool wasExpanded = !m_widgetBar->isVisionHidden();
    if (wasExpanded)
        m_widgetBar->showHideVision(true);
    m_mediaLibrary->processRecordedFiles(files);
    if (wasExpanded)
        m_widgetBar->showHideVision(false);
}

void Quillo::recordForceStopped(int code, const QList<QString> &files)
{
    m_recordingTray->hideStopped();
    m_recordingTray->resetCounter();
    if (code == kRecordingDiskRemoved)
        return;
    const QList<QString> existing = recordedFilesKept(files);
    if (!existing.isEmpty())
        handRecordedFiles(existing);
}

QList<QString> Quillo::recordedFilesKept(const QList<QString> &files)
{
    // A vanished file costs only itself: the others are still offered for saving. An empty file holds no
    // recording.
    QList<QString> kept;
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (info.isFile() && info.size() > 0)
            kept << file;
        else
            appLog(LogSystem::LOG_WARNING, "Quillo::recordedFilesKept() - recorded file %s is gone or empty",
                   qUtf8Printable(file));
    }
    return kept;
}

void Quillo::playPauseRecord(bool pause)
{
    if (pause) {
        m_recordingTray->pauseCounter();
        m_recording->pauseRecording();
    } else {
        m_recordingTray->restartCounter();
        m_recording->resumeRecording();
    }
}

void Quillo::muteUnmuteRecord(bool mute)
{
    m_recording->setMute(mute);
}

void Quillo::recordStopTrayTriggered(QSystemTrayIcon::ActivationReason reason)
{
    m_recordingTray->iconActivated(reason);
}

void Quillo::recordingStatusChangedUI(uint status)
{
    m_recordingTray->showStatus(status);
}
