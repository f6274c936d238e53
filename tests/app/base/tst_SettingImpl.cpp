#include "TestEnvironment.h"
class TestSettingImpl : public QObject { Q_OBJECT };
QUILLO_TEST_MAIN(TestSettingImpl)
#include "tst_SettingImpl.moc"
