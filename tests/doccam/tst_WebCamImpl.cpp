#include "CameraCodes.h"
#include "CameraWidget.h"
#include "DocCamManager.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"
#include "WebCamImpl.h"

#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The service's retry interval in these tests: several retries fit in a fraction of a second.
constexpr int kRetryMs = 50;

struct CamId
{
    QString name;
    uint vendor;
    uint product;
    QString location;
};

VirtualDocCam *makeCamera(const CamId &id)
{
    VirtualCameraProfile profile;
    // Above 16 bits: only the low 16 bits of the ids count.
    profile.identity = CameraIdentity{id.name,
                                      0x10000 | id.vendor,
                                      0x20000 | id.product,
                                      id.location,
                                      DocCamFormat{VirtualCameraProfile::PixelFormatRgb32, 320, 240, 30},
                                      true};
    return new VirtualDocCam(profile);
}

bool hasPicture(QWidget *view)
{
    return !static_cast<CameraWidget *>(view)->frame().getQImage().isNull();
}

QString statusText(QWidget *view)
{
    return static_cast<CameraWidget *>(view)->statusText();
}

} // namespace

class TestWebCamImpl : public QObject
{
    Q_OBJECT

private:
    WebCamImpl *m_service = nullptr;
    QList<VirtualDocCam *> m_cameras;

    VirtualDocCam *attach(const CamId &id)
    {
        VirtualDocCam *camera = makeCamera(id);
        m_cameras.append(camera);
        m_service->webCamArrived(camera);
        return camera;
    }

    static void remember(uint vendor, uint product, const QString &location)
    {
        SettingIntf *settings = SettingImpl::getInstance();
        settings->setValue(QStringLiteral("webCam/LastWebCamVID"), int(vendor));
        settings->setValue(QStringLiteral("webCam/LastWebCamPID"), int(product));
        settings->setValue(QStringLiteral("webCam/LastWebCamLocationID"), location);
        settings->release();
    }

private Q_SLOTS:
    void initTestCase() { WebCamImpl::setRetryInterval(kRetryMs); }

    void init()
    {
        remember(0, 0, QString());
        m_service = WebCamImpl::getInstance(nullptr);
    }

    void cleanup()
    {
        m_service->release();
        m_service = nullptr;
        for (VirtualDocCam *camera : std::as_const(m_cameras))
            camera->release();
        m_cameras.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void namesOfSameNamedCamerasAreNumbered_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("detach");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("afterDetach");
        QTest::newRow("distinct") << QStringList{"A", "B"} << 0 << QStringList{"A", "B"} << QStringList{"B"};
        QTest::newRow("pair") << QStringList{"Cam", "Cam"} << 0 << QStringList{"Cam #1", "Cam #2"}
                              << QStringList{"Cam"};
        QTest::newRow("pair among others")
            << QStringList{"Cam", "X", "Cam", "Cam"} << 1 << QStringList{"Cam #1", "X", "Cam #2", "Cam #3"}
            << QStringList{"Cam #1", "Cam #2", "Cam #3"};
    }
    void namesOfSameNamedCamerasAreNumbered()
    {
        QFETCH(QStringList, names);
        QFETCH(int, detach);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, afterDetach);
        QSignalSpy changes(m_service, &WebCamIntf::webCamListChanged);
        for (const QString &name : names)
            attach({name, 1, 1, name});
        QCOMPARE(m_service->getWebCamList(), listed);
        QCOMPARE(changes.last().at(0).value<QList<QString>>(), listed);
        m_service->webCamRemoved(m_cameras[detach]);
        QCOMPARE(m_service->getWebCamList(), afterDetach);
        QCOMPARE(changes.last().at(0).value<QList<QString>>(), afterDetach);
        QCOMPARE(m_service->webCamCount(), afterDetach.size());
    }

    void lastWebCamIsFoundByIdsThenPort_data()
    {
        QTest::addColumn<uint>("vendor");
        QTest::addColumn<uint>("product");
        QTest::addColumn<QString>("location");
        QTest::addColumn<int>("expected");
        // Cameras: 0 other ids, 1 and 2 the same ids on ports "p1" and "p2".
        QTest::newRow("port matches") << 0x46du << 0x825u << "p2" << 2;
        QTest::newRow("ids only") << 0x46du << 0x825u << "elsewhere" << 1;
        QTest::newRow("nothing matches") << 0x1234u << 0x5678u << "p1" << 0;
        QTest::newRow("nothing stored") << 0u << 0u << "" << 0;
    }
    void lastWebCamIsFoundByIdsThenPort()
    {
        QFETCH(uint, vendor);
        QFETCH(uint, product);
        QFETCH(QString, location);
        QFETCH(int, expected);
        attach({"Other", 0x111, 0x222, "p0"});
        attach({"Cam", 0x46d, 0x825, "p1"});
        attach({"Cam", 0x46d, 0x825, "p2"});
        remember(vendor, product, location);
        m_service->showWebCam();
        QCOMPARE(m_service->currentWebCamIndex(), expected);
        m_service->auxWebCamWidget(nullptr);
        QCOMPARE(m_service->currentAuxWebCamIndex(), expected);
    }

    void theSettingsChooseWhichCamerasAreWebCams_data()
    {
        QTest::addColumn<QStringList>("listedIds");
        QTest::addColumn<QStringList>("webCams");
        QTest::newRow("no ids listed: all but the first external camera") << QStringList() << QStringList{"Listed"};
        QTest::newRow("ids listed: all but the listed camera") << QStringList{"1234:5678"} << QStringList{"First"};
    }
    void theSettingsChooseWhichCamerasAreWebCams()
    {
        QFETCH(QStringList, listedIds);
        QFETCH(QStringList, webCams);
        // The service of init() made the camera manager already; this one must make it with the list.
        m_service->release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SettingIntf *settings = SettingImpl::getInstance();
        settings->setValue(QStringLiteral("camera/docCamIds"), listedIds);
        m_service = WebCamImpl::getInstance(nullptr);
        for (const CamId &id : {CamId{"First", 0x1234, 0x2222, "p1"}, CamId{"Listed", 0x1234, 0x5678, "p2"}}) {
            m_cameras.append(makeCamera(id));
            DocCamManager::getDocCamManager({})->deviceAttached(m_cameras.last(), CameraDeviceSink::Origin::Device);
        }
        QTRY_COMPARE(m_service->getWebCamList(), webCams);
        settings->setValue(QStringLiteral("camera/docCamIds"), QVariant());
        settings->release();
    }

    // A virtual camera in the web-cam role is a web cam beside the virtual document camera, even when the
    // settings list its ids as a document camera's, and it streams into the web-cam view.
    void aVirtualWebCamIsAWebCam_data()
    {
        QTest::addColumn<QStringList>("listedIds");
        QTest::newRow("no ids listed") << QStringList();
        QTest::newRow("its ids listed") << QStringList{"1d6b:0103"};
    }
    void aVirtualWebCamIsAWebCam()
    {
        QFETCH(QStringList, listedIds);
        m_service->release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SettingIntf *settings = SettingImpl::getInstance();
        settings->setValue(QStringLiteral("camera/docCamIds"), listedIds);
        m_service = WebCamImpl::getInstance(nullptr);
        VirtualCameraHub *hub = VirtualCameraHub::instance();
        VirtualDocCam *docCam = hub->addCamera();
        VirtualDocCam *webCam = hub->addCamera(VirtualCameraProfile::webCam());
        QCOMPARE(webCam->role(), VirtualCameraProfile::Role::WebCam);
        QTRY_COMPARE(m_service->getWebCamList(), QStringList{QStringLiteral("Quillo Virtual Web Cam")});
        m_service->showWebCam();
        QTRY_VERIFY(hasPicture(m_service->webCamWidget()));
        QVERIFY(webCam->streamingStream());
        QVERIFY(!docCam->streamingStream());
        m_service->hideWebCam();
        hub->removeCamera(webCam);
        hub->removeCamera(docCam);
        QTRY_VERIFY(m_service->getWebCamList().isEmpty());
        settings->setValue(QStringLiteral("camera/docCamIds"), QVariant());
        settings->release();
    }

    void openingRemembersTheCameraInTheSettings()
    {
        attach({"A", 0x11, 0x22, "p1"});
        attach({"B", 0x33, 0x44, "p2"});
        QCOMPARE(m_service->openWebCam(1), 0);
        SettingIntf *settings = SettingImpl::getInstance();
        QCOMPARE(settings->value("webCam/LastWebCamVID").toUInt(), 0x33u);
        QCOMPARE(settings->value("webCam/LastWebCamPID").toUInt(), 0x44u);
        QCOMPARE(settings->value("webCam/LastWebCamLocationID").toString(), QStringLiteral("p2"));
        settings->release();
        // Hidden main view: the camera is chosen but not opened.
        QCOMPARE(m_service->currentWebCamIndex(), 1);
        QVERIFY(!m_cameras[1]->streamingStream());
        QCOMPARE(m_service->openWebCam(2), -1001);
        QCOMPARE(m_service->openWebCam(-1), -1001);
        QCOMPARE(m_service->openAuxWebCam(0), -1);
    }

    void onlyTheFirstArrivalOpensInAShownView()
    {
        m_service->showWebCam();
        QCOMPARE(m_service->currentWebCamIndex(), -1);
        QCOMPARE(statusText(m_service->webCamWidget()), QStringLiteral("Camera not connected"));
        VirtualDocCam *first = attach({"A", 1, 1, "p1"});
        QCOMPARE(m_service->currentWebCamIndex(), 0);
        QVERIFY(first->streamingStream());
        QTRY_VERIFY(hasPicture(m_service->webCamWidget()));
        VirtualDocCam *second = attach({"B", 2, 2, "p2"});
        QCOMPARE(m_service->currentWebCamIndex(), 0);
        QVERIFY(!second->streamingStream());
    }

    void theAuxiliaryViewSharesTheMainViewsStream()
    {
        VirtualDocCam *a = attach({"A", 1, 1, "p1"});
        VirtualDocCam *b = attach({"B", 2, 2, "p2"});
        m_service->showWebCam();
        QWidget *aux = m_service->auxWebCamWidget(nullptr);
        QCOMPARE(m_service->currentAuxWebCamIndex(), 0);
        // One device, one stream: the auxiliary view is fed by the main view.
        QVERIFY(a->streamingStream());
        QTRY_VERIFY(hasPicture(aux));

        // The auxiliary view on another camera has its own stream...
        QCOMPARE(m_service->openAuxWebCam(1), 0);
        QVERIFY(b->streamingStream());
        // ...until the main view takes that camera: then the main view streams it and feeds the preview.
        QCOMPARE(m_service->openWebCam(1), 0);
        QCOMPARE(m_service->currentWebCamIndex(), 1);
        QCOMPARE(m_service->currentAuxWebCamIndex(), 1);
        QVERIFY(!a->streamingStream());
        QVERIFY(b->streamingStream());
        static_cast<CameraWidget *>(aux)->oneFrameFetched(nullptr, CameraImage());
        QTRY_VERIFY(hasPicture(aux));
    }

    void thePreviewKeepsRunningWhenTheMainViewLetsGo_data()
    {
        QTest::addColumn<bool>("hide");
        QTest::newRow("main view hidden") << true;
        QTest::newRow("main view switched to another camera") << false;
    }
    void thePreviewKeepsRunningWhenTheMainViewLetsGo()
    {
        QFETCH(bool, hide);
        VirtualDocCam *a = attach({"A", 1, 1, "p1"});
        attach({"B", 2, 2, "p2"});
        m_service->showWebCam();
        QWidget *aux = m_service->auxWebCamWidget(nullptr);
        QTRY_VERIFY(hasPicture(aux));
        if (hide) {
            m_service->hideWebCam();
            QVERIFY(!hasPicture(m_service->webCamWidget()));
        } else {
            m_service->openWebCam(1);
        }
        QCOMPARE(m_service->currentAuxWebCamIndex(), 0);
        QVERIFY(a->streamingStream());
        static_cast<CameraWidget *>(aux)->oneFrameFetched(nullptr, CameraImage());
        QTRY_VERIFY(hasPicture(aux));
        // The picture it shows is camera A's own, not the main view's.
        QCOMPARE(static_cast<CameraWidget *>(aux)->frame().getQImage().size(), QSize(320, 240));
    }

    void aBusyCameraIsRetried()
    {
        VirtualDocCam *camera = makeCamera({"A", 1, 1, "p1"});
        m_cameras.append(camera);
        camera->setStartResult(CameraCodes::DeviceBusy);
        m_service->webCamArrived(camera);
        m_service->showWebCam();
        QCOMPARE(statusText(m_service->webCamWidget()), QStringLiteral("Camera in use"));
        QVERIFY(!camera->streamingStream());
        // Still busy through several retries of the service's own timer.
        QTest::qWait(kRetryMs * 4);
        QVERIFY(!camera->streamingStream());
        QCOMPARE(m_service->currentWebCamIndex(), 0);
        QCOMPARE(statusText(m_service->webCamWidget()), QStringLiteral("Camera in use"));
        // Given back by the other program: the next retry takes it.
        camera->setStartResult(0);
        QTRY_VERIFY(camera->streamingStream());
        QTRY_VERIFY(hasPicture(m_service->webCamWidget()));
    }

    void aDetachedCameraIsReplacedOrReported()
    {
        VirtualDocCam *a = attach({"A", 1, 1, "p1"});
        VirtualDocCam *b = attach({"B", 2, 2, "p2"});
        m_service->showWebCam();
        QWidget *aux = m_service->auxWebCamWidget(nullptr);
        QSignalSpy mainLost(m_service, &WebCamIntf::currentWebCamDisconnected);
        QSignalSpy auxLost(m_service, &WebCamIntf::currentAuxWebCamDisconnected);
        QSignalSpy changes(m_service, &WebCamIntf::webCamListChanged);

        m_service->webCamRemoved(a);
        QCOMPARE(mainLost.count(), 1);
        QCOMPARE(auxLost.count(), 1);
        QCOMPARE(m_service->currentWebCamIndex(), 0);
        QCOMPARE(m_service->currentAuxWebCamIndex(), 0);
        QVERIFY(b->streamingStream());

        m_service->webCamRemoved(b);
        QCOMPARE(mainLost.count(), 2);
        QCOMPARE(auxLost.count(), 2);
        QCOMPARE(changes.last().at(0).value<QList<QString>>(), QList<QString>());
        QCOMPARE(m_service->currentWebCamIndex(), -1);
        QCOMPARE(statusText(m_service->webCamWidget()), QStringLiteral("Camera not connected"));
        QCOMPARE(statusText(aux), QStringLiteral("Camera not connected"));
    }

    void aCameraNeverListedIsNotReleased()
    {
        attach({"A", 1, 1, "p1"});
        VirtualDocCam *stranger = makeCamera({"A", 1, 1, "p9"});
        QPointer<VirtualDocCam> guard(stranger);
        QSignalSpy changes(m_service, &WebCamIntf::webCamListChanged);
        m_service->webCamRemoved(stranger);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard);
        QCOMPARE(changes.count(), 0);
        // Its name was not counted off either: a second "A" still numbers both.
        attach({"A", 1, 1, "p2"});
        QCOMPARE(m_service->getWebCamList(), (QList<QString>{"A #1", "A #2"}));
        stranger->release();
    }

    void viewSizeFollowsTheCamerasFormat()
    {
        QCOMPARE(m_service->webCamWidgetSizeFor(QSize(800, 800)), QSize(800, 800));
        attach({"A", 1, 1, "p1"});
        m_service->openWebCam(0);
        QCOMPARE(m_service->webCamWidgetSizeFor(QSize(800, 800)), QSize(800, 600));
        m_service->auxWebCamWidget(nullptr);
        QCOMPARE(m_service->auxWebCamWidgetSizeFor(QSize(400, 100)), QSize(133, 100));
    }

    void viewsDeletedByTheirParentTakeTheirStreamsAlong_data()
    {
        QTest::addColumn<int>("auxCamera");
        QTest::newRow("preview fed by the main view") << 0;
        QTest::newRow("preview with its own stream") << 1;
    }
    void viewsDeletedByTheirParentTakeTheirStreamsAlong()
    {
        QFETCH(int, auxCamera);
        VirtualDocCam *a = attach({"A", 1, 1, "p1"});
        VirtualDocCam *b = attach({"B", 2, 2, "p2"});
        m_service->showWebCam();
        auto *dialog = new QWidget;
        m_service->auxWebCamWidget(dialog);
        QCOMPARE(m_service->openAuxWebCam(auxCamera), 0);
        delete dialog;
        QCOMPARE(m_service->currentAuxWebCamIndex(), -1);
        QVERIFY(!b->streamingStream());
        // The main view goes on painting frames without handing them to the deleted preview.
        QWidget *mainView = m_service->webCamWidget();
        QVERIFY(a->streamingStream());
        static_cast<CameraWidget *>(mainView)->oneFrameFetched(nullptr, CameraImage());
        QTRY_VERIFY(hasPicture(mainView));

        // The same for the main view when the first caller's parent goes first.
        m_service->release();
        auto *window = new QWidget;
        m_service = WebCamImpl::getInstance(window);
        m_service->webCamArrived(a);
        m_service->showWebCam();
        QVERIFY(a->streamingStream());
        delete window;
        QVERIFY(!a->streamingStream());
        QVERIFY(!m_service->webCamWidget());
        m_service->showWebCam();
        m_service->hideWebCam();
        m_service->resizeWebCamWidget(QSize(10, 10));
        QCOMPARE(m_service->openWebCam(0), -1);
        m_service->webCamRemoved(a);
        QVERIFY(!a->streamingStream());
    }

    // The window deletes the main view while it feeds the preview with the same camera: the preview goes on
    // with a stream of its own instead of freezing.
    void thePreviewKeepsRunningWhenTheMainViewIsDeleted()
    {
        m_service->release();
        auto *window = new QWidget;
        m_service = WebCamImpl::getInstance(window);
        VirtualDocCam *a = attach({"A", 1, 1, "p1"});
        m_service->showWebCam();
        auto *aux = static_cast<CameraWidget *>(m_service->auxWebCamWidget(nullptr));
        QCOMPARE(m_service->currentAuxWebCamIndex(), 0);
        QTRY_VERIFY(hasPicture(aux));

        delete window;
        QVERIFY(!m_service->webCamWidget());
        QCOMPARE(m_service->currentAuxWebCamIndex(), 0);
        QVERIFY(a->streamingStream());
        aux->oneFrameFetched(nullptr, CameraImage());
        QTRY_VERIFY(hasPicture(aux));
        // It keeps getting frames, not a single one.
        const qint64 first = aux->frame().getQImage().cacheKey();
        QTRY_VERIFY(aux->frame().getQImage().cacheKey() != first);
        m_service->closeAuxWebCam();
    }

    void theSettingsDialogSequence()
    {
        attach({"A", 1, 1, "p1"});
        VirtualDocCam *b = attach({"B", 2, 2, "p2"});
        m_service->showWebCam();
        QPointer<QWidget> aux = m_service->auxWebCamWidget(nullptr);
        QCOMPARE(m_service->openAuxWebCam(1), 0);
        // Saving: the main view takes the chosen camera, then the preview goes.
        QCOMPARE(m_service->openWebCam(m_service->currentAuxWebCamIndex()), 0);
        m_service->closeAuxWebCam();
        QCOMPARE(m_service->currentWebCamIndex(), 1);
        QVERIFY(b->streamingStream());
        QCOMPARE(m_service->currentAuxWebCamIndex(), -1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!aux);
        QCOMPARE(m_service->openAuxWebCam(0), -1);
    }
};

QUILLO_TEST_MAIN(TestWebCamImpl)
#include "tst_WebCamImpl.moc"
