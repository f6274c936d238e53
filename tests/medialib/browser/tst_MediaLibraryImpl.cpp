#include "DialogWatchdog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaInfoModifiedPanel.h"
#include "MediaLibraryDatabase.h"
#include "MediaLibraryImpl.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "TestEnvironment.h"
#include "UploadFake.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

namespace {

// The time the service waits before it hands a recording's jobs to the upload service, with room to spare.
constexpr int kJobsSubmittedMs = 3000;

struct RecordDeleter
{
    void operator()(MediaImpl *record) const { record->release(); }
};
using Record = std::unique_ptr<MediaImpl, RecordDeleter>;

// What the presenter does in the information dialog once it is on screen.
using DialogAction = std::function<void(QWidget *dialog)>;

void type(QWidget *dialog, const char *field, const QString &text)
{
    auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(field));
    QVERIFY2(edit, field);
    edit->setText(text);
}

void click(QWidget *dialog, const char *button)
{
    auto *found = dialog->findChild<QAbstractButton *>(QLatin1String(button));
    QVERIFY2(found, button);
    found->click();
}

// The dialog's buttons by what they do (the form's names trade two of the roles).
const DialogAction save = [](QWidget *dialog) { click(dialog, "cancelBtn"); };
const DialogAction cancel = [](QWidget *dialog) { click(dialog, "pushButton_save"); };
const DialogAction trash = [](QWidget *dialog) { click(dialog, "pushButton_trashCan"); };

Record readBack(const QString &path)
{
    Record record(new MediaImpl(path));
    MediaFileStore::getInstance()->readInfo(record.get());
    return record;
}

QStringList search(const QString &text)
{
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    QStringList found = index->searchKeywords(index->parseKeywords(text));
    MediaLibraryDatabase::release();
    found.sort();
    return found;
}

} // namespace

class TestMediaLibraryImpl : public QObject
{
    Q_OBJECT

private:
    std::optional<QTemporaryDir> m_dir;
    std::unique_ptr<UploadFake> m_upload;
    std::optional<DialogWatchdog> m_watchdog;
    MediaLibraryImpl *m_service = nullptr;

    QString touch(const QString &name, const QByteArray &content = "media")
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            QTest::qFail(qPrintable(QStringLiteral("cannot write %1").arg(path)), __FILE__, __LINE__);
        file.write(content);
        return path;
    }

    void makeService() { m_service = static_cast<MediaLibraryImpl *>(MediaLibraryImpl::getInstance(nullptr)); }

    // Runs call, which opens the information dialog modally, and does action in it. Fails when no dialog
    // opened.
    void inDialog(const DialogAction &action, const std::function<void()> &call)
    {
        ModalAnswerer answerer([&action](QWidget *dialog) { action(dialog); });
        call();
        QVERIFY2(answerer.answered(), "no dialog opened");
    }

    QMap<uint, QString> removalMap(int index = -1) const
    {
        const QList<CallRecorder::Call> calls = m_upload->calls();
        QList<QMap<uint, QString>> maps;
        for (const CallRecorder::Call &call : calls) {
            if (call.name == QLatin1String("removeUploadedFiles"))
                maps.append(call.args.value(0).value<QMap<uint, QString>>());
        }
        return maps.value(index < 0 ? maps.size() - 1 : index);
    }

private Q_SLOTS:
    void init()
    {
        m_watchdog.emplace();
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        MediaFileStore::getInstance()->makeCacheFolder(m_dir->path());
        m_upload = std::make_unique<UploadFake>();
        makeService();
    }

    void cleanup()
    {
        if (m_service)
            m_service->release();
        m_service = nullptr;
        MediaFileStore::getInstance()->setPlayingVideo(QString());
        m_upload.reset();
        m_dir.reset();
        m_watchdog.reset();
    }

    void oneServiceIsCountedAndMadeAgainAfterTheLastRelease()
    {
        QWidget window;
        m_service->release();
        m_service = nullptr;

        MediaLibraryIntf *first = MediaLibraryImpl::getInstance(&window);
        QPointer<QWidget> panel = first->widget();
        QCOMPARE(panel->parentWidget(), &window);
        QCOMPARE(MediaLibraryImpl::getInstance(nullptr), first);
        QPointer<MediaLibraryIntf> watched(first);
        first->release();
        QVERIFY(watched);
        first->release();
        QVERIFY(!watched);
        QVERIFY(!panel);

        makeService();
        QVERIFY(m_service->widget());
        QCOMPARE(m_service->widget()->parentWidget(), nullptr);
    }

    void recordsAreSharedByExactPathUntilTheLastHolderGoes()
    {
        const QString path = touch(QStringLiteral("Board.jpg"));
        MediaIntf *first = m_service->getMedia(path);
        MediaIntf *again = m_service->acquireMedia(path);
        QCOMPARE(again, first);
        QCOMPARE(static_cast<MediaImpl *>(first)->refCount(), 2);
        MediaIntf *otherCase = m_service->getMedia(m_dir->filePath(QStringLiteral("board.jpg")));
        QVERIFY(otherCase != first);
        otherCase->release();
        first->release();
        again->release();
        // The record is gone; a new one is made rather than the old one handed out again.
        MediaIntf *fresh = m_service->getMedia(path);
        QCOMPARE(static_cast<MediaImpl *>(fresh)->refCount(), 1);
        QCOMPARE(fresh->path(), path);
        fresh->release();
    }

    void recordsOutliveTheService()
    {
        MediaIntf *media = m_service->getMedia(touch(QStringLiteral("a.jpg")));
        m_service->release();
        m_service = nullptr;
        media->release();
        makeService();
    }

    void browserRequestsReachTheWindow()
    {
        QSignalSpy image(m_service, &MediaLibraryIntf::showImageRequested);
        QSignalSpy video(m_service, &MediaLibraryIntf::playVideoRequested);
        QSignalSpy closed(m_service, &MediaLibraryIntf::widgetClosed);
        QSignalSpy resized(m_service, &MediaLibraryIntf::widgetResized);
        Record media(new MediaImpl(touch(QStringLiteral("clip.avi"))));

        m_service->requestShowImage(QStringLiteral("/m/a.jpg"));
        m_service->requestPlayVideo(media.get());
        m_service->closeMediaLibPaenl();
        m_service->notifyWidgetResized();
        m_service->launchUploadManager();

        QCOMPARE(image.value(0).value(0).toString(), QStringLiteral("/m/a.jpg"));
        QCOMPARE(video.value(0).value(0).value<MediaIntf *>(), static_cast<MediaIntf *>(media.get()));
        QCOMPARE(closed.size(), 1);
        QCOMPARE(resized.size(), 1);
        QCOMPARE(m_upload->count(QStringLiteral("showUploadManager")), 1);
    }

    void trashingAFileRemovesItThenItsOnlineCopies_data()
    {
        QTest::addColumn<QString>("youtubeId");
        QTest::addColumn<bool>("forDelete");
        QTest::newRow("never uploaded") << QString() << false;
        QTest::newRow("uploaded, from the delete action") << QStringLiteral("yt-7") << true;
    }
    void trashingAFileRemovesItThenItsOnlineCopies()
    {
        QFETCH(QString, youtubeId);
        QFETCH(bool, forDelete);
        const QString path = touch(QStringLiteral("clip.avi"));
        Record stored(new MediaImpl(path));
        stored->setYoutubeID(youtubeId);
        stored->setUploadStatus(MediaImpl::SERVICE_YOUTUBE, youtubeId.isEmpty() ? 2 : 3);
        MediaFileStore::getInstance()->writeInfo(stored.get());

        Record shown(new MediaImpl(path));
        inDialog(trash, [&] {
            if (forDelete)
                m_service->showMediaInfoForDelete(shown.get());
            else
                m_service->showMediaInfo(shown.get());
        });
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(!MediaFileStore::getInstance()->hasInfoFile(path));
        QMap<uint, QString> expected;
        if (!youtubeId.isEmpty())
            expected.insert(MediaImpl::SERVICE_YOUTUBE, youtubeId);
        QCOMPARE(m_upload->count(QStringLiteral("removeUploadedFiles")), 1);
        QCOMPARE(removalMap(), expected);
        QCOMPARE(shown->refCount(), 1);
    }

    void aRefusedRemovalKeepsTheOnlineCopies()
    {
        const QString path = touch(QStringLiteral("clip.avi"));
        Record stored(new MediaImpl(path));
        stored->setYoutubeID(QStringLiteral("yt-7"));
        stored->setUploadStatus(MediaImpl::SERVICE_YOUTUBE, MediaImpl::STATUS_UPLOADED);
        MediaFileStore::getInstance()->writeInfo(stored.get());
        MediaFileStore::getInstance()->setPlayingVideo(path);

        MessageBoxScript boxes;
        Record shown(new MediaImpl(path));
        inDialog(trash, [&] { m_service->showMediaInfo(shown.get()); });
        QCOMPARE(boxes.lastText(), QStringLiteral("This file is playing"));
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(m_upload->count(QStringLiteral("removeUploadedFiles")), 0);
        QCOMPARE(readBack(path)->youtubeID(), QStringLiteral("yt-7"));
    }

    void savingQueuesTheChosenServicesAndWritesTheInformation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("queueCall");
        QTest::newRow("image") << "board.jpg"
                               << "queueImageUpload";
        QTest::newRow("video") << "clip.avi"
                               << "queueVideoUpload";
    }
    void savingQueuesTheChosenServicesAndWritesTheInformation()
    {
        QFETCH(QString, name);
        QFETCH(QString, queueCall);
        m_upload->setAnswer(QStringLiteral("verifyAccess"), true);
        const QString path = touch(name);
        Record shown(new MediaImpl(path));
        inDialog(
            [](QWidget *dialog) {
                type(dialog, "lineEdit_title", QStringLiteral("Waves"));
                type(dialog, "lineEdit_keyword", QStringLiteral("sea"));
                click(dialog, "checkBox_Picasa");
                save(dialog);
            },
            [&] { m_service->showMediaInfo(shown.get()); });

        QCOMPARE(m_upload->count(queueCall), 1);
        const QVariantList args = m_upload->lastArgs(queueCall);
        const auto times = args.value(0).value<QMap<uint, QDateTime>>();
        QCOMPARE(times.keys(), QList<uint>{MediaImpl::SERVICE_PICASA});
        QCOMPARE(args.value(1).toString(), path);
        QCOMPARE(args.value(2).toString(), QStringLiteral("Waves"));
        Record stored = readBack(path);
        QCOMPARE(stored->title(), QStringLiteral("Waves"));
        QCOMPARE(stored->uploadStatus(MediaImpl::SERVICE_PICASA), int(MediaImpl::STATUS_QUEUED));
        QCOMPARE(search(QStringLiteral("sea")), QStringList{path});
    }

    void theDeleteViewEndsInThePublishMode()
    {
        const QString path = touch(QStringLiteral("board.jpg"));
        Record shown(new MediaImpl(path));
        bool titleEditable = true;
        inDialog(
            [&](QWidget *dialog) {
                titleEditable = dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_title"))->isEnabled();
                cancel(dialog);
            },
            [&] { m_service->showMediaInfoForDelete(shown.get()); });
        QVERIFY(!titleEditable);
        inDialog(
            [&](QWidget *dialog) {
                titleEditable = dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_title"))->isEnabled();
                cancel(dialog);
            },
            [&] { m_service->showMediaInfo(shown.get()); });
        QVERIFY(titleEditable);
        QVERIFY(QFileInfo::exists(path));
    }

    void uploadOutcomesAreStored_data()
    {
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("status");
        QTest::newRow("success") << "success" << int(MediaImpl::STATUS_UPLOADED);
        QTest::newRow("failure") << "failure" << int(MediaImpl::STATUS_NONE);
        QTest::newRow("cancel") << "cancel" << int(MediaImpl::STATUS_NONE);
        QTest::newRow("retry") << "retry" << int(MediaImpl::STATUS_QUEUED);
    }
    void uploadOutcomesAreStored()
    {
        QFETCH(QString, outcome);
        QFETCH(int, status);
        const QString path = touch(QStringLiteral("board.jpg"));
        Record stored(new MediaImpl(path));
        stored->setTitle(QStringLiteral("Waves"));
        stored->setKeywords(QStringLiteral("sea"));
        stored->setUploadStatus(MediaImpl::SERVICE_PICASA, MediaImpl::STATUS_QUEUED);
        MediaFileStore::getInstance()->writeInfo(stored.get());

        const uint picasa = MediaImpl::SERVICE_PICASA;
        if (outcome == QLatin1String("success"))
            emit m_upload->uploadSucceeded(picasa, path, QStringLiteral("p-9"), QStringLiteral("https://p.example/9"));
        else if (outcome == QLatin1String("failure"))
            emit m_upload->uploadFailed(picasa, path);
        else if (outcome == QLatin1String("cancel"))
            emit m_upload->uploadCancelled(picasa, path);
        else
            emit m_upload->uploadRetryTriggered(picasa, path);

        Record after = readBack(path);
        QCOMPARE(after->uploadStatus(picasa), status);
        QCOMPARE(after->title(), QStringLiteral("Waves"));
        QCOMPARE(after->keywords(), QStringList{QStringLiteral("sea")});
        const bool succeeded = outcome == QLatin1String("success");
        QCOMPARE(after->picasaID(), succeeded ? QStringLiteral("p-9") : QString());
        QCOMPARE(after->picasaUrl(), succeeded ? QUrl(QStringLiteral("https://p.example/9")) : QUrl());
    }

    void anOutcomeShowsInTheOpenDialogAndSurvivesItsSave()
    {
        const QString path = touch(QStringLiteral("board.jpg"));
        Record stored(new MediaImpl(path));
        stored->setUploadStatus(MediaImpl::SERVICE_PICASA, MediaImpl::STATUS_QUEUED);
        MediaFileStore::getInstance()->writeInfo(stored.get());

        Record shown(new MediaImpl(path));
        bool linkEnabled = false;
        inDialog(
            [&](QWidget *dialog) {
                emit m_upload->uploadSucceeded(MediaImpl::SERVICE_PICASA, path, QStringLiteral("p-9"),
                                               QStringLiteral("https://p.example/9"));
                linkEnabled = dialog->findChild<QPushButton *>(QStringLiteral("btnPicasa"))->isEnabled();
                type(dialog, "lineEdit_title", QStringLiteral("Waves"));
                save(dialog);
            },
            [&] { m_service->showMediaInfo(shown.get()); });
        QVERIFY(linkEnabled);
        Record after = readBack(path);
        QCOMPARE(after->title(), QStringLiteral("Waves"));
        QCOMPARE(after->uploadStatus(MediaImpl::SERVICE_PICASA), int(MediaImpl::STATUS_UPLOADED));
        QCOMPARE(after->picasaID(), QStringLiteral("p-9"));
    }

    void recordedFilesAreNamedAfterTheFirst_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("newTitle");
        QTest::addColumn<QStringList>("expectedNames");
        QTest::addColumn<QStringList>("expectedTitles");
        QTest::newRow("one file") << QStringList{"A_1.avi"} << ""
                                  << "" << QStringList{"A_1.avi"} << QStringList{"A_1"};
        QTest::newRow("names kept") << QStringList{"A_1.avi", "A_2.avi"} << ""
                                    << "" << QStringList{"A_1.avi", "A_2.avi"} << QStringList{"A_1", "A_2"};
        QTest::newRow("renamed and titled") << QStringList{"A_1.avi", "A_2.avi", "A_3.avi"} << "Lesson"
                                            << "Math" << QStringList{"Lesson_1.avi", "Lesson_2.avi", "Lesson_3.avi"}
                                            << QStringList{"Math_1", "Math_2", "Math_3"};
        QTest::newRow("a further file without a part number")
            << QStringList{"A_1.avi", "extra.avi"} << "Lesson"
            << "Math" << QStringList{"Lesson_1.avi", "extra.avi"} << QStringList{"Math_1", ""};
    }
    void recordedFilesAreNamedAfterTheFirst()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, newName);
        QFETCH(QString, newTitle);
        QFETCH(QStringList, expectedNames);
        QFETCH(QStringList, expectedTitles);
        QList<QString> files;
        for (const QString &name : names)
            files.append(touch(name));

        QString shownName;
        inDialog(
            [&](QWidget *dialog) {
                shownName = dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_fileName"))->text();
                if (!newName.isEmpty())
                    type(dialog, "lineEdit_fileName", newName);
                if (!newTitle.isEmpty())
                    type(dialog, "lineEdit_title", newTitle);
                type(dialog, "lineEdit_auth_name", QStringLiteral("Ms Lee"));
                type(dialog, "lineEdit_keyword", QStringLiteral("waves, sea"));
                type(dialog, "descriptionTextBox", QStringLiteral("Second lesson"));
                save(dialog);
            },
            [&] { m_service->processRecordedFiles(files); });
        // Only a split recording's first part hides its "_1".
        QCOMPARE(shownName, names.size() > 1 ? QStringLiteral("A") : QStringLiteral("A_1"));

        for (int i = 0; i < expectedNames.size(); ++i) {
            const QString path = m_dir->filePath(expectedNames[i]);
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
            Record stored = readBack(path);
            QVERIFY2(MediaFileStore::getInstance()->hasInfoFile(path), qPrintable(path));
            if (!expectedTitles[i].isEmpty())
                QCOMPARE(stored->title(), expectedTitles[i]);
            QCOMPARE(stored->author(), QStringLiteral("Ms Lee"));
            QCOMPARE(stored->description(), QStringLiteral("Second lesson"));
            QCOMPARE(stored->keywords(), QStringList({"waves", "sea"}));
        }
        QCOMPARE(search(QStringLiteral("waves")).size(), expectedNames.size());
    }

    void recordedFilesAreQueuedASecondLater()
    {
        m_upload->setAnswer(QStringLiteral("verifyAccess"), true);
        const QList<QString> files{touch(QStringLiteral("R_1.avi")), touch(QStringLiteral("R_2.avi"))};
        inDialog(
            [&](QWidget *dialog) {
                click(dialog, "checkBox_YouTube");
                save(dialog);
            },
            [&] { m_service->processRecordedFiles(files); });
        QCOMPARE(m_upload->count(QStringLiteral("queueVideoUpload")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_upload->count(QStringLiteral("queueVideoUpload")), 2, kJobsSubmittedMs);
        for (const QString &path : files) {
            Record stored = readBack(path);
            QCOMPARE(stored->uploadStatus(MediaImpl::SERVICE_YOUTUBE), int(MediaImpl::STATUS_QUEUED));
            QCOMPARE(stored->uploadStatus(MediaImpl::SERVICE_PICASA), int(MediaImpl::STATUS_NONE));
        }
        const auto times =
            m_upload->lastArgs(QStringLiteral("queueVideoUpload")).value(0).value<QMap<uint, QDateTime>>();
        QCOMPARE(times.keys(), QList<uint>{MediaImpl::SERVICE_YOUTUBE});
    }

    void savingWithoutServicesSubmitsEmptyJobs()
    {
        const QList<QString> files{touch(QStringLiteral("R_1.avi"))};
        inDialog(save, [&] { m_service->processRecordedFiles(files); });
        QTRY_COMPARE_WITH_TIMEOUT(m_upload->count(QStringLiteral("queueVideoUpload")), 1, kJobsSubmittedMs);
        const auto times =
            m_upload->lastArgs(QStringLiteral("queueVideoUpload")).value(0).value<QMap<uint, QDateTime>>();
        QVERIFY(times.isEmpty());
    }

    void closingTheRecordingDialogStillFilesTheRecording()
    {
        const QList<QString> files{touch(QStringLiteral("R_1.avi")), touch(QStringLiteral("R_2.avi"))};
        inDialog(
            [&](QWidget *dialog) {
                type(dialog, "lineEdit_auth_name", QStringLiteral("Ms Lee"));
                click(dialog, "checkBox_YouTube");
                cancel(dialog);
            },
            [&] { m_service->processRecordedFiles(files); });
        for (const QString &path : files) {
            QVERIFY(QFileInfo::exists(path));
            QVERIFY(MediaFileStore::getInstance()->hasInfoFile(path));
            // A service ticked in a cancelled dialog is not left chosen for a later save.
            QCOMPARE(readBack(path)->uploadStatus(MediaImpl::SERVICE_YOUTUBE), int(MediaImpl::STATUS_NONE));
        }
        QTest::qWait(kJobsSubmittedMs / 2);
        QCOMPARE(m_upload->count(QStringLiteral("queueVideoUpload")), 0);
    }

    void trashingARecordingRemovesAllItsFiles()
    {
        const QList<QString> files{touch(QStringLiteral("R_1.avi")), touch(QStringLiteral("R_2.avi"))};
        inDialog(trash, [&] { m_service->processRecordedFiles(files); });
        for (const QString &path : files)
            QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(m_upload->count(QStringLiteral("removeUploadedFiles")), 2);
        QCOMPARE(removalMap(0), (QMap<uint, QString>()));
    }

    void emptyRecordedFilesAreSkipped()
    {
        const QString empty = touch(QStringLiteral("R_1.avi"), QByteArray());
        const QString real = touch(QStringLiteral("R_2.avi"));
        QString shownName;
        inDialog(
            [&](QWidget *dialog) {
                shownName = dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_fileName"))->text();
                save(dialog);
            },
            [&] {
                m_service->processRecordedFiles({empty, real});
            });
        QCOMPARE(shownName, QStringLiteral("R_2"));
        QVERIFY(!MediaFileStore::getInstance()->hasInfoFile(empty));
        QVERIFY(MediaFileStore::getInstance()->hasInfoFile(real));

        // Nothing but empty or missing files: no dialog at all.
        ModalAnswerer answerer(cancel, 300);
        m_service->processRecordedFiles({empty, m_dir->filePath(QStringLiteral("gone.avi"))});
        m_service->processRecordedFiles({});
        QTest::qWait(400);
        QVERIFY(!answerer.answered());
    }

    void withoutAnUploadServiceRecordingsAreStillFiled()
    {
        m_service->release();
        m_service = nullptr;
        m_upload.reset();
        makeService();
        m_service->launchUploadManager();
        const QString path = touch(QStringLiteral("R_1.avi"));
        inDialog(save, [&] { m_service->processRecordedFiles({path}); });
        QVERIFY(MediaFileStore::getInstance()->hasInfoFile(path));
        QTest::qWait(kJobsSubmittedMs / 2);
        QVERIFY(MediaFileStore::getInstance()->hasInfoFile(path));
    }

    // The dialog is reused: a Delete clicked for one file leaves nothing behind for the next showing, where
    // Return saves (the focus starts on the name) and never trashes.
    void returnAfterAnEarlierDeleteSaves()
    {
        const QString first = touch(QStringLiteral("first.jpg"));
        const QString second = touch(QStringLiteral("second.jpg"));
        Record one(new MediaImpl(first));
        Record two(new MediaImpl(second));
        const DialogAction clickDelete = [](QWidget *dialog) {
            auto *button = dialog->findChild<QPushButton *>(QStringLiteral("pushButton_trashCan"));
            QTest::mouseClick(button, Qt::LeftButton);
        };
        inDialog(clickDelete, [&] { m_service->showMediaInfo(one.get()); });
        QVERIFY(!QFileInfo::exists(first));

        QString focused;
        inDialog(
            [&focused](QWidget *dialog) {
                focused = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog, Qt::Key_Return);
                if (dialog->isVisible())
                    cancel(dialog);
            },
            [&] { m_service->showMediaInfo(two.get()); });
        QVERIFY(QFileInfo::exists(second));
        QCOMPARE(focused, QStringLiteral("lineEdit_fileName"));
        QVERIFY(MediaFileStore::getInstance()->hasInfoFile(second));
    }

    // Information that cannot be written (a name too long for its information file) keeps the dialog open
    // with a message; the recording flow says so too. The file itself is kept either way.
    void informationThatCannotBeWrittenIsTold()
    {
        const QString path = touch(QString(248, QLatin1Char('n')) + QStringLiteral(".jpg"));
        Record shown(new MediaImpl(path));
        MessageBoxScript boxes;
        bool openAfterSave = false;
        inDialog(
            [&openAfterSave](QWidget *dialog) {
                type(dialog, "lineEdit_title", QStringLiteral("Waves"));
                save(dialog);
                openAfterSave = dialog->isVisible();
                if (openAfterSave)
                    cancel(dialog);
            },
            [&] { m_service->showMediaInfo(shown.get()); });
        QVERIFY(openAfterSave);
        QCOMPARE(boxes.lastText(),
                 QStringLiteral("The title, keywords and description of this file could not be saved."));
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(m_upload->count(QStringLiteral("queueImageUpload")), 0);

        const QString recording = touch(QString(248, QLatin1Char('r')) + QStringLiteral(".avi"));
        inDialog(cancel, [&] { m_service->processRecordedFiles({recording}); });
        QCOMPARE(boxes.lastText(),
                 QStringLiteral("The recording was kept, but its title, keywords and description could not be saved."));
        QVERIFY(QFileInfo::exists(recording));
    }
};

QUILLO_TEST_MAIN(TestMediaLibraryImpl)
#include "tst_MediaLibraryImpl.moc"
