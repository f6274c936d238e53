#include "CameraFramePaintWatch.h"
#include "CameraThrottleController.h"
#include "CameraWidget.h"
#include "TestEnvironment.h"

#include <QSignalSpy>

namespace {

class Throttle : public CameraThrottleController
{
public:
    void requestNextFrame(CameraWidget *) override {}
};

} // namespace

class TestCameraFramePaintWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Only a painted camera picture counts, once: not the status text a view shows before, nor other widgets.
    void toldOnceWhenTheFirstPictureIsPainted()
    {
        CameraFramePaintWatch watch;
        QSignalSpy painted(&watch, &CameraFramePaintWatch::framePainted);
        Throttle throttle;
        QWidget window;
        window.resize(400, 300);
        auto *view = new CameraWidget(&throttle, &window);
        view->resize(320, 240);
        view->setStatusText(QStringLiteral("Camera not connected"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        view->repaint();
        window.repaint();
        QVERIFY(!painted.wait(200));

        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        view->oneFrameFetched(nullptr, CameraImage(picture));
        QVERIFY(painted.wait());
        view->oneFrameFetched(nullptr, CameraImage(picture));
        view->repaint();
        QTest::qWait(100);
        QCOMPARE(painted.size(), 1);
    }

    // A picture that arrives in a hidden view is not seen until the view shows it.
    void aHiddenViewsPictureIsNotSeen()
    {
        CameraFramePaintWatch watch;
        QSignalSpy painted(&watch, &CameraFramePaintWatch::framePainted);
        Throttle throttle;
        CameraWidget view(&throttle, nullptr);
        view.resize(320, 240);
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        view.oneFrameFetched(nullptr, CameraImage(picture));
        QVERIFY(!painted.wait(200));
        view.show();
        QVERIFY(painted.wait());
    }
};

QUILLO_TEST_MAIN(TestCameraFramePaintWatch)
#include "tst_CameraFramePaintWatch.moc"
