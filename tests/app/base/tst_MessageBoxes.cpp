#include "TestEnvironment.h"
class TestMessageBoxes : public QObject { Q_OBJECT };
QUILLO_TEST_MAIN(TestMessageBoxes)
#include "tst_MessageBoxes.moc"
