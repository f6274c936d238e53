#include "TestEnvironment.h"
class TestLogSystem : public QObject { Q_OBJECT };
QUILLO_TEST_MAIN(TestLogSystem)
#include "tst_LogSystem.moc"
