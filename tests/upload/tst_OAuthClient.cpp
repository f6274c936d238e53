#include "TestEnvironment.h"
#include <QApplication>
class tst_OAuthClient : public QObject
{
    Q_OBJECT
};
QUILLO_TEST_MAIN(tst_OAuthClient)
#include "tst_OAuthClient.moc"
