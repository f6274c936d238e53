#include "TestEnvironment.h"
#include <QApplication>
class tst_NetworkJob : public QObject
{
    Q_OBJECT
};
QUILLO_TEST_MAIN(tst_NetworkJob)
#include "tst_NetworkJob.moc"
