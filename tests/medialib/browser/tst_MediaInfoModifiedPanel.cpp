#include "DialogWatchdog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaInfoModifiedPanel.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "Screenshot.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "UploadAccess.h"
#include "UploadFake.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimeEdit>

#include <memory>
#include <optional>

namespace {

using Panel = MediaInfoModifiedPanel;

// The service bits with the names of their widgets in the form.
struct ServiceWidgets
{
    uint bit;
    const char *box;
    const char *link;
};
const ServiceWidgets kServices[] = {
    {MediaImpl::SERVICE_YOUTUBE, "checkBox_YouTube", "btnYouTube"},
    {MediaImpl::SERVICE_FACEBOOK, "checkBox_Facebook", "btnFacebook"},
    {MediaImpl::SERVICE_PICASA, "checkBox_Picasa", "btnPicasa"},
    {MediaImpl::SERVICE_TWITPIC, "checkBox_Twitter", "btnTwitpic"},
    {MediaImpl::SERVICE_DROPBOX, "checkBox_DropBox", "btnDropBox"},
};

// A record and its one test reference, given back at the end of the test.
struct RecordDeleter
{
    void operator()(MediaImpl *record) const { record->release(); }
};
using Record = std::unique_ptr<MediaImpl, RecordDeleter>;

QCheckBox *box(const Panel &panel, uint bit)
{
    for (const ServiceWidgets &service : kServices) {
        if (service.bit == bit)
            return panel.findChild<QCheckBox *>(QLatin1String(service.box));
    }
    return nullptr;
}

QPushButton *link(const Panel &panel, uint bit)
{
    for (const ServiceWidgets &service : kServices) {
        if (service.bit == bit)
            return panel.findChild<QPushButton *>(QLatin1String(service.link));
    }
    return nullptr;
}

template<typename T>
T *widget(const Panel &panel, const char *name)
{
    T *found = panel.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

QPushButton *saveButton(const Panel &panel)
{
    return widget<QPushButton>(panel, "cancelBtn");
}

QPushButton *cancelButton(const Panel &panel)
{
    return widget<QPushButton>(panel, "pushButton_save");
}

QLineEdit *field(const Panel &panel, const char *name)
{
    return widget<QLineEdit>(panel, name);
}

// Runs the dialog modally; inside runs once it is on screen, as the user's actions.
int runDialog(Panel &panel, const std::function<void()> &inside)
{
    DialogWatchdog watchdog;
    ModalAnswerer answerer([&inside](QWidget *) { inside(); });
    const int result = panel.exec();
    if (!answerer.answered())
        QTest::qFail("the dialog was not answered", __FILE__, __LINE__);
    return result;
}

} // namespace

class TestMediaInfoModifiedPanel : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<UploadFake> m_upload;
    // Every test runs under one: a box the dialog opens outside runDialog (a real upload service asking for
    // access, a refusal) must not hang the run either.
    std::optional<DialogWatchdog> m_watchdog;

    QString touch(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            QTest::qFail(qPrintable(QStringLiteral("cannot write %1").arg(path)), __FILE__, __LINE__);
        file.write("media");
        return path;
    }
    Record record(const QString &name) { return Record(new MediaImpl(touch(name))); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        MediaFileStore::getInstance()->makeCacheFolder(m_dir.path());
    }

    void init()
    {
        m_watchdog.emplace();
        m_upload = std::make_unique<UploadFake>();
        TestEnvironment::clearOpenedUrls();
    }

    void cleanup()
    {
        m_watchdog.reset();
        m_upload.reset();
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

    void formAsTheDialogSetsItUp()
    {
        Panel panel;
        QCOMPARE(panel.size(), QSize(513, 400));
        QCOMPARE(panel.minimumSize(), panel.maximumSize());
        QVERIFY(panel.windowFlags().testFlag(Qt::Tool));
        QVERIFY(panel.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(panel.windowTitle(), QStringLiteral("Save/Publish image"));
        // The form's two outer buttons trade roles.
        QCOMPARE(saveButton(panel)->text(), QStringLiteral("Save"));
        QVERIFY(saveButton(panel)->isDefault());
        QCOMPARE(cancelButton(panel)->text(), QStringLiteral("Cancel"));
        QVERIFY(!cancelButton(panel)->isDefault());
        QCOMPARE(widget<QDateEdit>(panel, "uploadDateEdit")->calendarWidget()->styleSheet(),
                 QStringLiteral("QWidget{color: black;}"));
    }

    void fieldsFromTheRecord_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("multiFile");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shownName");
        QTest::addColumn<QString>("shownTitle");
        QTest::newRow("titled") << "Lesson.avi" << false << "Waves"
                                << "Lesson"
                                << "Waves";
        QTest::newRow("untitled takes the name") << "Lesson.avi" << false << ""
                                                 << "Lesson"
                                                 << "Lesson";
        QTest::newRow("first part of a split recording") << "Lesson_1.avi" << true << ""
                                                         << "Lesson"
                                                         << "Lesson";
        QTest::newRow("single file keeps its _1") << "Lesson_1.avi" << false << ""
                                                  << "Lesson_1"
                                                  << "Lesson_1";
        QTest::newRow("last suffix only") << "trip.2024.jpg" << false << ""
                                          << "trip.2024"
                                          << "trip.2024";
    }
    void fieldsFromTheRecord()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, multiFile);
        QFETCH(QString, title);
        QFETCH(QString, shownName);
        QFETCH(QString, shownTitle);
        Record media = record(fileName);
        media->setTitle(title);
        media->setAuthor(QStringLiteral("Ms Lee"));
        media->setDescription(QStringLiteral("Second lesson"));
        media->setKeywords(QStringLiteral("sea, waves"));
        Panel panel;
        panel.loadMedia(media.get(), multiFile);
        QCOMPARE(field(panel, "lineEdit_fileName")->text(), shownName);
        QCOMPARE(field(panel, "lineEdit_title")->text(), shownTitle);
        QCOMPARE(field(panel, "lineEdit_keyword")->text(), QStringLiteral("sea,waves"));
        QCOMPARE(field(panel, "lineEdit_auth_name")->text(), QStringLiteral("Ms Lee"));
        QCOMPARE(field(panel, "descriptionTextBox")->text(), QStringLiteral("Second lesson"));
        // Folder path plus name stay within 240 characters.
        const QFileInfo file(media->path());
        QCOMPARE(field(panel, "lineEdit_fileName")->maxLength(),
                 240 - int(file.absolutePath().size()) - int(file.suffix().size()));
        QCOMPARE(widget<QDateEdit>(panel, "uploadDateEdit")->date(), QDate::currentDate());
        QCOMPARE(widget<QDateEdit>(panel, "uploadDateEdit")->minimumDate(), QDate::currentDate());
        QCOMPARE(media->refCount(), 2);
    }

    void serviceBoxesAndLinks_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("youTubeShown");
        QTest::newRow("image") << "board.jpg"
                               << "Save/Publish image" << false;
        QTest::newRow("video") << "lesson.avi"
                               << "Save/Publish video" << true;
    }
    void serviceBoxesAndLinks()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, title);
        QFETCH(bool, youTubeShown);
        Record media = record(fileName);
        // Queued to Picasa and Dropbox, published on Facebook, nothing yet elsewhere.
        media->setUploadStatus(MediaImpl::SERVICE_PICASA, MediaImpl::STATUS_QUEUED);
        media->setUploadStatus(MediaImpl::SERVICE_DROPBOX, MediaImpl::STATUS_QUEUED);
        media->setUploadStatus(MediaImpl::SERVICE_FACEBOOK, MediaImpl::STATUS_UPLOADED);
        const QUrl page(QStringLiteral("https://social.example/photo?id=7&size=big"));
        media->setFacebookUrl(page);
        Panel panel;
        panel.loadMedia(media.get());
        QCOMPARE(panel.windowTitle(), title);

        for (uint queued : {MediaImpl::SERVICE_PICASA, MediaImpl::SERVICE_DROPBOX}) {
            QVERIFY(!box(panel, queued)->isHidden());
            QVERIFY(box(panel, queued)->isChecked());
            QVERIFY(!box(panel, queued)->isEnabled());
            QVERIFY(!link(panel, queued)->isEnabled());
        }
        QVERIFY(box(panel, MediaImpl::SERVICE_FACEBOOK)->isHidden());
        QVERIFY(link(panel, MediaImpl::SERVICE_FACEBOOK)->isEnabled());
        QCOMPARE(link(panel, MediaImpl::SERVICE_FACEBOOK)->toolTip(), page.toString());
        QVERIFY(!box(panel, MediaImpl::SERVICE_TWITPIC)->isChecked());
        QVERIFY(box(panel, MediaImpl::SERVICE_TWITPIC)->isEnabled());
        QCOMPARE(!box(panel, MediaImpl::SERVICE_YOUTUBE)->isHidden(), youTubeShown);
        QCOMPARE(!link(panel, MediaImpl::SERVICE_YOUTUBE)->isHidden(), youTubeShown);
        // Loading changes no status.
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_PICASA), int(MediaImpl::STATUS_QUEUED));
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_TWITPIC), int(MediaImpl::STATUS_NONE));
    }

    void linksOpenTheirPages()
    {
        Record media = record(QStringLiteral("lesson.avi"));
        const QUrl page(QStringLiteral("https://video.example/watch?v=abc"));
        media->setYoutubeUrl(page);
        Panel panel;
        panel.loadMedia(media.get());
        link(panel, MediaImpl::SERVICE_YOUTUBE)->click();
        QCOMPARE(TestEnvironment::openedUrls(), QList<QUrl>{page});
        // A service without a page opens nothing.
        panel.onClickDropBox();
        QCOMPARE(TestEnvironment::openedUrls().size(), 1);
    }

    void tickingAskTheUploadService_data()
    {
        QTest::addColumn<bool>("granted");
        QTest::newRow("granted") << true;
        QTest::newRow("refused") << false;
    }
    void tickingAskTheUploadService()
    {
        QFETCH(bool, granted);
        m_upload->setAnswer(QStringLiteral("verifyAccess"), granted);
        Record media = record(QStringLiteral("board.jpg"));
        Panel panel;
        panel.loadMedia(media.get());
        box(panel, MediaImpl::SERVICE_TWITPIC)->setChecked(true);
        QCOMPARE(m_upload->lastArgs(QStringLiteral("verifyAccess")),
                 (QVariantList{uint(MediaImpl::SERVICE_TWITPIC), QVariant::fromValue<QWidget *>(&panel)}));
        QCOMPARE(box(panel, MediaImpl::SERVICE_TWITPIC)->isChecked(), granted);
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_TWITPIC),
                 int(granted ? MediaImpl::STATUS_CHOSEN : MediaImpl::STATUS_NONE));
        box(panel, MediaImpl::SERVICE_TWITPIC)->setChecked(false);
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_TWITPIC), int(MediaImpl::STATUS_NONE));
    }

    void saveSubmitsOnlyWhatIsTicked()
    {
        m_upload->setAnswer(QStringLiteral("verifyAccess"), true);
        // A "chosen" status read from the file shows unticked, so it is not sent, and it is not kept.
        Record media = record(QStringLiteral("lesson.avi"));
        media->setUploadStatus(MediaImpl::SERVICE_FACEBOOK, MediaImpl::STATUS_CHOSEN);
        Panel panel;
        panel.loadMedia(media.get());
        QVERIFY(!box(panel, MediaImpl::SERVICE_FACEBOOK)->isChecked());
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_FACEBOOK), int(MediaImpl::STATUS_CHOSEN));
        const int result = runDialog(panel, [&] {
            box(panel, MediaImpl::SERVICE_PICASA)->setChecked(true);
            saveButton(panel)->click();
        });
        QCOMPARE(result, int(Panel::ResultSave));
        QCOMPARE(m_upload->lastArgs(QStringLiteral("checkVideoUploadInputs")).value(0).toUInt(),
                 uint(MediaImpl::SERVICE_PICASA));
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_PICASA), int(MediaImpl::STATUS_CHOSEN));
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_FACEBOOK), int(MediaImpl::STATUS_NONE));
    }

    void closingWithoutSaveChoosesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("trash") << "trash" << int(Panel::ResultTrash);
        QTest::newRow("cancel") << "cancel" << int(Panel::ResultClose);
        QTest::newRow("escape") << "escape" << int(QDialog::Rejected);
        QTest::newRow("window close button") << "close" << int(QDialog::Rejected);
    }
    void closingWithoutSaveChoosesNothing()
    {
        m_upload->setAnswer(QStringLiteral("verifyAccess"), true);
        // However the dialog closes without Save, it gives the record back, stops watching the file and
        // leaves no service "chosen".
        QFETCH(QString, how);
        QFETCH(int, result);
        Record media = record(QStringLiteral("lesson.avi"));
        media->setUploadStatus(MediaImpl::SERVICE_FACEBOOK, MediaImpl::STATUS_CHOSEN);
        Panel panel;
        panel.loadMedia(media.get());
        const int ended = runDialog(panel, [&] {
            box(panel, MediaImpl::SERVICE_DROPBOX)->setChecked(true);
            QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_DROPBOX), int(MediaImpl::STATUS_CHOSEN));
            if (how == QLatin1String("trash"))
                widget<QPushButton>(panel, "pushButton_trashCan")->click();
            else if (how == QLatin1String("cancel"))
                cancelButton(panel)->click();
            else if (how == QLatin1String("escape"))
                QTest::keyClick(&panel, Qt::Key_Escape);
            else
                panel.close();
        });
        QCOMPARE(ended, result);
        QCOMPARE(media->refCount(), 1);
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_DROPBOX), int(MediaImpl::STATUS_NONE));
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_FACEBOOK), int(MediaImpl::STATUS_NONE));
        QCOMPARE(m_upload->count(QStringLiteral("checkVideoUploadInputs")), 0);

        // The file moved or deleted later by the browser stirs no hidden dialog.
        MessageBoxScript boxes;
        QVERIFY(QFile::remove(media->path()));
        QTest::qWait(200);
        QVERIFY(boxes.shown().isEmpty());
    }

    void fileDeletedWhileOpenEndsTheDialog()
    {
        Record media = record(QStringLiteral("board.jpg"));
        Panel panel;
        panel.loadMedia(media.get());
        MessageBoxScript boxes;
        const int result = runDialog(panel, [&] {
            // A change of content is no reason to close.
            QFile file(media->path());
            QVERIFY(file.open(QIODevice::Append));
            file.write("more");
            file.close();
            QTest::qWait(100);
            QVERIFY(panel.isVisible());
            QVERIFY(QFile::remove(media->path()));
        });
        QCOMPARE(result, int(Panel::ResultClose));
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("File error"));
        QCOMPARE(boxes.lastText(), QStringLiteral("File does not exist"));
        QCOMPARE(media->refCount(), 1);
    }

    void saveRenamesAndCopiesTheFields_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("multiFile");
        QTest::addColumn<QString>("savedName");
        QTest::addColumn<QString>("savedTitle");
        QTest::newRow("single file") << "Lesson.avi" << false << "Talk.avi"
                                     << "Intro";
        QTest::newRow("split recording") << "Lesson_1.avi" << true << "Talk_1.avi"
                                         << "Intro_1";
    }
    void saveRenamesAndCopiesTheFields()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, multiFile);
        QFETCH(QString, savedName);
        QFETCH(QString, savedTitle);
        Record media = record(fileName);
        Panel panel;
        panel.loadMedia(media.get(), multiFile);
        const QDate tomorrow = QDate::currentDate().addDays(1);
        const int result = runDialog(panel, [&] {
            field(panel, "lineEdit_fileName")->setText(QStringLiteral("Talk"));
            field(panel, "lineEdit_title")->setText(QStringLiteral("Intro"));
            field(panel, "lineEdit_keyword")->setText(QStringLiteral(" sea, Sea ,,sea"));
            field(panel, "lineEdit_auth_name")->setText(QStringLiteral("Ms Lee"));
            field(panel, "descriptionTextBox")->setText(QStringLiteral("Waves and tides"));
            widget<QDateEdit>(panel, "uploadDateEdit")->setDate(tomorrow);
            widget<QTimeEdit>(panel, "uploadTimeEdit")->setTime(QTime(9, 30));
            saveButton(panel)->click();
        });
        QCOMPARE(result, int(Panel::ResultSave));
        const QString renamed = m_dir.filePath(savedName);
        QVERIFY(QFileInfo::exists(renamed));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(fileName)));
        QCOMPARE(media->path(), renamed);
        QCOMPARE(media->title(), savedTitle);
        QCOMPARE(media->keywords(), (QStringList{QStringLiteral("sea"), QStringLiteral("Sea")}));
        QCOMPARE(media->author(), QStringLiteral("Ms Lee"));
        QCOMPARE(media->description(), QStringLiteral("Waves and tides"));
        QCOMPARE(media->uploadTime(), QDateTime(tomorrow, QTime(9, 30)));
        QCOMPARE(m_upload->lastArgs(QStringLiteral("checkVideoUploadInputs")),
                 (QVariantList{0u, renamed, savedTitle, QStringLiteral("Ms Lee"), QStringLiteral("Waves and tides"),
                               QStringList{QStringLiteral("sea"), QStringLiteral("Sea")}}));
        SettingImpl *settings = SettingImpl::getInstance();
        QCOMPARE(settings->value(QStringLiteral("Upload Time")).toTime(), QTime(9, 30));
        settings->release();
        QCOMPARE(media->refCount(), 1);
    }

    void saveRefusals_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("file gone") << "gone"
                                   << "File does not exist." << false;
        QTest::newRow("file in use") << "in use"
                                     << "File is in use." << false;
        QTest::newRow("empty name") << "empty name"
                                    << "File name cannot be empty." << true;
    }
    void saveRefusals()
    {
        QFETCH(QString, problem);
        QFETCH(QString, message);
        QFETCH(bool, staysOpen);
        Record media = record(QStringLiteral("lesson.avi"));
        Panel panel;
        panel.loadMedia(media.get());
        MessageBoxScript boxes;
        int result = -1;
        runDialog(panel, [&] {
            if (problem == QLatin1String("gone")) {
                // Removed just before Save, before the watch has told the dialog.
                const QString path = media->path();
                QFile::remove(path);
                saveButton(panel)->click();
            } else if (problem == QLatin1String("in use")) {
                // What cannot be opened for writing: a folder standing where the file was (root opens any file).
                QFile::remove(media->path());
                QDir().mkdir(media->path());
                saveButton(panel)->click();
                QDir().rmdir(media->path());
            } else {
                field(panel, "lineEdit_fileName")->clear();
                saveButton(panel)->click();
            }
            result = panel.isVisible() ? -1 : panel.result();
            if (panel.isVisible())
                cancelButton(panel)->click();
        });
        QVERIFY(!boxes.shown().isEmpty());
        QCOMPARE(boxes.shown().first().text, message);
        QCOMPARE(boxes.shown().first().title, QString());
        QCOMPARE(result, staysOpen ? -1 : int(Panel::ResultClose));
        QCOMPARE(m_upload->count(QStringLiteral("checkVideoUploadInputs")), 0);
    }

    void replaceQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(QMessageBox::Yes);
        QTest::newRow("no") << int(QMessageBox::No);
    }
    void replaceQuestion()
    {
        QFETCH(int, answer);
        Record media = record(QStringLiteral("lesson.avi"));
        const QString other = touch(QStringLiteral("Talk.avi"));
        Panel panel;
        panel.loadMedia(media.get());
        MessageBoxScript boxes;
        boxes.answerNext(QMessageBox::StandardButton(answer));
        bool stayedOpen = false;
        const int result = runDialog(panel, [&] {
            field(panel, "lineEdit_fileName")->setText(QStringLiteral("Talk"));
            saveButton(panel)->click();
            stayedOpen = panel.isVisible();
            if (stayedOpen) {
                QCOMPARE(field(panel, "lineEdit_fileName")->text(), QStringLiteral("lesson"));
                QCOMPARE(field(panel, "lineEdit_fileName")->selectedText(), QStringLiteral("lesson"));
                cancelButton(panel)->click();
            }
        });
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Rename file"));
        QCOMPARE(boxes.lastText(), QStringLiteral("Destination file exists. Do you want to replace it?"));
        QCOMPARE(boxes.shown().first().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(boxes.shown().first().defaultButton, QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            QCOMPARE(result, int(Panel::ResultSave));
            QCOMPARE(media->path(), other);
            QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("lesson.avi"))));
        } else {
            QVERIFY(stayedOpen);
            QVERIFY(QFileInfo::exists(other));
            QCOMPARE(media->path(), m_dir.filePath(QStringLiteral("lesson.avi")));
        }
    }

    void letterCaseOfTheOwnNameAsksNothing()
    {
        Record media = record(QStringLiteral("lesson.avi"));
        Panel panel;
        panel.loadMedia(media.get());
        MessageBoxScript boxes;
        const int result = runDialog(panel, [&] {
            field(panel, "lineEdit_fileName")->setText(QStringLiteral("Lesson"));
            saveButton(panel)->click();
        });
        QCOMPARE(result, int(Panel::ResultSave));
        QVERIFY(boxes.shown().isEmpty());
    }

    void failedInputCheckKeepsTheRenamedFileOpen()
    {
        m_upload->setAnswer(QStringLiteral("verifyAccess"), true);
        // The upload service's own warning runs an event loop of its own, as a message box does, after the
        // file was renamed under the dialog's watch.
        m_upload->setAnswerFunction(QStringLiteral("checkVideoUploadInputs"), [](const QVariantList &) {
            QTest::qWait(300);
            return QVariant(-2000);
        });
        Record media = record(QStringLiteral("board.jpg"));
        Panel panel;
        panel.loadMedia(media.get());
        MessageBoxScript boxes;
        bool stayedOpen = false;
        const int result = runDialog(panel, [&] {
            field(panel, "lineEdit_fileName")->setText(QStringLiteral("Tides"));
            box(panel, MediaImpl::SERVICE_PICASA)->setChecked(true);
            field(panel, "descriptionTextBox")->setText(QString(1025, QLatin1Char('x')));
            saveButton(panel)->click();
            stayedOpen = panel.isVisible();
            QCOMPARE(QApplication::focusWidget(), field(panel, "lineEdit_title"));
            QVERIFY(QFileInfo::exists(m_dir.filePath(QStringLiteral("Tides.jpg"))));
            // The watch follows the file: deleting it now still ends the dialog.
            QFile::remove(m_dir.filePath(QStringLiteral("Tides.jpg")));
        });
        QVERIFY(stayedOpen);
        QCOMPARE(result, int(Panel::ResultClose));
        QCOMPARE(boxes.lastText(), QStringLiteral("File does not exist"));
        QCOMPARE(boxes.shown().size(), 1);
    }

    void uploadFinishingWhileOpenRefreshesInPlace()
    {
        m_upload->setAnswer(QStringLiteral("verifyAccess"), true);
        MediaFileStore *store = MediaFileStore::getInstance();
        Record media = record(QStringLiteral("lesson.avi"));
        media->setUploadStatus(MediaImpl::SERVICE_YOUTUBE, MediaImpl::STATUS_QUEUED);
        store->writeInfo(media.get());
        Panel panel;
        panel.loadMedia(media.get());
        const QUrl page(QStringLiteral("https://video.example/watch?v=done"));
        const int result = runDialog(panel, [&] {
            field(panel, "lineEdit_title")->setText(QStringLiteral("Edited title"));
            box(panel, MediaImpl::SERVICE_DROPBOX)->setChecked(true);
            // Meanwhile the upload succeeds and its outcome is stored in the information file.
            auto *stored = new MediaImpl(media->path());
            store->readInfo(stored);
            stored->setUploadStatus(MediaImpl::SERVICE_YOUTUBE, MediaImpl::STATUS_UPLOADED);
            stored->setYoutubeUrl(page);
            stored->setYoutubeID(QStringLiteral("Y-42"));
            store->writeInfo(stored);
            stored->release();
            panel.reloadUploadState();

            QVERIFY(link(panel, MediaImpl::SERVICE_YOUTUBE)->isEnabled());
            QCOMPARE(link(panel, MediaImpl::SERVICE_YOUTUBE)->toolTip(), page.toString());
            QVERIFY(box(panel, MediaImpl::SERVICE_YOUTUBE)->isHidden());
            QCOMPARE(field(panel, "lineEdit_title")->text(), QStringLiteral("Edited title"));
            QVERIFY(box(panel, MediaImpl::SERVICE_DROPBOX)->isChecked());
            Screenshot::save(&panel, QStringLiteral("information-after-upload"));
            saveButton(panel)->click();
        });
        QCOMPARE(result, int(Panel::ResultSave));
        QCOMPARE(media->title(), QStringLiteral("Edited title"));
        QCOMPARE(media->youtubeUrl(), page);
        QCOMPARE(media->youtubeID(), QStringLiteral("Y-42"));
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_YOUTUBE), int(MediaImpl::STATUS_UPLOADED));
        QCOMPARE(m_upload->lastArgs(QStringLiteral("checkVideoUploadInputs")).value(0).toUInt(),
                 uint(MediaImpl::SERVICE_DROPBOX));
    }

    void saveNeverWritesBackAStaleRecord()
    {
        // Even when nobody told the dialog, what Save hands back carries the stored outcome of an upload.
        MediaFileStore *store = MediaFileStore::getInstance();
        Record media = record(QStringLiteral("board.jpg"));
        media->setUploadStatus(MediaImpl::SERVICE_PICASA, MediaImpl::STATUS_QUEUED);
        store->writeInfo(media.get());
        Panel panel;
        panel.loadMedia(media.get());
        const QUrl page(QStringLiteral("https://photos.example/p/9"));
        const int result = runDialog(panel, [&] {
            auto *stored = new MediaImpl(media->path());
            store->readInfo(stored);
            stored->setUploadStatus(MediaImpl::SERVICE_PICASA, MediaImpl::STATUS_UPLOADED);
            stored->setPicasaUrl(page);
            store->writeInfo(stored);
            stored->release();
            saveButton(panel)->click();
        });
        QCOMPARE(result, int(Panel::ResultSave));
        QCOMPARE(media->picasaUrl(), page);
        QCOMPARE(media->uploadStatus(MediaImpl::SERVICE_PICASA), int(MediaImpl::STATUS_UPLOADED));
    }

    void withoutAnUploadServiceNothingCanBeChosen()
    {
        m_upload.reset();
        QCOMPARE(UploadAccess::service(), nullptr);
        Record media = record(QStringLiteral("lesson.avi"));
        const QUrl page(QStringLiteral("https://video.example/watch?v=old"));
        media->setYoutubeUrl(page);
        Panel panel;
        panel.loadMedia(media.get());
        for (const ServiceWidgets &service : kServices)
            QVERIFY(box(panel, service.bit)->isHidden());
        QVERIFY(link(panel, MediaImpl::SERVICE_YOUTUBE)->isEnabled());
        const int result = runDialog(panel, [&] { saveButton(panel)->click(); });
        QCOMPARE(result, int(Panel::ResultSave));
    }

    void dateLimitsTheTime()
    {
        Record media = record(QStringLiteral("board.jpg"));
        Panel panel;
        panel.loadMedia(media.get());
        auto *date = widget<QDateEdit>(panel, "uploadDateEdit");
        auto *time = widget<QTimeEdit>(panel, "uploadTimeEdit");
        date->setDate(QDate::currentDate().addDays(2));
        QCOMPARE(time->minimumTime(), QTime(0, 0));
        const QTime before = QTime::currentTime();
        date->setDate(QDate::currentDate());
        QVERIFY(time->minimumTime() >= before.addSecs(-1));
        QVERIFY(time->minimumTime() <= QTime::currentTime());
    }

    void publishInformationModeIsReadOnly()
    {
        Record media = record(QStringLiteral("lesson.avi"));
        Panel panel;
        panel.setMode(Panel::ModePublishInformation);
        panel.loadMedia(media.get());
        QCOMPARE(panel.windowTitle(), QStringLiteral("Delete video"));
        QCOMPARE(widget<QLabel>(panel, "publishSettingLabel")->text(), QStringLiteral("Publish Information"));
        for (const char *name :
             {"lineEdit_fileName", "lineEdit_title", "lineEdit_auth_name", "lineEdit_keyword", "descriptionTextBox"})
            QVERIFY(!field(panel, name)->isEnabled());
        QVERIFY(widget<QDateEdit>(panel, "uploadDateEdit")->isHidden());
        QVERIFY(widget<QTimeEdit>(panel, "uploadTimeEdit")->isHidden());
        QVERIFY(widget<QLabel>(panel, "label")->isHidden());
        for (const ServiceWidgets &service : kServices)
            QVERIFY(!box(panel, service.bit)->isEnabled());
        QVERIFY(!saveButton(panel)->isEnabled());
        QVERIFY(widget<QPushButton>(panel, "pushButton_trashCan")->isEnabled());
        QVERIFY(cancelButton(panel)->isEnabled());

        panel.setMode(Panel::ModePublishSetting);
        panel.loadMedia(media.get());
        QCOMPARE(panel.windowTitle(), QStringLiteral("Save/Publish video"));
        QVERIFY(saveButton(panel)->isEnabled());
        QVERIFY(field(panel, "lineEdit_title")->isEnabled());
        QVERIFY(!widget<QDateEdit>(panel, "uploadDateEdit")->isHidden());
    }

    void isShowingFileOnlyWhileShown()
    {
        Record media = record(QStringLiteral("lesson.avi"));
        Panel panel;
        panel.loadMedia(media.get());
        QVERIFY(!panel.isShowingFile(media->path()));
        runDialog(panel, [&] {
            QVERIFY(panel.isShowingFile(media->path()));
            QVERIFY(!panel.isShowingFile(media->path().toUpper()));
            cancelButton(panel)->click();
        });
        QVERIFY(!panel.isShowingFile(media->path()));
    }

    void screenshotOfALoadedVideo()
    {
        Record media = record(QStringLiteral("Waves and tides_1.avi"));
        media->setTitle(QStringLiteral("Waves and tides"));
        media->setAuthor(QStringLiteral("Ms Lee"));
        media->setKeywords(QStringLiteral("sea, physics, waves"));
        media->setDescription(QStringLiteral("Second lesson of the waves unit"));
        media->setUploadStatus(MediaImpl::SERVICE_DROPBOX, MediaImpl::STATUS_QUEUED);
        media->setFacebookUrl(QUrl(QStringLiteral("https://social.example/v/1")));
        media->setUploadStatus(MediaImpl::SERVICE_FACEBOOK, MediaImpl::STATUS_UPLOADED);
        Panel panel;
        panel.loadMedia(media.get(), true);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(!Screenshot::save(&panel, QStringLiteral("information-loaded")).isEmpty());
        panel.onClickClose();
    }
};

QUILLO_TEST_MAIN(TestMediaInfoModifiedPanel)
#include "tst_MediaInfoModifiedPanel.moc"
