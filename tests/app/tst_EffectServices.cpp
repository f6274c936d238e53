#include "SpotlightImpl.h"
#include "TestEnvironment.h"
#include "VisorImpl.h"

#include <QPointer>
#include <QSignalSpy>
#include <QToolButton>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// What differs between the two services for these tests.
template<class Impl>
struct Traits;

template<>
struct Traits<VisorImpl>
{
    using Widget = VisorWidget;
    static constexpr auto closed = &VisorIntf::visorClosed;
};

template<>
struct Traits<SpotlightImpl>
{
    using Widget = SpotlightWidget;
    static constexpr auto closed = &SpotlightIntf::spotlightClosed;
};

template<class Impl>
void countsItsUsers()
{
    QWidget parent;
    QWidget otherParent;
    auto *service = Impl::getInstance(&parent);
    QPointer<QWidget> widget = service->widget();
    QVERIFY(qobject_cast<typename Traits<Impl>::Widget *>(widget));
    QCOMPARE(widget->parentWidget(), &parent);

    // Later users share the service; their parent is not used.
    QCOMPARE(Impl::getInstance(&otherParent), service);
    QCOMPARE(service->widget(), widget.data());
    QCOMPARE(widget->parentWidget(), &parent);

    service->release();
    QVERIFY(widget);
    service->release();
    QVERIFY(!widget);

    // The last release ended that service: the next user gets a new one.
    auto *next = Impl::getInstance(&otherParent);
    QCOMPARE(next->widget()->parentWidget(), &otherParent);
    next->release();
}

template<class Impl>
void showsHidesAndResizesItsWidget()
{
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    auto *service = Impl::getInstance(&parent);
    QWidget *widget = service->widget();
    QSignalSpy closed(service, Traits<Impl>::closed);

    service->resize(QSize(320, 240));
    service->show();
    QCOMPARE(widget->size(), QSize(320, 240));
    QVERIFY(widget->isVisible());
    service->hide();
    QVERIFY(!widget->isVisible());
    QCOMPARE(closed.count(), 0);

    // The close button hides the widget and tells the service's users, once.
    service->show();
    widget->repaint();
    QTest::mouseClick(widget->findChild<QToolButton *>(QStringLiteral("closeButton")), Qt::LeftButton);
    QVERIFY(!widget->isVisible());
    QCOMPARE(closed.count(), 1);
    service->release();
}

template<class Impl>
void outlivesItsWidget()
{
    auto parent = std::make_unique<QWidget>();
    auto *service = Impl::getInstance(parent.get());
    parent.reset();
    QCOMPARE(service->widget(), nullptr);
    service->resize(QSize(100, 100));
    service->show();
    service->hide();
    service->release();
}

template<class Impl>
void countsUsersOnEveryThread()
{
    QWidget parent;
    auto *service = Impl::getInstance(&parent);
    QPointer<QWidget> widget = service->widget();
    constexpr int threads = 8;
    constexpr int rounds = 2000;
    std::vector<std::thread> workers;
    std::atomic<int> strangers = 0;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < rounds; ++i) {
                auto *user = Impl::getInstance(nullptr);
                if (user != service)
                    ++strangers;
                user->release();
            }
        });
    for (std::thread &worker : workers)
        worker.join();
    QCOMPARE(strangers.load(), 0);
    QVERIFY(widget);
    service->release();
    QVERIFY(!widget);
}

} // namespace

class TestEffectServices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void visorCountsItsUsers() { countsItsUsers<VisorImpl>(); }
    void spotlightCountsItsUsers() { countsItsUsers<SpotlightImpl>(); }
    void visorShowsHidesAndResizesItsWidget() { showsHidesAndResizesItsWidget<VisorImpl>(); }
    void spotlightShowsHidesAndResizesItsWidget() { showsHidesAndResizesItsWidget<SpotlightImpl>(); }
    void visorOutlivesItsWidget() { outlivesItsWidget<VisorImpl>(); }
    void spotlightOutlivesItsWidget() { outlivesItsWidget<SpotlightImpl>(); }
    void visorCountsUsersOnEveryThread() { countsUsersOnEveryThread<VisorImpl>(); }
    void spotlightCountsUsersOnEveryThread() { countsUsersOnEveryThread<SpotlightImpl>(); }

    void theTwoServicesAreApart()
    {
        QWidget parent;
        VisorIntf *visor = VisorImpl::getInstance(&parent);
        SpotlightIntf *spotlight = SpotlightImpl::getInstance(&parent);
        QVERIFY(visor->widget() != spotlight->widget());
        visor->release();
        QVERIFY(spotlight->widget());
        spotlight->release();
    }
};

QUILLO_TEST_MAIN(TestEffectServices)
#include "tst_EffectServices.moc"
