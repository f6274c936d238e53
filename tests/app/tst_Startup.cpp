#include "TestEnvironment.h"
class TestStartup : public QObject { Q_OBJECT };
QUILLO_TEST_MAIN(TestStartup)
#include "tst_Startup.moc"
