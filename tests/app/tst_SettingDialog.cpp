#include "DialogWatchdog.h"
#include "FormChild.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "RecordingFake.h"
#include "Screenshot.h"
#include "SettingDialog.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "UploadAccess.h"
#include "UploadFake.h"
#include "VideoFake.h"
#include "VolReporter.h"
#include "WebCamFake.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

const QList<QString> kMicrophones{QStringLiteral("Microphone (USB Audio Device)"),
                                  QStringLiteral("Built-in Audio Analog Stereo")};
const QList<QString> kWebCams{QStringLiteral("Classroom Camera"), QStringLiteral("Integrated Camera")};
constexpr uint kVolume = 40;

// The account rows by service bit, as the form names their fields.
struct Row
{
    uint service;
    const char *user;
    const char *password;
};
const QList<Row> kRows{{1, "youtubeUser", "youtubePswd"},
                       {2, "facebookUser", "facebookPswd"},
                       {4, "picasaUser", "picasaPswd"},
                       {8, "twitterUser", "twitterPswd"},
                       {16, "dropboxUser", "dropboxPswd"}};

// The dialog's widgets a user reaches.
struct Form
{
    explicit Form(const QWidget *dialog)
        : tabs(formChild<QTabWidget>(*dialog, "tabWidget"))
        , micSelector(formChild<QComboBox>(*dialog, "micSelector"))
        , micVolSlider(formChild<QSlider>(*dialog, "micVolSlider"))
        , meter(formChild<VolReporter>(*dialog, "micVolReporter"))
        , resolution(formChild<QComboBox>(*dialog, "videoResolutionSelector"))
        , saveDir(formChild<QLineEdit>(*dialog, "videoSaveDir"))
        , folderButton(formChild<QToolButton>(*dialog, "fileDialogBtn"))
        , webCamSelector(formChild<QComboBox>(*dialog, "webCamSelector"))
        , preview(formChild<QWidget>(*dialog, "webCamWidget"))
        , save(formChild<QPushButton>(*dialog, "okBtn"))
        , cancel(formChild<QPushButton>(*dialog, "cancelBtn"))
        , validate(formChild<QPushButton>(*dialog, "validateBtn"))
        , uploadUnavailable(formChild<QLabel>(*dialog, "uploadUnavailableLabel"))
        , m_dialog(dialog)
    {
    }
    QLineEdit *user(uint service) const { return field(service, true); }
    QLineEdit *password(uint service) const { return field(service, false); }

    QTabWidget *tabs;
    QComboBox *micSelector;
    QSlider *micVolSlider;
    VolReporter *meter;
    QComboBox *resolution;
    QLineEdit *saveDir;
    QToolButton *folderButton;
    QComboBox *webCamSelector;
    QWidget *preview;
    QPushButton *save;
    QPushButton *cancel;
    QPushButton *validate;
    QLabel *uploadUnavailable;

private:
    QLineEdit *field(uint service, bool user) const
    {
        for (const Row &row : kRows) {
            if (row.service == service)
                return formChild<QLineEdit>(*m_dialog, user ? row.user : row.password);
        }
        qFatal("No account row for service %u", service);
    }
    const QWidget *m_dialog;
};

QStringList items(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

// A folder path of exactly `length` characters under `base`.
QString pathOfLength(const QString &base, int length)
{
    return base + QLatin1Char('/') + QString(length - int(base.size()) - 1, QLatin1Char('d'));
}

// Makes `folder` read-only for this thread through a bind mount in a mount namespace of its own, so the
// host never sees it (root ignores file modes, so chmod cannot refuse a write). Empty on success, else why not.
QString mountReadOnly(const QString &folder)
{
    if (geteuid() != 0)
        return QStringLiteral("needs root to mount a read-only folder");
    if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("cannot make a mount namespace here");
    const QByteArray path = QFile::encodeName(folder);
    if (mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0)
        return QStringLiteral("cannot bind-mount the folder");
    if (mount("none", path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        umount2(path.constData(), MNT_DETACH);
        return QStringLiteral("cannot make the bind mount read-only");
    }
    return QString();
}

} // namespace

class TestSettingDialog : public QObject
{
    Q_OBJECT

private:
    SettingIntf *m_settings = nullptr;
    std::unique_ptr<RecordingFake> m_recording;
    std::unique_ptr<WebCamFake> m_webCam;
    std::unique_ptr<VideoFake> m_video;
    std::unique_ptr<DialogWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_chosenFolder;
    int m_prompts = 0;

    std::unique_ptr<SettingDialog> makeDialog()
    {
        return std::make_unique<SettingDialog>(m_settings, m_recording.get(), m_video.get(), m_webCam.get());
    }

    // Starts the recording service's level monitor minus its stops: what the dialog holds (every start
    // succeeds unless a test says otherwise).
    int monitorHeld() const
    {
        return m_recording->count(QStringLiteral("startAudioMonitor"))
               - m_recording->count(QStringLiteral("stopAudioMonitor"));
    }

    // Every preview the dialog asked for was made inside its preview area.
    bool previewsAskedInside(const Form &form) const
    {
        for (const CallRecorder::Call &call : m_webCam->calls()) {
            if (call.name == QLatin1String("auxWebCamWidget") && call.args.value(0).value<QWidget *>() != form.preview)
                return false;
        }
        return true;
    }

private Q_SLOTS:
    void initTestCase()
    {
        SettingDialog::setFolderPrompt([this](QWidget *, const QString &) {
            ++m_prompts;
            return m_chosenFolder;
        });
    }

    void init()
    {
        QFile::remove(SettingImpl::settingsFilePath());
        m_settings = SettingImpl::getInstance();
        m_recording = std::make_unique<RecordingFake>();
        m_recording->setAnswer(QStringLiteral("audioSources"), kMicrophones);
        m_recording->setAnswer(QStringLiteral("actionStatus"), 1u);
        m_recording->setAnswer(QStringLiteral("getVolume"), kVolume);
        m_webCam = std::make_unique<WebCamFake>();
        m_webCam->setAnswer(QStringLiteral("getWebCamList"), kWebCams);
        m_webCam->setAnswer(QStringLiteral("currentAuxWebCamIndex"), 0);
        m_video = std::make_unique<VideoFake>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_chosenFolder.clear();
        m_prompts = 0;
        m_watchdog = std::make_unique<DialogWatchdog>();
    }

    void cleanup()
    {
        m_watchdog.reset();
        m_video.reset();
        m_webCam.reset();
        m_recording.reset();
        m_settings->release();
        m_settings = nullptr;
    }

    void folderChecks_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("create");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message");
        const QString protectedFolder = QStringLiteral("Destination folder is write protected");
        QTest::newRow("199 characters") << 199 << true << false << QString();
        QTest::newRow("200 characters") << 200 << true << false
                                        << QStringLiteral("Length of file path is over limitation");
        QTest::newRow("chooser cancelled") << 0 << false << false << QString();
        QTest::newRow("folder gone") << 60 << false << false << protectedFolder;
        QTest::newRow("read-only mount") << 60 << true << true << protectedFolder;
    }
    void folderChecks()
    {
        QFETCH(int, length);
        QFETCH(bool, create);
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        m_chosenFolder = length ? pathOfLength(m_dir->path(), length) : QString();
        if (create)
            QVERIFY(QDir().mkpath(m_chosenFolder));
        if (readOnly) {
            const QString notMounted = mountReadOnly(m_chosenFolder);
            if (!notMounted.isEmpty())
                QSKIP(qPrintable(notMounted));
        }
        const auto unmount = qScopeGuard([&] {
            if (readOnly)
                umount2(QFile::encodeName(m_chosenFolder).constData(), MNT_DETACH);
        });
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        const QString before = form.saveDir->text();
        QCOMPARE(before, QDir::toNativeSeparators(SettingImpl::defaultMediaFolder()));

        MessageBoxScript boxes;
        form.folderButton->click();
        QCOMPARE(m_prompts, 1);
        if (message.isEmpty()) {
            QVERIFY(boxes.shown().isEmpty());
        } else {
            QCOMPARE(boxes.shown().size(), 1);
            QCOMPARE(boxes.shown().first().title, QStringLiteral("Error"));
            QCOMPARE(boxes.lastText(), message);
        }
        const bool accepted = message.isEmpty() && length;
        QCOMPARE(form.saveDir->text(), accepted ? QDir::toNativeSeparators(m_chosenFolder + QLatin1Char('/')) : before);
        if (accepted)
            QCOMPARE(QDir(m_chosenFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), {});

        form.save->click();
        QCOMPARE(m_settings->value(QStringLiteral("savePath")).toString(),
                 accepted ? m_chosenFolder + QLatin1Char('/') : QDir::fromNativeSeparators(before));
    }

    // The write probe takes the first free name and never touches what the folder holds.
    void probeLeavesTheFolderAlone()
    {
        m_chosenFolder = m_dir->path();
        QFile taken(m_dir->filePath(QStringLiteral("ttt_ttt_test0")));
        QVERIFY(taken.open(QIODevice::WriteOnly));
        taken.write("a pupil's notes");
        taken.close();
        QVERIFY(QDir(m_chosenFolder).mkdir(QStringLiteral("ttt_ttt_test1")));

        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        MessageBoxScript boxes;
        form.folderButton->click();
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(form.saveDir->text(), QDir::toNativeSeparators(m_chosenFolder + QLatin1Char('/')));
        QCOMPARE(QDir(m_chosenFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({QStringLiteral("ttt_ttt_test0"), QStringLiteral("ttt_ttt_test1")}));
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("a pupil's notes"));
        dialog->reject();
    }

    void saveAppliesTheChoices()
    {
        m_webCam->setAnswer(QStringLiteral("webCamCount"), int(kWebCams.size()));
        m_chosenFolder = m_dir->path();
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        QCOMPARE(form.resolution->currentText(), QStringLiteral("High Quality"));
        QCOMPARE(items(form.webCamSelector), QStringList(kWebCams));

        form.folderButton->click();
        form.resolution->setCurrentIndex(0);
        form.micSelector->setCurrentIndex(1);
        QCOMPARE(m_settings->getAudioSource(), kMicrophones[1]);
        form.micVolSlider->setValue(70);
        QCOMPARE(m_recording->lastArgs(QStringLiteral("setVolume")), QVariantList{70u});
        m_webCam->setAnswer(QStringLiteral("currentAuxWebCamIndex"), 1);
        emit form.webCamSelector->activated(1);
        QCOMPARE(m_webCam->lastArgs(QStringLiteral("openAuxWebCam")), QVariantList{1});
        // Nothing stored before Save but the microphone.
        QCOMPARE(m_settings->getVideoQuality(), 2);

        form.save->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), 0);
        QCOMPARE(m_settings->value(QStringLiteral("savePath")).toString(), m_chosenFolder + QLatin1Char('/'));
        QCOMPARE(m_settings->getVideoQuality(), 0);
        QCOMPARE(m_settings->getAudioSource(), kMicrophones[1]);
        QCOMPARE(m_webCam->lastArgs(QStringLiteral("openWebCam")), QVariantList{1});
        QCOMPARE(m_webCam->count(QStringLiteral("closeAuxWebCam")), 1);
        QCOMPARE(monitorHeld(), 0);
        QVERIFY(previewsAskedInside(form));
    }

    // While the chosen folder is missing the field shows the default in its place; a Save that leaves the field
    // as it was keeps the choice, for the folder to be used again once it is back.
    void saveKeepsAMissingFolderChosen()
    {
        const QString missing = m_dir->path() + QStringLiteral("/stick/Quillo/");
        QVERIFY(m_settings->setSavePath(missing));
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        form.resolution->setCurrentIndex(0);
        form.save->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(m_settings->value(QStringLiteral("savePath")).toString(), missing);
        QCOMPARE(m_settings->getVideoQuality(), 0);
    }

    // Cancel, whichever way the user asks for it (or the program ends the dialog), undoes what took effect and
    // gives back what the show took: a second show then starts everything once.
    void cancelUndoesAndReleases_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << QStringLiteral("button");
        QTest::newRow("Escape") << QStringLiteral("escape");
        QTest::newRow("window close button") << QStringLiteral("close");
        QTest::newRow("ended by the program") << QStringLiteral("accept");
    }
    void cancelUndoesAndReleases()
    {
        QFETCH(QString, how);
        m_settings->setAudioSource(kMicrophones[0]);
        m_settings->setVideoQuality(1);
        m_chosenFolder = m_dir->path();
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        const QString storedFolder = form.saveDir->text();
        form.micSelector->setCurrentIndex(1);
        form.micVolSlider->setValue(75);
        form.folderButton->click();
        form.resolution->setCurrentIndex(2);
        QCOMPARE(monitorHeld(), 1);

        if (how == QLatin1String("button"))
            form.cancel->click();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else if (how == QLatin1String("close"))
            dialog->close();
        else
            dialog->accept();

        QVERIFY(!dialog->isVisible());
        QCOMPARE(m_settings->getAudioSource(), kMicrophones[0]);
        QCOMPARE(m_recording->lastArgs(QStringLiteral("setVolume")), QVariantList{kVolume});
        QCOMPARE(form.micSelector->currentText(), kMicrophones[0]);
        QCOMPARE(form.micVolSlider->value(), int(kVolume));
        QCOMPARE(form.saveDir->text(), storedFolder);
        QCOMPARE(form.resolution->currentIndex(), 1);
        QCOMPARE(m_settings->getVideoQuality(), 1);
        QCOMPARE(m_webCam->count(QStringLiteral("closeAuxWebCam")), 1);
        QCOMPARE(m_webCam->count(QStringLiteral("openWebCam")), 0);
        QCOMPARE(monitorHeld(), 0);

        dialog->show();
        QCOMPARE(monitorHeld(), 1);
        m_webCam->clearCalls();
        m_webCam->setWebCamList(kWebCams);
        // One refill, not one for every show so far.
        QCOMPARE(m_webCam->count(QStringLiteral("currentAuxWebCamIndex")), 1);
        dialog->reject();
        QCOMPARE(monitorHeld(), 0);
    }

    // The dialog runs modally for the main window: Escape ends it as Cancel, Enter as Save.
    void modalRunEndsByKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
    }
    void modalRunEndsByKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, saved);
        auto dialog = makeDialog();
        const Form form(dialog.get());
        int heldWhileShown = -1;
        ModalAnswerer answerer([&](QWidget *modal) {
            heldWhileShown = monitorHeld();
            form.resolution->setCurrentIndex(0);
            QWidget *target = modal->focusWidget() ? modal->focusWidget() : modal;
            QTest::keyClick(target, Qt::Key(key));
        });
        QCOMPARE(dialog->exec(), 0);
        QVERIFY(answerer.answered());
        QCOMPARE(heldWhileShown, 1);
        QCOMPARE(monitorHeld(), 0);
        QCOMPARE(m_webCam->count(QStringLiteral("closeAuxWebCam")), 1);
        QCOMPARE(m_settings->getVideoQuality(), saved ? 0 : 2);
    }

    void microphoneListRules_data()
    {
        QTest::addColumn<QList<QString>>("sources");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("none") << QList<QString>() << QStringLiteral("Old Microphone")
                              << QStringList{QStringLiteral("No Microphone Connection")}
                              << QStringLiteral("No Microphone Connection") << QStringLiteral("Old Microphone");
        QTest::newRow("nothing stored") << kMicrophones << QString() << QStringList(kMicrophones) << kMicrophones[0]
                                        << kMicrophones[0];
        QTest::newRow("stored present") << kMicrophones << kMicrophones[1] << QStringList(kMicrophones)
                                        << kMicrophones[1] << kMicrophones[1];
        QTest::newRow("stored missing") << kMicrophones << QStringLiteral("Unplugged Headset")
                                        << QStringList(kMicrophones) << kMicrophones[0] << kMicrophones[0];
    }
    void microphoneListRules()
    {
        QFETCH(QList<QString>, sources);
        QFETCH(QString, stored);
        QFETCH(QStringList, listed);
        QFETCH(QString, selected);
        QFETCH(QString, storedAfter);
        m_settings->setAudioSource(stored);
        m_recording->setAnswer(QStringLiteral("audioSources"), sources);

        // Built hidden, and hidden again after the list changes under it.
        auto dialog = makeDialog();
        const Form form(dialog.get());
        QCOMPARE(items(form.micSelector), listed);
        QCOMPARE(form.micSelector->currentText(), selected);
        QCOMPARE(m_settings->getAudioSource(), storedAfter);
        m_recording->setAudioSources(sources);
        QCOMPARE(items(form.micSelector), listed);
        QCOMPARE(m_settings->getAudioSource(), storedAfter);
        QCOMPARE(m_recording->count(QStringLiteral("startAudioMonitor")), 0);

        dialog->show();
        QCOMPARE(form.micSelector->currentText(), selected);
        QCOMPARE(monitorHeld(), 1);
        dialog->reject();
        QCOMPARE(monitorHeld(), 0);
    }

    // The level monitor runs exactly while the dialog is shown, through list changes, picks and a start
    // the recording service refuses.
    void monitorRunsOnlyWhileShown()
    {
        m_settings->setAudioSource(kMicrophones[1]);
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        QCOMPARE(monitorHeld(), 1);
        emit m_recording->audioLevelReported(57);
        QCOMPARE(form.meter->value(), 57);

        // The stored microphone is unplugged: the first one takes its place and is monitored.
        m_recording->setAudioSources({kMicrophones[0]});
        QCOMPARE(m_settings->getAudioSource(), kMicrophones[0]);
        QCOMPARE(m_recording->count(QStringLiteral("startAudioMonitor")), 2);
        QCOMPARE(monitorHeld(), 1);
        form.save->click();
        QCOMPARE(monitorHeld(), 0);
        QCOMPARE(form.meter->value(), 0);

        // Hidden: a new list changes the stored microphone but starts nothing.
        m_recording->setAudioSources({kMicrophones[1]});
        QCOMPARE(m_settings->getAudioSource(), kMicrophones[1]);
        m_recording->setAudioSources(kMicrophones);
        QCOMPARE(form.micSelector->currentText(), kMicrophones[1]);
        QCOMPARE(monitorHeld(), 0);

        // A start refused (no microphone to measure) is not matched by a stop, which would take away a
        // running recording's start.
        m_recording->setAnswer(QStringLiteral("startAudioMonitor"), -2001);
        dialog->show();
        form.micSelector->setCurrentIndex(0);
        dialog->reject();
        QCOMPARE(m_recording->count(QStringLiteral("stopAudioMonitor")), 2);
    }

    // What the program puts on the volume slider is not written back to the mixer, which would step the
    // volume down on every opening (a percent read back can set one less).
    void programmaticVolumeIsNotWritten()
    {
        auto dialog = makeDialog();
        const Form form(dialog.get());
        for (int i = 0; i < 2; ++i) {
            dialog->show();
            QCOMPARE(form.micVolSlider->value(), int(kVolume));
            form.micSelector->setCurrentIndex(1 - form.micSelector->currentIndex());
            dialog->reject();
        }
        QCOMPARE(m_recording->count(QStringLiteral("setVolume")), 0);
    }

    void recordingDisablesOnlyTheMicrophoneChoice()
    {
        m_recording->setAnswer(QStringLiteral("actionStatus"), 6u);
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        QVERIFY(!form.micSelector->isEnabled());
        for (QWidget *widget : QList<QWidget *>{form.micVolSlider, form.folderButton, form.resolution,
                                                form.webCamSelector, form.tabs, form.save, form.cancel})
            QVERIFY2(widget->isEnabled(), qPrintable(widget->objectName()));

        m_recording->setActionStatus(1);
        QVERIFY(form.micSelector->isEnabled());
        m_recording->setActionStatus(6);
        QVERIFY(!form.micSelector->isEnabled());
        dialog->reject();
        // Hidden, the dialog no longer follows the recording.
        m_recording->setActionStatus(1);
        QVERIFY(!form.micSelector->isEnabled());
    }

    // A Save refused by the video-sharing name check changes nothing: no account, no setting, the preview
    // and the level monitor go on; a web cam chosen then shows inside the dialog.
    void refusedSaveChangesNothing()
    {
        m_webCam->setAnswer(QStringLiteral("webCamCount"), int(kWebCams.size()));
        UploadFake upload;
        upload.setAnswerFunction(QStringLiteral("checkAccountName"), [](const QVariantList &args) {
            return QVariant(args.value(0).toUInt() == 1
                                    && args.value(1).value<AccountRecord>().userName.contains(QLatin1Char('@'))
                                ? -1001
                                : 0);
        });
        m_chosenFolder = m_dir->path();
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        const QString storedFolder = m_settings->value(QStringLiteral("savePath")).toString();
        form.folderButton->click();
        form.resolution->setCurrentIndex(0);
        form.user(2)->setText(QStringLiteral("science.class"));
        form.user(1)->setText(QStringLiteral("teacher@school"));

        form.save->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(upload.count(QStringLiteral("checkAccountName")), 1);
        QCOMPARE(upload.count(QStringLiteral("setAccount")), 0);
        QCOMPARE(m_settings->value(QStringLiteral("savePath")).toString(), storedFolder);
        QCOMPARE(m_settings->getVideoQuality(), 2);
        QCOMPARE(m_webCam->count(QStringLiteral("openWebCam")), 0);
        QCOMPARE(m_webCam->count(QStringLiteral("closeAuxWebCam")), 0);
        QCOMPARE(monitorHeld(), 1);
        emit m_recording->audioLevelReported(33);
        QCOMPARE(form.meter->value(), 33);
        emit form.webCamSelector->activated(1);
        QCOMPARE(m_webCam->lastArgs(QStringLiteral("openAuxWebCam")), QVariantList{1});
        QVERIFY(previewsAskedInside(form));

        form.user(1)->setText(QStringLiteral("teacher.school"));
        form.save->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(upload.count(QStringLiteral("setAccount")), 5);
        QCOMPARE(m_settings->value(QStringLiteral("savePath")).toString(), m_chosenFolder + QLatin1Char('/'));
        QCOMPARE(m_settings->getVideoQuality(), 0);
        QCOMPARE(monitorHeld(), 0);
    }

    // A write that cannot reach the settings file (a folder stands where it belongs): Save keeps the dialog
    // and its session open and says why; a Save once the file can be written again stores everything.
    void saveThatCannotReachTheFileKeepsTheDialog()
    {
        m_chosenFolder = m_dir->path();
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        form.folderButton->click();
        form.resolution->setCurrentIndex(0);
        form.micSelector->setCurrentIndex(1);
        QVERIFY(QFile::remove(SettingImpl::settingsFilePath()));
        QVERIFY(QDir().mkpath(SettingImpl::settingsFilePath()));
        const auto removeBlocker = qScopeGuard([] { QDir(SettingImpl::settingsFilePath()).removeRecursively(); });

        QString text;
        QString informative;
        ModalAnswerer answerer([&](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                text = box->text();
                informative = box->informativeText();
                QVERIFY(!Screenshot::save(box, QStringLiteral("save-failed")).isEmpty());
                box->accept();
            }
        });
        form.save->click();
        QVERIFY(answerer.answered());
        QCOMPARE(text, QStringLiteral("The settings could not be saved."));
        QVERIFY2(informative.contains(QDir::toNativeSeparators(SettingImpl::settingsFilePath())),
                 qPrintable(informative));
        QVERIFY(dialog->isVisible());
        QCOMPARE(monitorHeld(), 1);
        QCOMPARE(m_webCam->count(QStringLiteral("openWebCam")), 0);

        QVERIFY(QDir(SettingImpl::settingsFilePath()).removeRecursively());
        form.save->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(m_settings->value(QStringLiteral("savePath")).toString(), m_chosenFolder + QLatin1Char('/'));
        QCOMPARE(m_settings->getVideoQuality(), 0);
        QCOMPARE(m_settings->getAudioSource(), kMicrophones[1]);
        QCOMPARE(monitorHeld(), 0);
    }

    void accountsPage()
    {
        UploadFake upload;
        const QMap<uint, AccountRecord> stored{
            {1, {QString(), QStringLiteral("ms.rivera"), QStringLiteral("password")}},
            {2, {QStringLiteral("page"), QStringLiteral("Room 12 Science"), QStringLiteral("password")}},
            {16, {QString(), QStringLiteral("rivera-class"), QStringLiteral("password")}},
        };
        upload.setAnswerFunction(QStringLiteral("account"), [&stored](const QVariantList &args) {
            return QVariant::fromValue(stored.value(args.value(0).toUInt()));
        });
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        QVERIFY(!form.uploadUnavailable->isVisible());
        for (const Row &row : kRows) {
            QCOMPARE(form.user(row.service)->text(), stored.value(row.service).userName);
            QVERIFY(form.user(row.service)->isEnabled());
            // No service takes a password: the field is hidden and holds what is sent instead.
            QVERIFY(form.password(row.service)->isHidden());
            QCOMPARE(form.password(row.service)->text(), QStringLiteral("password"));
        }

        // Validate takes the rows with a user name, as typed, and stores nothing.
        form.user(2)->clear();
        form.user(4)->setText(QStringLiteral(" albums@home "));
        form.validate->click();
        QCOMPARE(upload.count(QStringLiteral("validateAccounts")), 1);
        const QVariantList validated = upload.lastArgs(QStringLiteral("validateAccounts"));
        const auto accounts = validated.value(0).value<QMap<uint, AccountRecord>>();
        QCOMPARE(accounts.keys(), QList<uint>({1, 4, 16}));
        QCOMPARE(accounts.value(4).userName, QStringLiteral(" albums@home "));
        QCOMPARE(accounts.value(16).password, QStringLiteral("password"));
        QCOMPARE(validated.value(1).value<QWidget *>(), dialog.get());
        QCOMPARE(upload.count(QStringLiteral("setAccount")), 0);

        // Cancel stores nothing, and the next opening shows the stored accounts again.
        dialog->reject();
        dialog->show();
        QCOMPARE(form.user(2)->text(), QStringLiteral("Room 12 Science"));
        QCOMPARE(form.user(4)->text(), QString());
        QCOMPARE(upload.count(QStringLiteral("setAccount")), 0);

        // Save hands every row over once the video-sharing name passed; an emptied row removes its account,
        // an "@" elsewhere is no concern of the check.
        form.user(2)->clear();
        form.user(8)->setText(QStringLiteral("pic@post"));
        upload.clearCalls();
        form.save->click();
        QCOMPARE(upload.callNames().mid(0, 1), QStringList{QStringLiteral("checkAccountName")});
        QCOMPARE(upload.lastArgs(QStringLiteral("checkAccountName")).value(0).toUInt(), 1u);
        QList<uint> order;
        QMap<uint, AccountRecord> saved;
        for (const CallRecorder::Call &call : upload.calls()) {
            if (call.name != QLatin1String("setAccount"))
                continue;
            order.append(call.args.value(0).toUInt());
            saved.insert(order.last(), call.args.value(1).value<AccountRecord>());
        }
        QCOMPARE(order, QList<uint>({2, 16, 4, 1, 8}));
        QCOMPARE(saved.value(2).userName, QString());
        QCOMPARE(saved.value(8).userName, QStringLiteral("pic@post"));
        QCOMPARE(saved.value(16).userName, QStringLiteral("rivera-class"));
        for (const AccountRecord &account : std::as_const(saved)) {
            QVERIFY(account.extra.isNull());
            QCOMPARE(account.password, QStringLiteral("password"));
        }
        QVERIFY(!dialog->isVisible());
    }

    // With no upload service the page says so, takes no input, and Save stores the rest.
    void accountsPageWithoutUploadService()
    {
        QVERIFY(!UploadAccess::service());
        m_chosenFolder = m_dir->path();
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        form.tabs->setCurrentIndex(2);
        QVERIFY(form.uploadUnavailable->isVisible());
        QVERIFY(!form.validate->isEnabled());
        for (const Row &row : kRows)
            QVERIFY(!form.user(row.service)->isEnabled());
        QVERIFY(!Screenshot::save(dialog.get(), QStringLiteral("site-login-tab-no-upload")).isEmpty());

        // A service bound meanwhile gets nothing from fields it did not fill.
        UploadFake upload;
        form.validate->click();
        form.folderButton->click();
        form.save->click();
        QVERIFY(!dialog->isVisible());
        for (const char *call : {"validateAccounts", "checkAccountName", "setAccount"})
            QCOMPARE(upload.count(QLatin1String(call)), 0);
        QCOMPARE(m_settings->value(QStringLiteral("savePath")).toString(), m_chosenFolder + QLatin1Char('/'));
    }

    // For a person to look at: the video and accounts tabs as a teacher sees them.
    void screenshots()
    {
        UploadFake upload;
        const QMap<uint, AccountRecord> stored{
            {1, {QString(), QStringLiteral("ms.rivera"), QString()}},
            {2, {QString(), QStringLiteral("Room 12 Science"), QString()}},
            {16, {QString(), QStringLiteral("rivera-class"), QString()}},
        };
        upload.setAnswerFunction(QStringLiteral("account"), [&stored](const QVariantList &args) {
            return QVariant::fromValue(stored.value(args.value(0).toUInt()));
        });
        auto dialog = makeDialog();
        const Form form(dialog.get());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        emit m_recording->audioLevelReported(62);
        QVERIFY(!Screenshot::save(dialog.get(), QStringLiteral("video-tab")).isEmpty());
        form.tabs->setCurrentIndex(2);
        QVERIFY(!Screenshot::save(dialog.get(), QStringLiteral("site-login-tab")).isEmpty());
        dialog->reject();
    }
};

QUILLO_TEST_MAIN(TestSettingDialog)
#include "tst_SettingDialog.moc"
