#include "TestEnvironment.h"
class TestInstanceGuard : public QObject { Q_OBJECT };
QUILLO_TEST_MAIN(TestInstanceGuard)
#include "tst_InstanceGuard.moc"
