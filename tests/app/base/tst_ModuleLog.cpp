#include "TestEnvironment.h"
class TestModuleLog : public QObject { Q_OBJECT };
QUILLO_TEST_MAIN(TestModuleLog)
#include "tst_ModuleLog.moc"
