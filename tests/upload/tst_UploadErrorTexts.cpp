#include "TestEnvironment.h"
#include "UploadErrorCode.h"
#include "UploadErrorTexts.h"
#include "UploadServiceBit.h"

#include <QApplication>

class tst_UploadErrorTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void accessErrorBox_data();
    void accessErrorBox();
    void accountDialog_data();
    void accountDialog();
    void validationRow_data();
    void validationRow();
    void managerRow_data();
    void managerRow();
};

namespace {

const QString kNoBox = QStringLiteral("<no box>");

QString red(const QString &text)
{
    return QStringLiteral("<font color='red'>%1</font>").arg(text);
}

} // namespace

void tst_UploadErrorTexts::accessErrorBox_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("credentials: the account dialog instead") << int(SN_ERR_CREDENTIALS_REFUSED) << kNoBox;
    QTest::newRow("second credentials form alike") << int(SN_ERR_CREDENTIALS_REFUSED_2) << kNoBox;
    QTest::newRow("success shows nothing") << 1 << kNoBox;
    QTest::newRow("zero shows nothing") << 0 << kNoBox;
    QTest::newRow("unreachable") << int(SN_ERR_UNREACHABLE) << "Social network is unreachable.";
    QTest::newRow("cannot connect") << int(SN_ERR_CANNOT_CONNECT) << "Cannot connect to social network.";
    QTest::newRow("disconnected") << int(SN_ERR_DISCONNECTED) << "Social network disconnected.";
    QTest::newRow("timed out") << int(SN_ERR_TIMED_OUT) << "Social network access timed out.";
    QTest::newRow("protocol") << int(SN_ERR_PROTOCOL) << "Social network protocol error. Please contact us.";
    QTest::newRow("authorization") << int(SN_ERR_AUTHORIZATION) << "Authorization failed.";
    QTest::newRow("too often") << int(SN_ERR_TOO_OFTEN) << "You are trying too often. Please try again later.";
    QTest::newRow("privilege") << int(SN_ERR_PRIVILEGE) << "The linked account privilege is not enough!";
    QTest::newRow("not set up in this build")
        << int(SN_ERR_NOT_CONFIGURED) << "This service is not set up in this build of Quillo.";
    QTest::newRow("'@' code has no row") << int(SN_ERR_AT_IN_USER_NAME) << "Social network unknown error!";
    QTest::newRow("cancel has no row") << int(SN_ERR_CANCELLED) << "Social network unknown error!";
    QTest::newRow("file code has no row") << int(SN_ERR_FILE_NOT_FOUND) << "Social network unknown error!";
    QTest::newRow("unknown") << -5 << "Social network unknown error!";
}

void tst_UploadErrorTexts::accessErrorBox()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(UploadErrorTexts::accessErrorBox(code).value_or(kNoBox), text);
}

void tst_UploadErrorTexts::accountDialog_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<uint>("service");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("text");
    const QString refused = QStringLiteral("The user name or password is incorrect.");
    const QString at = QStringLiteral("Youtube access cannot user account with '@'!");
    QTest::newRow("video sharing, '@'") << int(SN_ERR_CREDENTIALS_REFUSED) << uint(SERVICE_YOUTUBE) << "a@b.org" << at;
    QTest::newRow("second form, '@'") << int(SN_ERR_CREDENTIALS_REFUSED_2) << uint(SERVICE_YOUTUBE) << "a@b" << at;
    QTest::newRow("video sharing, plain")
        << int(SN_ERR_CREDENTIALS_REFUSED) << uint(SERVICE_YOUTUBE) << "ab" << refused;
    QTest::newRow("photo service, '@'") << int(SN_ERR_CREDENTIALS_REFUSED) << uint(SERVICE_PICASA) << "a@b" << refused;
    QTest::newRow("authorization") << int(SN_ERR_AUTHORIZATION) << uint(SERVICE_DROPBOX) << "x"
                                   << "Authorization failed.";
    QTest::newRow("'@' code has no row") << int(SN_ERR_AT_IN_USER_NAME) << uint(SERVICE_YOUTUBE) << "a@b"
                                         << "Unknown error with Social network.";
    QTest::newRow("cancel has no row") << int(SN_ERR_CANCELLED) << uint(SERVICE_PICASA) << "x"
                                       << "Unknown error with Social network.";
    QTest::newRow("too often") << int(SN_ERR_TOO_OFTEN) << uint(SERVICE_PICASA) << "x"
                               << "You are trying too often. Please try again later.";
    QTest::newRow("not set up in this build") << int(SN_ERR_NOT_CONFIGURED) << uint(SERVICE_DROPBOX) << "x"
                                              << "This service is not set up in this build of Quillo.";
}

void tst_UploadErrorTexts::accountDialog()
{
    QFETCH(int, code);
    QFETCH(uint, service);
    QFETCH(QString, userName);
    QFETCH(QString, text);
    QCOMPARE(UploadErrorTexts::accountDialog(code, service, userName), text);
}

void tst_UploadErrorTexts::validationRow_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("credentials") << int(SN_ERR_CREDENTIALS_REFUSED) << red("The user name or password is incorrect.");
    QTest::newRow("second form") << int(SN_ERR_CREDENTIALS_REFUSED_2) << red("The user name or password is incorrect.");
    QTest::newRow("'@'") << int(SN_ERR_AT_IN_USER_NAME) << red("Youtube access cannot user account with '@'!");
    QTest::newRow("timed out") << int(SN_ERR_TIMED_OUT) << red("Social network access timed out.");
    QTest::newRow("authorization") << int(SN_ERR_AUTHORIZATION) << red("Authorization failed.");
    QTest::newRow("privilege") << int(SN_ERR_PRIVILEGE) << red("The linked account privilege is not enough!");
    QTest::newRow("not set up in this build")
        << int(SN_ERR_NOT_CONFIGURED) << red("This service is not set up in this build of Quillo.");
    QTest::newRow("cancel") << int(SN_ERR_CANCELLED) << red("Unknown error with Social network.");
    QTest::newRow("unknown") << -2 << red("Unknown error with Social network.");
}

void tst_UploadErrorTexts::validationRow()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(UploadErrorTexts::validationRow(code), text);
}

void tst_UploadErrorTexts::managerRow_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    const QString unchanged = QStringLiteral("<unchanged>");
    QTest::newRow("success leaves the row") << 1 << unchanged;
    QTest::newRow("cancel empties it") << int(SN_ERR_CANCELLED) << "";
    QTest::newRow("missing file") << int(SN_ERR_FILE_NOT_FOUND) << "File does not exist.";
    QTest::newRow("too large") << int(SN_ERR_FILE_TOO_LARGE) << "File size is too large.";
    QTest::newRow("too long") << int(SN_ERR_FILE_TOO_LONG) << "File length is too long.";
    QTest::newRow("too often, red") << int(SN_ERR_TOO_OFTEN)
                                    << red("You are trying too often. Please try again later.");
    QTest::newRow("privilege, plain") << int(SN_ERR_PRIVILEGE) << "The linked account privilege is not enough!";
    QTest::newRow("authorization has no row") << int(SN_ERR_AUTHORIZATION) << "Upload failed!";
    QTest::newRow("connection has no row") << int(SN_ERR_DISCONNECTED) << "Upload failed!";
}

void tst_UploadErrorTexts::managerRow()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    const std::optional<QString> row = UploadErrorTexts::managerRow(code);
    QCOMPARE(row.value_or(QStringLiteral("<unchanged>")), text);
    if (row)
        QVERIFY(!row->isNull());
}

QUILLO_TEST_MAIN(tst_UploadErrorTexts)
#include "tst_UploadErrorTexts.moc"
