#include "TestEnvironment.h"
class TestStartupHelpers : public QObject { Q_OBJECT };
QUILLO_TEST_MAIN(TestStartupHelpers)
#include "tst_StartupHelpers.moc"
