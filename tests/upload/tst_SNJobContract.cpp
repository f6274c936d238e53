#include "TestEnvironment.h"
#include <QApplication>
class tst_SNJobContract : public QObject
{
    Q_OBJECT
};
QUILLO_TEST_MAIN(tst_SNJobContract)
#include "tst_SNJobContract.moc"
