#pragma once

#include <QFrame>
#include <QList>
#include <QString>

#include <memory>

class CaptureIntf;
class QPushButton;

namespace Ui {
class CaptureSeletionPanel;
}

// The capture strip of the tool panel: full-screen grab, document-camera snapshot, and a time-lapse set-up
// with editors for the total time and the interval, a start/stop button and the progress. Every button calls
// the capture service, and every enabled, visible and checked state follows the service's action status.
class CaptureSelectionPanel : public QFrame
{
    Q_OBJECT

public:
    explicit CaptureSelectionPanel(QWidget *parent = nullptr);
    ~CaptureSelectionPanel() override;

    // Called once by the tool panel.
    void setCaptureService(CaptureIntf *service);
    // Closes an open time-lapse set-up; the tool panel calls it when its capture button is unchecked.
    void closeTimeLapseEditor();

public Q_SLOTS:
    void incTime();
    void decTime();
    void incInterval();
    void decInterval();
    void screenCapture();
    void docCamCapture();
    void doTimeLapesCapture();
    void startEditTimeLapes();
    void startStopTimeLapesCapture(bool start);
    void setEditTimeMin(bool checked);
    void setEditTimeSec(bool checked);
    void setEditTimeHour(bool checked);
    void setEditIntervalMin(bool checked);
    void setEditIntervalSec(bool checked);
    void setEditIntervalHour(bool checked);
    void endOfTimeLapesCapture(const QList<QString> &files);
    void interruptTimeLapesCapture(const QList<QString> &files, int reason);
    void updateUIWithActionStatus(uint status);
    void updateCaptureProgress(uint shotsTaken, uint shotsPlanned);

private:
    // The three unit buttons of one editor and the value they show.
    struct Editor
    {
        QPushButton *hours;
        QPushButton *minutes;
        QPushButton *seconds;
        int *value;
        int cap;
    };

    Editor timeEditor();
    Editor intervalEditor();
    void chooseUnit(const Editor &editor, QPushButton *unit, bool checked);
    void raise(const Editor &editor);
    void lower(const Editor &editor);
    void sendParameters();
    static void redraw(const Editor &editor);
    void resetEditors();
    void uncheckUnits();
    // Runs one capture unless one is already being saved.
    void captureOnce(int (CaptureIntf::*capture)(QString *));

    std::unique_ptr<Ui::CaptureSeletionPanel> ui;
    CaptureIntf *m_service = nullptr;
    int m_timeSeconds = 0;
    int m_intervalSeconds = 0;
    bool m_timeLapseEditorOpen = false;
    // A capture is being saved; the save runs a nested event loop in which the buttons still take clicks.
    bool m_capturing = false;
};
