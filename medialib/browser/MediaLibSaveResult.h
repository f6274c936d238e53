#pragma once

#include <QDialog>
#include <QList>
#include <QUrl>

#include <memory>

class MediaImpl;
class QPushButton;

namespace Ui {
class MediaLibSaveResult;
}

// Tells the presenter where a saved or published file can be found: its path, a link button for every
// online service that holds a copy and a failure mark for every service the export failed to. Services are
// named by their upload bits (1 YouTube, 2 Facebook, 4 Picasa, 8 Twitpic, 16 Dropbox) and 32 for the
// SchoolTube entry, which has an address in the record but no upload service.
class MediaLibSaveResult : public QDialog
{
    Q_OBJECT

public:
    static constexpr uint kSchoolTubeCode = 32;

    explicit MediaLibSaveResult(QWidget *parent = nullptr);
    ~MediaLibSaveResult() override;

    // Shows the record's path and its online copies. The addresses are kept, not the record, so the links
    // still open what was shown after the caller has given the record back.
    void setMedia(MediaImpl *media);
    // Shows the failure marks of these codes (unknown codes are ignored) on top of those shown before.
    void setFailedServices(const QList<uint> &codes);

public Q_SLOTS:
    void onClickDropBox();
    void onClickSchoolTube();
    void onClickYouTube();
    void onClickFacebook();
    void onClickTwitpic();
    void onClickPicasa();

private:
    struct Entry
    {
        uint code;
        QPushButton *link;
        QPushButton *failed;
        QUrl (MediaImpl::*url)() const;
    };
    // In the order the links are filled: Dropbox, Facebook, Picasa, SchoolTube, Twitpic, YouTube.
    QList<Entry> entries() const;
    void openLink(uint code) const;

    std::unique_ptr<Ui::MediaLibSaveResult> ui;
    QHash<uint, QUrl> m_urls;
};
