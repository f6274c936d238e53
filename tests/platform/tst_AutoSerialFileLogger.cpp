#include "TestEnvironment.h"
class TestAutoSerialFileLogger : public QObject { Q_OBJECT };
QUILLO_TEST_MAIN(TestAutoSerialFileLogger)
#include "tst_AutoSerialFileLogger.moc"
