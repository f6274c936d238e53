#include "TestEnvironment.h"
#include <QApplication>
class tst_UploadImpl : public QObject
{
    Q_OBJECT
};
QUILLO_TEST_MAIN(tst_UploadImpl)
#include "tst_UploadImpl.moc"
