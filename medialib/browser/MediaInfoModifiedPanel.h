#pragma once

#include <QDate>
#include <QDialog>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class MediaImpl;
class QCheckBox;
class QFileSystemWatcher;
class QPushButton;

namespace Ui {
class MediaInfoModifiedPanel;
}

// The dialog in which the presenter edits one media file's name, title, author, keywords and description,
// ticks the online services to publish it to and the time of publishing, opens earlier online copies or
// sends the file to the trash. The caller loads a record, runs exec() and acts on the result: 3 save (and
// publish what was ticked), 4 trash the file; 5 (Cancel, or the file in use or gone) and 0 (Escape or the
// window's close button) do nothing.
//
// The dialog renames the file itself, copies the fields into the record and writes its information file
// (staying open with a message when that cannot be written); it submits no upload. It holds one reference on
// the record and a watch on its file while it is open and drops both however it closes. When it ends with
// anything but 3, every service it left "chosen" (0) is set back to "none" (2), so that only a Save publishes.
class MediaInfoModifiedPanel : public QDialog
{
    Q_OBJECT

public:
    enum Result { ResultSave = 3, ResultTrash = 4, ResultClose = 5 };
    enum Mode { ModePublishSetting = 0, ModePublishInformation = 1 };

    explicit MediaInfoModifiedPanel(QWidget *parent = nullptr);
    ~MediaInfoModifiedPanel() override;

    void setMode(int mode);
    void applyMode();
    // multiFile: the record is the first part ("…_1") of a split recording and stands for all its parts.
    void loadMedia(MediaImpl *record, bool multiFile = false);
    // True while the dialog is shown for exactly this path.
    bool isShowingFile(const QString &path) const;
    // Takes up what the information file now says of the record's uploads (an upload finished or failed
    // while the dialog is open): service boxes and links are refreshed in place, the user's typed texts,
    // date and time and the boxes the user ticked stay as they are. Whoever stores an upload's outcome calls
    // this for the file the dialog shows (isShowingFile).
    void reloadUploadState();

    void done(int result) override;

public Q_SLOTS:
    void onClickSaveOrPublish();
    void onClickTrashCan();
    void onClickClose();
    void onClickDropBox();
    void onClickYouTube();
    void onClickFacebook();
    void onClickTwitter();
    void onClickPicasa();
    void onCheckBoxDropBoxChange(bool checked);
    void onCheckBoxYouTubeChange(bool checked);
    void onCheckBoxFacebookChange(bool checked);
    void onCheckBoxTwitterChange(bool checked);
    void onCheckBoxPicasaChange(bool checked);
    void dateCheck(QDate date);
    void currentFileChanged(const QString &path);

private:
    struct Service
    {
        uint bit;
        QCheckBox *box;
        QPushButton *link;
        QUrl (MediaImpl::*url)() const;
    };
    // In the order the links are filled: Dropbox, Facebook, Picasa, Twitpic, YouTube.
    QList<Service> services() const;
    std::optional<Service> service(uint bit) const;

    uint chosenServices() const;
    void refreshServiceChecks();
    // Link buttons, box visibility and the YouTube pair by the record's type and online copies.
    void showServices();
    void serviceToggled(uint bit, bool checked);
    void openLink(uint bit);
    void appendFirstPartSuffix(QString &name) const;
    QString shownBaseName() const;
    void resetNameField();
    // Copies the uploads' statuses, addresses and identifiers from the information file into the record,
    // keeping the services the user ticked here while the file says nothing newer of them.
    void mergeStoredUploadState();
    void watch(const QString &path);
    void dropWatcher();

    std::unique_ptr<Ui::MediaInfoModifiedPanel> ui;
    MediaImpl *m_record = nullptr;
    // Made on the first load, dropped whenever the dialog closes; deleted later when it is dropped from
    // inside its own signal.
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    QString m_titlePrefix;
    int m_mode = ModePublishSetting;
    bool m_multiFile = false;
};
