#pragma once

#include "MediaLibraryIntf.h"
#include "MediaLibraryPanel.h"
#include "UploadResult.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <memory>

class CaptureIntf;
class MediaImpl;
class MediaInfoModifiedPanel;
class MediaLibSaveResult;
class UploadIntf;

// The media-library service: owns the browser panel and the information dialogs, carries the browser's
// requests to the main window (show an image, play a video) and to the information dialog, saves and
// publishes the files of each finished recording, and stores the upload service's outcomes in the media
// files' information files. One process-wide instance, counted by getInstance and release; GUI thread only.
//
// The upload service is the one bound through UploadAccess when the service is made; without one, uploads
// are neither queued nor withdrawn (each such step is logged) and everything else works.
class MediaLibraryImpl : public MediaLibraryIntf
{
    Q_OBJECT

public:
    // The first call makes the service with its panel on parent; later calls count one more user and
    // ignore the argument. capture is one counted reference of the capture service handed over to the panel;
    // a call that finds the service made gives it back at once.
    static MediaLibraryIntf *getInstance(QWidget *parent, CaptureIntf *capture = nullptr);

    void release() override;
    QWidget *widget() override;
    MediaIntf *getMedia(const QString &path) override;
    MediaIntf *acquireMedia(const QString &path) override;
    void processRecordedFiles(QList<QString> files) override;
    void showSaveFolder() override;
    // The same flow for one file.
    virtual void processRecordedFile(const QString &path);

    MediaLibraryPanel *panel() const { return m_panel; }

    // What the browser's views and models ask of the main window and the dialogs.
    void requestShowImage(const QString &path);
    void requestPlayVideo(MediaIntf *media);
    void openFolder(MediaIntf *media);
    void notifyWidgetResized();
    // The information dialog in its delete mode; it is back in its publish mode afterwards.
    void showMediaInfoForDelete(MediaImpl *media);

    // Queues every service the record has chosen (status 0) with its upload time, marks them queued and
    // writes the record's information file.
    void submitUploadJob(MediaImpl *media);
    // Stores one service's status in the path's information file and refreshes the information dialog
    // when it shows that file.
    void setUploadStatus(uint service, const QString &path, int status);
    // An immediate upload of the record to the services of its mask.
    QList<UploadResult> uploadNow(MediaImpl *media);
    static void applyUploadResult(const UploadResult &result, MediaImpl *media);

public Q_SLOTS:
    void showMediaInfo(MediaImpl *media);
    void closeMediaLibPaenl();
    void launchUploadManager();
    void uploadFailed(uint service, const QString &path);
    void uploadCancel(uint service, const QString &path);
    void uploadSuccess(uint service, const QString &path, const QString &id, const QString &url);
    void uploadRetry(uint service, const QString &path);
    void uploadWaitingJobs();

private:
    MediaLibraryImpl(QWidget *parent, CaptureIntf *capture);
    ~MediaLibraryImpl() override;

    // Withdraws the record's online copies, removes the file with its companions and gives the record back.
    void trash(MediaImpl *media);
    void refreshInfoDialog(MediaImpl *media);
    // A recording's texts that could not be written are told, not dropped: the file itself is kept.
    void warnRecordingInfoLost();
    // The two media-information dialogs are made when first shown: they are top-level windows the start
    // does not show, and each costs about 20 ms of the window's construction (form, icons, calendar).
    MediaInfoModifiedPanel *infoDialog();
    MediaInfoModifiedPanel *recordingDialog();
    UploadIntf *upload(const char *purpose) const;

    // Owned; its parent widget may delete it first when the window goes before the service.
    QPointer<MediaLibraryPanel> m_panel;
    std::unique_ptr<MediaInfoModifiedPanel> m_infoDialog;
    std::unique_ptr<MediaInfoModifiedPanel> m_recordingDialog;
    std::unique_ptr<MediaLibSaveResult> m_saveResult;
    // The service may be unbound and its object may go before this one.
    QPointer<UploadIntf> m_upload;
    int m_refCount = 1;
    // Records handed out by getMedia, without a reference of their own: each leaves the list when its last
    // holder gives it back. Shared with the records, which may outlive the service.
    std::shared_ptr<QList<MediaImpl *>> m_records;
    // Records whose jobs wait for uploadWaitingJobs, one reference each.
    QList<MediaImpl *> m_waiting;
};
