#pragma once

#include "AccountRecord.h"

#include <QDialog>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QLineEdit;
class RecordingIntf;
class SettingIntf;
class UploadIntf;
class VideoIntf;
class WebCamIntf;

namespace Ui {
class SettingDialog;
}

// The program's settings window: the media folder, the microphone with its volume and live level, the
// recording resolution, the second web cam with a live preview, and the upload accounts. It owns no setting:
// the settings, recording, web-cam and upload services keep them. The microphone, its volume and the
// previewed web cam take effect as soon as they are chosen, Save makes the choices final and Cancel (the
// button, the window's close button or Escape) undoes what took effect.
//
// The level monitor and the preview run only while the dialog is shown: from its show until a Save or a
// Cancel ends it. Hidden by the program in any other way, the dialog cancels.
class SettingDialog : public QDialog
{
    Q_OBJECT

public:
    // Asks the user for a folder: (parent, start folder) -> the chosen folder, empty when cancelled.
    using FolderPrompt = std::function<QString(QWidget *parent, const QString &startFolder)>;

    // The services are borrowed: they must outlive the dialog. The upload service is looked up through
    // UploadAccess at each show, when the account fields are loaded.
    SettingDialog(SettingIntf *settings, RecordingIntf *recording, VideoIntf *video, WebCamIntf *webCam,
                  QWidget *parent = nullptr);
    ~SettingDialog() override;

    // Replaces the folder chooser (tests answer it); an empty prompt restores the real one.
    static void setFolderPrompt(FolderPrompt prompt);

    // Escape ends the dialog as Cancel does.
    void reject() override;

public Q_SLOTS:
    void getMicSrcListChanged(QList<QString> sources);
    void getMicVolChanged(int percent);
    void selectMicSrcByUI(const QString &source);
    void selectWebCamSrcByUI(int index);
    void getSpeakerVolChanged(int percent);
    void cancel();
    void save();
    void validate();
    void getWebCamListDidChanged(QList<QString> names);
    void fitAuxWebCamWidget();
    void openFileDialog();
    void micVolReport(uint level);
    void changeUIWithRecordingStatus(uint status);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Shows the folder captures go to now, and keeps what was shown.
    void showSavePath();
    struct AccountRow
    {
        uint service;
        QLineEdit *user;
        QLineEdit *password;
    };

    void updateMicSrcList();
    void updateWebCamSrcList();
    void connectMicSelector();
    void disconnectMicSelector();
    void startMonitor();
    void stopMonitor();
    void showVolume(uint percent);
    QWidget *previewView();
    // Cancel's undoing of what the show and the user's choices started; nothing when not shown.
    void undoSession();
    void endSession();

    void loadAccounts();
    bool saveAccounts();
    static AccountRecord rowRecord(const AccountRow &row);

    std::unique_ptr<Ui::SettingDialog> ui;
    SettingIntf *m_settings;
    RecordingIntf *m_recording;
    VideoIntf *m_video;
    WebCamIntf *m_webCam;
    QList<QString> m_micSrcList;
    QList<QString> m_webCamSrcList;
    QString m_savedAudioSource;
    // The folder the field showed when the dialog opened or was last undone.
    QString m_shownSavePath;
    int m_savedMicVolume = 0;
    // In the order the accounts are loaded and stored.
    QList<AccountRow> m_accountRows;
    // The upload service the account fields were last loaded from; Save and Validate use only it, so fields
    // never reach a service they did not come from. Null while none is bound.
    QPointer<UploadIntf> m_upload;

    // Shown: from the show until a Save or a Cancel ends it. Another show meanwhile (a window restored)
    // starts nothing twice.
    bool m_shown = false;
    // This dialog holds one start of the recording service's counted level monitor.
    bool m_holdsMonitor = false;
    // The user moved the volume slider since the show: Cancel puts the mixer back.
    bool m_volumeChanged = false;
    QMetaObject::Connection m_micSelectorConnection;
    QList<QMetaObject::Connection> m_showConnections;
};
