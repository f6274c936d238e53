#include "AnimationWatch.h"
#include "AnnotationFake.h"
#include "CaptureFake.h"
#include "DialogWatchdog.h"
#include "FormChild.h"
#include "GradingServicePage.h"
#include "LumoVisionFake.h"
#include "MainWindowFake.h"
#include "MessageBoxScript.h"
#include "RecordingFake.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "ToolsPanel.h"
#include "WidgetModeToolBar.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

namespace {

// What the camera of the pictures offers: every control and every mode.
constexpr uint kEveryControl = 0x1FFFFFF;
constexpr uint kRecording = 6;

// A worksheet under the camera, standing in for the live view the main window moves into the bar.
QPixmap worksheet(const QSize &size)
{
    QPixmap page(size);
    page.fill(QColor(250, 248, 240));
    QPainter painter(&page);
    painter.setPen(QColor(40, 40, 40));
    QFont font(QStringLiteral("Calibri"), 14, QFont::Bold);
    painter.setFont(font);
    painter.drawText(QRect(0, 12, size.width(), 24), Qt::AlignHCenter, QStringLiteral("Fractions - worksheet 3"));
    font.setBold(false);
    font.setPointSize(11);
    painter.setFont(font);
    for (int row = 0; row < 6; ++row) {
        const QString sum = QStringLiteral("%1)  %2/4 + 1/%3 = ______").arg(row + 1).arg(row % 3 + 1).arg(row + 2);
        painter.drawText(24, 64 + row * 30, sum);
    }
    return page;
}

} // namespace

// Pictures of the tool panel in each of its states and of the widget-mode bar's rows, for a person to look
// at.
class TestToolPanelPictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toolPanel();
    void widgetModeBar();
};

void TestToolPanelPictures::toolPanel()
{
    AnimationWatch animations;
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("isDocCamConnected"), true);
    camera.setActionStatus(kEveryControl);
    CaptureFake capture;
    capture.setActionStatus(7u);
    RecordingFake recording;
    recording.setActionStatus(1u);
    AnnotationFake annotation;
    MainWindowFake window;
    // The panel hangs from the top edge of the window's black central area.
    auto *area = new QWidget;
    QPalette black = area->palette();
    black.setColor(QPalette::Window, Qt::black);
    area->setPalette(black);
    area->setAutoFillBackground(true);
    window.setCentralWidget(area);
    window.resize(860, 120);
    auto *panel = new ToolsPanel(area);
    panel->move(15, 0);
    panel->setMainWindow(&window);
    panel->setDocCamService(&camera);
    panel->setCaptureService(&capture);
    panel->setRecordingService(&recording);
    panel->setAnnotationService(&annotation);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(AnimationWatch::waitForPaint(area));
    QVERIFY(!Screenshot::save(area, QStringLiteral("main")).isEmpty());

    const struct
    {
        const char *button;
        const char *name;
    } states[] = {{"annoBtn", "annotation"},
                  {"docCamBtn", "doc-cam"},
                  {"captureBtn", "capture"},
                  {"splitBtn", "split"},
                  {"presenterBtn", "presenter"}};
    for (const auto &state : states) {
        QToolButton *button = formChild<QToolButton>(*panel, state.button);
        button->click();
        QVERIFY(animations.waitForAnimationsThenPaint(area));
        QVERIFY(!Screenshot::save(area, QLatin1String(state.name)).isEmpty());
        button->click();
        QVERIFY(animations.waitForAnimations());
    }

    recording.setActionStatus(kRecording);
    QVERIFY(AnimationWatch::waitForPaint(area));
    QVERIFY(!Screenshot::save(area, QStringLiteral("main-recording")).isEmpty());
    recording.setActionStatus(1u);

    DialogWatchdog watchdog;
    MessageBoxScript script;
    script.answerNext(QMessageBox::Ok);
    setGradingServiceLoginPage(QUrl(QStringLiteral("https://grading.test.invalid/login")));
    formChild<QToolButton>(*panel, "gradeCamBtn")->click();
    QVERIFY(AnimationWatch::waitForPaint(area));
    QVERIFY(!Screenshot::save(area, QStringLiteral("main-camera-lent")).isEmpty());

    camera.disconnectCamera();
    QVERIFY(AnimationWatch::waitForPaint(area));
    QVERIFY(!Screenshot::save(area, QStringLiteral("main-no-camera")).isEmpty());

    emit window.isFullDisplayMode(true);
    QVERIFY(AnimationWatch::waitForPaint(area));
    QVERIFY(!Screenshot::save(area, QStringLiteral("main-full-display")).isEmpty());
}

void TestToolPanelPictures::widgetModeBar()
{
    AnimationWatch animations;
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("isDocCamConnected"), true);
    camera.setActionStatus(kEveryControl);
    camera.cameraWidget()->resize(348, 261);
    CaptureFake capture;
    capture.setActionStatus(7u);
    RecordingFake recording;
    recording.setActionStatus(1u);
    MainWindowFake window;
    WidgetModeToolBar bar;
    bar.setMainWindow(&window);
    bar.setCaptureService(&capture);
    bar.setDocCamService(&camera);
    bar.setRecordingService(&recording);
    // The main window lays the live view into the container, centred.
    auto *view = new QLabel(bar.getVisionContainer());
    view->setPixmap(worksheet(QSize(348, 261)));
    view->setGeometry(1, 0, 348, 261);
    bar.move(40, 40);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QVERIFY(AnimationWatch::waitForPaint(&bar));
    QVERIFY(!Screenshot::save(&bar, QStringLiteral("bar-tools")).isEmpty());

    formChild<QPushButton>(bar, "docCamBtn")->click();
    emit camera.freezeStatusChanged(true);
    QVERIFY(AnimationWatch::waitForPaint(&bar));
    QVERIFY(!Screenshot::save(&bar, QStringLiteral("bar-camera-row-frozen")).isEmpty());
    emit camera.freezeStatusChanged(false);
    camera.setActionStatus(LumoVisionIntf::AUTO_FOCUS | LumoVisionIntf::ZOOM_IN | LumoVisionIntf::FREEZE);
    QVERIFY(AnimationWatch::waitForPaint(&bar));
    QVERIFY(!Screenshot::save(&bar, QStringLiteral("bar-camera-row-few-controls")).isEmpty());
    formChild<QPushButton>(bar, "docCamBtn")->click();

    recording.setActionStatus(kRecording);
    QVERIFY(AnimationWatch::waitForPaint(&bar));
    QVERIFY(!Screenshot::save(&bar, QStringLiteral("bar-recording")).isEmpty());

    formChild<QPushButton>(bar, "showHideBtn")->click();
    QVERIFY(animations.waitForAnimationsThenPaint(&bar));
    QVERIFY(!Screenshot::save(&bar, QStringLiteral("bar-collapsed")).isEmpty());
}

QUILLO_TEST_MAIN_X11(TestToolPanelPictures)
#include "tst_ToolPanelPictures.moc"
