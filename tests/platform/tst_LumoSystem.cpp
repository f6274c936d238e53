#include "TestEnvironment.h"
class TestLumoSystem : public QObject { Q_OBJECT };
QUILLO_TEST_MAIN(TestLumoSystem)
#include "tst_LumoSystem.moc"
