#include "DialogWatchdog.h"
#include "LumoVisionImpl.h"
#include "Quillo.h"
#include "Screenshot.h"
#include "SettingImpl.h"
#include "StartupHelpers.h"
#include "TestEnvironment.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTranslator>

namespace {

// The virtual camera's first picture on a loaded machine.
constexpr int kCameraWaitMs = 15000;
// A classroom projector's size: the offscreen screen has no window manager to maximise the window.
const QRect kWindowGeometry(0, 0, 1280, 800);

QStringList buttonTexts(QWidget *window)
{
    QStringList texts;
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
        texts << button->text();
    return texts;
}

} // namespace

// The language the setting names is loaded from language/ as the program loads it at start, and the window
// shows its texts: a small French translation of the tool panel made for this test.
class TestQuilloLanguage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theWindowShowsTheChosenLanguage()
    {
        // The working directory is the first place "language/Lang_<code>" is looked for.
        const QString folder = TestEnvironment::root() + QStringLiteral("/start");
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/language")));
        const QString qm = folder + QStringLiteral("/language/Lang_fra.qm");
        QVERIFY(QFile::copy(TestEnvironment::inputPath("TEST_QM_FILE"), qm));
        QVERIFY(QDir::setCurrent(folder));

        SettingImpl *settings = SettingImpl::getInstance();
        settings->setValue(QStringLiteral("language"), QStringLiteral("fra"));
        settings->setValue(QStringLiteral("NOT_FIRST_TIME_LAUNCH"), true);
        settings->setValue(QStringLiteral("TOOLS_PANEL_STATUS"), true);
        settings->setValue(QStringLiteral("MEDIA_LIB_STATUS"), false);
        settings->release();

        QTranslator translator;
        loadLanguage(&translator);
        const auto removeTranslator = qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
        QCOMPARE(QFileInfo(translator.filePath()).canonicalFilePath(), QFileInfo(qm).canonicalFilePath());

        DialogWatchdog watchdog;
        auto window = std::make_unique<Quillo>();
        window->setGeometry(kWindowGeometry);
        window->show();
        LumoVisionIntf *camera = LumoVisionImpl::getInstance(nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(camera->isDocCamConnected(), kCameraWaitMs);
        camera->release();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        const QStringList texts = buttonTexts(window.get());
        for (const char *translated : {"Capturer", "Dessin", "Enregistrer", "Présentateur"})
            QVERIFY2(texts.contains(QString::fromUtf8(translated)), translated);
        for (const char *untranslated : {"Capture", "Annotation", "Record", "Presenter"})
            QVERIFY2(!texts.contains(QString::fromUtf8(untranslated)), untranslated);
        QVERIFY(!Screenshot::save(window.get(), QStringLiteral("main-window-in-french")).isEmpty());
    }
};

QUILLO_TEST_MAIN(TestQuilloLanguage)
#include "tst_QuilloLanguage.moc"
