#include "DialogWatchdog.h"
#include "FormChild.h"
#include "LumoVisionImpl.h"
#include "ModalAnswerer.h"
#include "Quillo.h"
#include "Screenshot.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "WidgetModeToolBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTextEdit>

namespace {

// The virtual camera's first picture, the tray host claiming the tray, and a recording's count-down of
// three seconds, each on a loaded machine.
constexpr int kCameraWaitMs = 15000;
constexpr int kTrayWaitMs = 15000;
constexpr int kRecordingStartWaitMs = 15000;
// Xvfb has no window manager to maximise the window: it is given a classroom projector's size.
const QRect kWindowGeometry(0, 0, 1280, 800);

WidgetModeToolBar *widgetBar()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *bar = qobject_cast<WidgetModeToolBar *>(top))
            return bar;
    }
    return nullptr;
}

// Every text a dialog shows in its labels and fields.
QString textsOf(QWidget *dialog)
{
    QStringList texts;
    for (QLabel *label : dialog->findChildren<QLabel *>())
        texts << label->text();
    for (QLineEdit *edit : dialog->findChildren<QLineEdit *>())
        texts << edit->text();
    for (QTextEdit *edit : dialog->findChildren<QTextEdit *>())
        texts << edit->toPlainText();
    return texts.join(QLatin1Char('\n'));
}

} // namespace

// The program's own window over its real services, on the built-in virtual camera and the test X server:
// what a teacher sees in the main display modes, in widget mode and in presenter mode, and a recording
// started from the tool panel.
class TestQuilloX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void showsTheCameraInTheDisplayModes();
    void widgetAndPresenterModes();
    void aRecordingFromTheToolPanelShowsTrayAndCounter();

private:
    std::unique_ptr<Quillo> m_window;
};

void TestQuilloX11::initTestCase()
{
    // A later start with both panels put away, so the pictures show the panes.
    SettingImpl *settings = SettingImpl::getInstance();
    settings->setValue(QStringLiteral("NOT_FIRST_TIME_LAUNCH"), true);
    settings->setValue(QStringLiteral("TOOLS_PANEL_STATUS"), false);
    settings->setValue(QStringLiteral("MEDIA_LIB_STATUS"), false);
    settings->release();

    m_window = std::make_unique<Quillo>();
    m_window->setGeometry(kWindowGeometry);
    LumoVisionIntf *camera = LumoVisionImpl::getInstance(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(camera->isDocCamConnected(), kCameraWaitMs);
    camera->release();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestQuilloX11::cleanupTestCase()
{
    m_window.reset();
}

void TestQuilloX11::showsTheCameraInTheDisplayModes()
{
    m_window->becomeOneSplit();
    QTest::qWait(300);
    QWidget *camera = nullptr;
    {
        LumoVisionIntf *service = LumoVisionImpl::getInstance(nullptr);
        camera = service->cameraWidget();
        service->release();
    }
    QVERIFY(camera && camera->isVisible());
    // The camera's picture fills the pane's width or height.
    const QSize central = m_window->centralWidget()->size();
    QVERIFY(camera->width() == central.width() || camera->height() == central.height());
    const QImage picture = camera->grab().toImage();
    QVERIFY(picture.pixelColor(picture.width() / 2, picture.height() / 2) != QColor(Qt::black));
    QVERIFY(!Screenshot::save(m_window.get(), QStringLiteral("mode0-one-view")).isEmpty());

    m_window->becomeDWTwoSplit();
    QTest::qWait(300);
    QVERIFY(!Screenshot::save(m_window.get(), QStringLiteral("mode2-doccam-webcam")).isEmpty());

    m_window->becomeDThreeSplit();
    const QString slide = TestEnvironment::home() + QStringLiteral("/slide.png");
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 160));
    image.save(slide);
    m_window->imgRequestToShow(slide);
    QTest::qWait(500);
    QCOMPARE(m_window->displayMode(), 4);
    QCOMPARE(m_window->mediaKind(), 0);
    QVERIFY(!Screenshot::save(m_window.get(), QStringLiteral("mode4-three-panes")).isEmpty());
    m_window->becomeOneSplit();
}

void TestQuilloX11::widgetAndPresenterModes()
{
    m_window->becomeWidgetMode();
    WidgetModeToolBar *bar = widgetBar();
    QVERIFY(bar && bar->isVisible());
    QVERIFY(!m_window->isVisible());
    QTest::qWait(500);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(bar->geometry().topRight(), available.topRight());
    QVERIFY(!Screenshot::save(bar, QStringLiteral("widget-mode")).isEmpty());
    m_window->leaveWidgetMode();
    m_window->setGeometry(kWindowGeometry);
    QVERIFY(m_window->isVisible());

    m_window->showUpSpotlight();
    QTest::qWait(300);
    QVERIFY(m_window->isPresenterMode());
    QVERIFY(!Screenshot::save(m_window.get(), QStringLiteral("presenter-spotlight")).isEmpty());
    m_window->showUpVisor();
    QTest::qWait(300);
    QVERIFY(!Screenshot::save(m_window.get(), QStringLiteral("presenter-visor")).isEmpty());
    // The effects close themselves; the window leaves presenter mode when they say so.
    for (QWidget *effect : m_window->centralWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QByteArray name = effect->metaObject()->className();
        if (name == "VisorWidget" || name == "SpotlightWidget")
            effect->hide();
    }
    m_window->leavePresenterMode();
    QVERIFY(!m_window->isPresenterMode());
}

void TestQuilloX11::aRecordingFromTheToolPanelShowsTrayAndCounter()
{
    if (qEnvironmentVariableIsEmpty("QUILLO_TEST_TRAY"))
        QSKIP("no tray host (QUILLO_TEST_TRAY is unset; scripts/test.sh starts one)");
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), kTrayWaitMs);
    DialogWatchdog watchdog(60000);
    m_window->toolPanelShow();
    QAbstractButton *record = formChild<QAbstractButton>(*m_window, "recordBtn");
    record->click();
    auto *tray = m_window->findChild<QSystemTrayIcon *>();
    QTRY_VERIFY_WITH_TIMEOUT(tray->isVisible(), kRecordingStartWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(tray->geometry().isValid() && !tray->geometry().isEmpty(), kTrayWaitMs);
    QAction *counter = tray->contextMenu()->actions().first();
    QTRY_COMPARE_WITH_TIMEOUT(counter->text(), QStringLiteral("Recording 00:00:02"), 5000);

    QString dialogClass;
    QString dialogTexts;
    ModalAnswerer answerer(
        [&](QWidget *modal) {
            dialogClass = QString::fromLatin1(modal->metaObject()->className());
            dialogTexts = textsOf(modal);
            Screenshot::save(modal, QStringLiteral("recording-saved"));
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
        },
        30000);
    tray->contextMenu()->actions().at(1)->trigger();
    QVERIFY(answerer.answered());
    QVERIFY(!tray->isVisible());
    QCOMPARE(counter->text(), QStringLiteral("Recording 00:00:00"));

    SettingImpl *settings = SettingImpl::getInstance();
    const QStringList recorded = QDir(settings->getSavePath()).entryList({QStringLiteral("*.avi")}, QDir::Files);
    settings->release();
    QCOMPARE(recorded.size(), 1);
    QCOMPARE(dialogClass, QStringLiteral("MediaInfoModifiedPanel"));
    QVERIFY2(dialogTexts.contains(QFileInfo(recorded.first()).completeBaseName()), qPrintable(dialogTexts));
}

QUILLO_TEST_MAIN_X11(TestQuilloX11)
#include "tst_QuilloX11.moc"
