#include "AccountFileKey.h"
#include "FakeSNService.h"
#include "OAuthGrant.h"
#include "RC4SimpleSNAccountFileStore.h"
#include "Rc4.h"
#include "SNAccountFileFormat.h"
#include "SNService.h"
#include "SampleProvider.h"
#include "SampleRig.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

class tst_SNAccountFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rc4Vectors_data();
    void rc4Vectors();
    void emptyAndLongKeys();
    void formatSurvivesEveryCut();
    void storeRoundTripWithMode0600();
    void wrongKeyKeepsTheFileAsideAndNeverOverwritesIt();
    void fallbackKeyOpensTheFileAndWritesItUnderTheKey();
    void truncatedFileKeepsWhatIsWholeAndTheOriginal();
    void keyBuilder_data();
    void keyBuilder();
    void keyStaysWhenTheRandomisedAddressChanges();
    void keyFollowsTheAccountNotTheEnvironment();
    void fallbackKeysIncludeThePlainRule();
    void replacingUnderTheSameLabelKeepsGrantAndExtra();
    void anotherLabelTakesItsPendingGrant();
    void usableAccounts();
};

namespace {

const QString kService = QStringLiteral("dropboxOAuth");

QList<SNAccountEntry> sampleEntries()
{
    return {
        {QStringLiteral("youtube"),
         QStringLiteral("x1"),
         QStringLiteral("channel"),
         QStringLiteral("password"),
         SNAccountEntry::KIND_ACCOUNT,
         {{QStringLiteral("grant.refresh_token"), QStringLiteral("1//refresh+secret")},
          {QStringLiteral("account.display"), QStringLiteral("Ms Jäger")}}},
        {kService,
         QString(),
         QStringLiteral("teacher@school.org"),
         QStringLiteral("password"),
         SNAccountEntry::KIND_ACCOUNT,
         {{QStringLiteral("grant.access_token"), QStringLiteral("sl.AAA")}}},
        {kService,
         QString(),
         QStringLiteral("other"),
         QString(),
         SNAccountEntry::KIND_PENDING_GRANT,
         {{QStringLiteral("grant.access_token"), QStringLiteral("sl.BBB")}}},
    };
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Writes entries under key through a store, as a previous run would have.
void writeStore(const QString &path, const QByteArray &key)
{
    RC4SimpleSNAccountFileStore store(path, key);
    store.load();
    for (const SNAccountEntry &entry : sampleEntries()) {
        if (entry.kind == SNAccountEntry::KIND_ACCOUNT)
            store.addAccount(entry.service, {entry.extra, entry.userName, entry.password});
        store.setParams(entry.service, entry.userName, entry.params);
    }
}

AccountFileKey::Interface interface(const QString &name, const QString &address, int assignType,
                                    const QString &permanent = QString(), bool loopback = false)
{
    return {name, address, loopback, assignType, permanent};
}

class GoneProvider : public SampleProvider
{
public:
    bool isDiscontinued() const override { return true; }
};

} // namespace

void tst_SNAccountFile::rc4Vectors_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("cipher");
    QTest::newRow("Key") << QByteArray("Key") << QByteArray("Plaintext") << QByteArray::fromHex("BBF316E8D940AF0AD3");
    QTest::newRow("Wiki") << QByteArray("Wiki") << QByteArray("pedia") << QByteArray::fromHex("1021BF0420");
    QTest::newRow("Secret") << QByteArray("Secret") << QByteArray("Attack at dawn")
                            << QByteArray::fromHex("45A01F645FC35B383552544B9BF5");
}

void tst_SNAccountFile::rc4Vectors()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, cipher);
    QCOMPARE(Rc4::transform(key, plain), cipher);
    QCOMPARE(Rc4::transform(key, cipher), plain);
}

void tst_SNAccountFile::emptyAndLongKeys()
{
    const QByteArray data("accounts");
    const QByteArray cipher = Rc4::transform({}, data);
    QCOMPARE(cipher, Rc4::transform({}, data));
    QVERIFY(cipher != data);
    QCOMPARE(Rc4::transform({}, cipher), data);
    const QByteArray longKey(300, 'k');
    QCOMPARE(Rc4::transform(longKey, data), Rc4::transform(longKey.left(256), data));

    // A machine without user name or address gets an empty key: the file still works.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SNAccountFile.dat"));
    writeStore(path, QByteArray());
    RC4SimpleSNAccountFileStore store(path, QByteArray());
    QVERIFY(store.load());
    QCOMPARE(store.entries(), sampleEntries());
}

void tst_SNAccountFile::formatSurvivesEveryCut()
{
    const QList<SNAccountEntry> entries = sampleEntries();
    const QByteArray bytes = SNAccountFileFormat::encode(entries);
    const SNAccountFileFormat::Decoded whole = SNAccountFileFormat::decode(bytes);
    QVERIFY(whole.recognised && whole.complete);
    QCOMPARE(whole.entries, entries);
    for (qsizetype cut = 0; cut < bytes.size(); ++cut) {
        const SNAccountFileFormat::Decoded part = SNAccountFileFormat::decode(bytes.left(cut));
        QVERIFY2(!part.complete, qPrintable(QString::number(cut)));
        QCOMPARE(part.recognised, cut >= 10);
        QCOMPARE(part.entries, entries.mid(0, part.entries.size()));
    }
    QByteArray wrongVersion = bytes;
    wrongVersion[5] = 9;
    QVERIFY(!SNAccountFileFormat::decode(wrongVersion).recognised);
    QVERIFY(!SNAccountFileFormat::decode(bytes + "x").complete);
}

void tst_SNAccountFile::storeRoundTripWithMode0600()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data/Quillo"));
    const QString path = folder + QStringLiteral("/SNAccountFile.dat");
    writeStore(path, "rootAA:BB");
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                      | QFile::WriteOther | QFile::ExeOther;
    const QFile::Permissions mode = QFileInfo(path).permissions();
    QCOMPARE(mode & (others | QFile::ExeOwner), QFile::Permissions());
    QVERIFY(mode.testFlags(QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(QFileInfo(folder).permissions() & others, QFile::Permissions());
    const QByteArray bytes = readAll(path);
    QVERIFY(!bytes.startsWith("SNAF"));
    QVERIFY(!bytes.contains("refresh") && !bytes.contains(QString(QStringLiteral("sl.AAA")).toUtf8()));

    RC4SimpleSNAccountFileStore again(path, "rootAA:BB");
    QVERIFY(again.load());
    QCOMPARE(again.entries(), sampleEntries());
    QCOMPARE(again.storedAccount(kService).userName, QStringLiteral("teacher@school.org"));
    QCOMPARE(again.storedAccount(kService).password, QStringLiteral("password"));
}

void tst_SNAccountFile::wrongKeyKeepsTheFileAsideAndNeverOverwritesIt()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SNAccountFile.dat"));
    writeStore(path, "rootAA:BB");
    const QByteArray original = readAll(path);

    RC4SimpleSNAccountFileStore stranger(path, "someoneElse");
    QVERIFY(!stranger.load());
    QVERIFY(stranger.entries().isEmpty());
    QCOMPARE(readAll(path + QStringLiteral(".unreadable")), original);
    stranger.addAccount(kService, {QString(), QStringLiteral("new"), QString()});
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(readAll(path + QStringLiteral(".unreadable")), original);

    // The next stranger's file goes beside the first, not over it.
    const QByteArray second = readAll(path);
    RC4SimpleSNAccountFileStore third(path, "yetAnother");
    QVERIFY(!third.load());
    QCOMPARE(readAll(path + QStringLiteral(".unreadable")), original);
    QCOMPARE(readAll(path + QStringLiteral(".unreadable.1")), second);
}

void tst_SNAccountFile::fallbackKeyOpensTheFileAndWritesItUnderTheKey()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SNAccountFile.dat"));
    writeStore(path, "rootDOCK:ED");

    RC4SimpleSNAccountFileStore moved(path, "rootAA:BB");
    moved.setFallbackKeys({"rootCC:DD", "rootDOCK:ED"});
    QVERIFY(moved.load());
    QCOMPARE(moved.entries(), sampleEntries());
    QVERIFY(!QFileInfo::exists(path + QStringLiteral(".unreadable")));

    RC4SimpleSNAccountFileStore plain(path, "rootAA:BB");
    QVERIFY(plain.load());
    QCOMPARE(plain.entries(), sampleEntries());
}

void tst_SNAccountFile::truncatedFileKeepsWhatIsWholeAndTheOriginal()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SNAccountFile.dat"));
    writeStore(path, "k");
    const QByteArray original = readAll(path);
    QFile file(path);
    QVERIFY(file.resize(original.size() - 8));

    RC4SimpleSNAccountFileStore store(path, "k");
    QVERIFY(!store.load());
    QCOMPARE(store.entries(), sampleEntries().mid(0, 2));
    QCOMPARE(readAll(path + QStringLiteral(".unreadable")), original.left(original.size() - 8));
}

void tst_SNAccountFile::keyBuilder_data()
{
    using List = QList<AccountFileKey::Interface>;
    QTest::addColumn<List>("interfaces");
    QTest::addColumn<QString>("machineId");
    QTest::addColumn<QString>("address");
    const auto lo = interface(QStringLiteral("lo"), QStringLiteral("00:00:00:00:00:00"), 0, {}, true);
    const auto eth0 = interface(QStringLiteral("eth0"), QStringLiteral("02:FC:00:00:00:01"), 0);
    const auto ifb0 = interface(QStringLiteral("ifb0"), QStringLiteral("4E:FE:69:B3:22:59"), 1);
    const auto wifi = interface(QStringLiteral("wlan0"), QStringLiteral("D6:11:22:33:44:55"), 3,
                                QStringLiteral("A4:5E:60:11:22:33"));
    const auto empty = interface(QStringLiteral("tun0"), QString(), 0);
    const auto zero = interface(QStringLiteral("dummy0"), QStringLiteral("00:00:00:00:00:00"), 0);
    QTest::newRow("loopback skipped") << List{lo, eth0} << "m"
                                      << "02:FC:00:00:00:01";
    QTest::newRow("randomised first entry skipped") << List{lo, ifb0, eth0} << "m"
                                                    << "02:FC:00:00:00:01";
    QTest::newRow("randomised lends its permanent address") << List{wifi, eth0} << "m"
                                                            << "A4:5E:60:11:22:33";
    QTest::newRow("empty and zero skipped") << List{empty, zero, eth0} << "m"
                                            << "02:FC:00:00:00:01";
    QTest::newRow("order kept") << List{eth0, interface(QStringLiteral("eth1"), QStringLiteral("02:00:00:00:00:09"), 0)}
                                << "m"
                                << "02:FC:00:00:00:01";
    QTest::newRow("none: machine id") << List{lo, ifb0, empty} << "4c1b"
                                      << "4c1b";
    QTest::newRow("nothing at all") << List{} << ""
                                    << "";
}

void tst_SNAccountFile::keyBuilder()
{
    QFETCH(QList<AccountFileKey::Interface>, interfaces);
    QFETCH(QString, machineId);
    QFETCH(QString, address);
    QCOMPARE(AccountFileKey::chosenAddress(interfaces, machineId), address);
    QCOMPARE(AccountFileKey::key(QStringLiteral("root"), address), (QStringLiteral("root") + address).toLatin1());
}

void tst_SNAccountFile::keyStaysWhenTheRandomisedAddressChanges()
{
    const auto lo = interface(QStringLiteral("lo"), QStringLiteral("00:00:00:00:00:00"), 0, {}, true);
    const auto eth0 = interface(QStringLiteral("eth0"), QStringLiteral("02:FC:00:00:00:01"), 0);
    const QList<AccountFileKey::Interface> beforeReboot{
        lo, interface(QStringLiteral("ifb0"), QStringLiteral("4E:FE:69:B3:22:59"), 1), eth0};
    const QList<AccountFileKey::Interface> afterReboot{
        lo, interface(QStringLiteral("ifb0"), QStringLiteral("9A:01:33:C4:10:07"), 1), eth0};
    const QByteArray before = AccountFileKey::key(QStringLiteral("root"),
                                                  AccountFileKey::chosenAddress(beforeReboot, {}));
    QCOMPARE(AccountFileKey::key(QStringLiteral("root"), AccountFileKey::chosenAddress(afterReboot, {})), before);
    QCOMPARE(before, QByteArray("root02:FC:00:00:00:01"));
    // This machine's own key comes out the same each time it is built.
    QCOMPARE(AccountFileKey::build(), AccountFileKey::build());
    QVERIFY(!AccountFileKey::userName().isEmpty());
}

void tst_SNAccountFile::keyFollowsTheAccountNotTheEnvironment()
{
    const passwd *entry = ::getpwuid(::getuid());
    if (!entry)
        QSKIP("this user id has no entry in the password database");
    const QByteArray key = AccountFileKey::build();
    const char *variables[] = {"USERNAME", "USER", "LOGNAME"};
    QList<QPair<QByteArray, bool>> saved;
    for (const char *variable : variables)
        saved.append({qgetenv(variable), qEnvironmentVariableIsSet(variable)});
    // As when the program is started through su or by a session that sets other names.
    for (const char *variable : variables)
        qputenv(variable, "someone-else");
    const QString name = AccountFileKey::userName();
    const QByteArray keyNow = AccountFileKey::build();
    for (qsizetype i = 0; i < saved.size(); ++i) {
        if (saved[i].second)
            qputenv(variables[i], saved[i].first);
        else
            qunsetenv(variables[i]);
    }
    QCOMPARE(name, QString::fromLocal8Bit(entry->pw_name));
    QCOMPARE(keyNow, key);
}

void tst_SNAccountFile::fallbackKeysIncludeThePlainRule()
{
    const QList<AccountFileKey::Interface> interfaces{
        interface(QStringLiteral("ifb0"), QStringLiteral("4E:FE:69:B3:22:59"), 1),
        interface(QStringLiteral("eth0"), QStringLiteral("02:FC:00:00:00:01"), 0)};
    const QList<QByteArray> keys = AccountFileKey::fallbackKeys(QStringLiteral("u"), interfaces, QStringLiteral("m"));
    QVERIFY(keys.contains("u4E:FE:69:B3:22:59"));
    QVERIFY(keys.contains("u"));
    QVERIFY(keys.contains("um"));
    QVERIFY(!keys.contains("u02:FC:00:00:00:01"));
}

void tst_SNAccountFile::replacingUnderTheSameLabelKeepsGrantAndExtra()
{
    MemoryAccountStore store;
    store.addAccount(kService, {QStringLiteral("kept"), QStringLiteral("teacher"), QStringLiteral("typed")});
    store.setParams(kService, QStringLiteral("teacher"),
                    {{QStringLiteral("grant.refresh_token"), QStringLiteral("r")}});
    const int saves = store.saveCount();

    // The settings page stores every row on each Save, with a null extra.
    QCOMPARE(store.replaceAccount(kService, {QString(), QStringLiteral("teacher"), QStringLiteral("other")}),
             int(SN_ERR_SET_PASSWORD_ONLY));
    QCOMPARE(store.storedAccount(kService).extra, QStringLiteral("kept"));
    QCOMPARE(store.storedAccount(kService).password, QStringLiteral("password"));
    QCOMPARE(store.params(kService, QStringLiteral("teacher")).value(QStringLiteral("grant.refresh_token")),
             QStringLiteral("r"));
    QCOMPARE(store.saveCount(), saves);

    store.addAccount(kService, {QString(), QStringLiteral("teacher"), QString()});
    QCOMPARE(store.storedAccount(kService).extra, QStringLiteral("kept"));
    QCOMPARE(store.params(kService, QStringLiteral("teacher")).size(), 1);

    store.removeAccount(kService);
    QVERIFY(store.storedAccount(kService).userName.isEmpty());
    QVERIFY(store.params(kService, QStringLiteral("teacher")).isEmpty());
    QVERIFY(store.entries().isEmpty());
}

void tst_SNAccountFile::anotherLabelTakesItsPendingGrant()
{
    MemoryAccountStore store;
    store.addAccount(kService, {QStringLiteral("e"), QStringLiteral("old"), QString()});
    store.setParams(kService, QStringLiteral("old"), {{QStringLiteral("grant.access_token"), QStringLiteral("a-old")}});
    // Grants arrive for labels before the accounts are stored under them.
    store.setParams(kService, QStringLiteral("new"), {{QStringLiteral("grant.access_token"), QStringLiteral("a-new")}});
    store.setParams(kService, QStringLiteral("stray"), {{QStringLiteral("grant.access_token"), QStringLiteral("a-x")}});
    store.setParams(QStringLiteral("youtube"), QStringLiteral("new"),
                    {{QStringLiteral("grant.access_token"), QStringLiteral("y")}});
    QCOMPARE(store.storedAccount(kService).userName, QStringLiteral("old"));

    QCOMPARE(store.replaceAccount(kService, {QString(), QStringLiteral("new"), QString()}), 0);
    QCOMPARE(store.storedAccount(kService).userName, QStringLiteral("new"));
    QCOMPARE(store.storedAccount(kService).extra, QStringLiteral("e"));
    QCOMPARE(store.params(kService, QStringLiteral("new")).value(QStringLiteral("grant.access_token")),
             QStringLiteral("a-new"));
    QVERIFY(store.params(kService, QStringLiteral("old")).isEmpty());
    QVERIFY(store.params(kService, QStringLiteral("stray")).isEmpty());
    QCOMPARE(store.params(QStringLiteral("youtube"), QStringLiteral("new")).size(), 1);
    QCOMPARE(store.entries().size(), 2);
}

void tst_SNAccountFile::usableAccounts()
{
    SampleRig rig;
    const AccountRecord none;
    QVERIFY(!rig.handle->isAccountUsable(none));
    QVERIFY(!rig.handle->isAccountUsable({QString(), QStringLiteral("nobody"), QString()}));
    const AccountRecord granted = rig.addGrantedAccount(QStringLiteral("teacher"));
    QVERIFY(rig.handle->isAccountUsable(granted));
    // A grant made out to another client (the build's client id changed) opens nothing.
    rig.handle->setParameter(QStringLiteral("client_id"), QStringLiteral("another-client"));
    QVERIFY(!rig.handle->isAccountUsable(granted));
    rig.handle->setParameter(QStringLiteral("client_id"), QString::fromLatin1(SampleServiceEmulation::kClientId));
    QVERIFY(rig.handle->isAccountUsable(granted));

    rig.manager.registerProvider(QStringLiteral("gone"), [] { return std::make_unique<GoneProvider>(); });
    SNService *gone = rig.manager.service(QStringLiteral("gone"));
    gone->addAccount({QString(), QStringLiteral("teacher"), QString()});
    rig.store->setParams(QStringLiteral("gone"), QStringLiteral("teacher"),
                         rig.store->params(QLatin1String(SampleRig::kService), QStringLiteral("teacher")));
    QVERIFY(!gone->isAccountUsable(gone->storedAccount()));
    QVERIFY(!rig.manager.service(QStringLiteral("no such service")));
}

QUILLO_TEST_MAIN(tst_SNAccountFile)
#include "tst_SNAccountFile.moc"
