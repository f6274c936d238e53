#include "SettingImpl.h"
#include "TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTime>

#include <utility>

// The byte-array literal keeps embedded zero bytes and counts them from the literal itself.
using namespace Qt::StringLiterals;

class TestSettingImpl : public QObject
{
    Q_OBJECT

private:
    QString documents() const { return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); }
    QSettings file() const { return QSettings(SettingImpl::settingsFilePath(), QSettings::IniFormat); }

private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Quillo")); }

    void init()
    {
        QFile::remove(SettingImpl::settingsFilePath());
        const QStringList leftovers =
            QDir(QFileInfo(SettingImpl::settingsFilePath()).path()).entryList({QStringLiteral("Settings.ini.bad*")});
        for (const QString &name : leftovers)
            QFile::remove(QFileInfo(SettingImpl::settingsFilePath()).dir().filePath(name));
    }

    void settingsFileLivesInTheApplicationDataFolder()
    {
        QCOMPARE(SettingImpl::settingsFilePath(),
                 QDir::homePath() + QStringLiteral("/.local/share/Quillo/Settings.ini"));
        QCOMPARE(SettingImpl::defaultMediaFolder(), documents() + QStringLiteral("/Quillo/Media Library/"));
    }

    void constructionCreatesTheFoldersButNoFile()
    {
        QDir(documents() + QStringLiteral("/Quillo")).removeRecursively();
        SettingIntf *settings = SettingImpl::getInstance();
        QVERIFY(QDir(SettingImpl::defaultMediaFolder()).exists());
        QVERIFY(QDir(QFileInfo(SettingImpl::settingsFilePath()).path()).exists());
        QVERIFY(!QFile::exists(SettingImpl::settingsFilePath()));
        settings->release();
    }

    void dataFolderIsMadeForItsOwnerAlone()
    {
        const QString data = QFileInfo(SettingImpl::settingsFilePath()).path();
        QVERIFY(QDir(data).removeRecursively());
        SettingIntf *settings = SettingImpl::getInstance();
        // Owner, group and others; Qt also reports the owner's bits again as the "user" ones.
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                          | QFile::WriteOther | QFile::ExeOther;
        const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QCOMPARE(QFile::permissions(data) & (owner | others), owner);
        settings->release();
    }

    void typedGettersGiveTheirDefaultsWithoutWriting()
    {
        SettingIntf *settings = SettingImpl::getInstance();
        QCOMPARE(settings->getAudioSource(), QString());
        QVERIFY(settings->getAudioSource().isNull());
        QCOMPARE(settings->getVideoQuality(), 2);
        QCOMPARE(settings->getMute(), false);
        QCOMPARE(settings->getElapsedTimeTotalTime(), 0u);
        QCOMPARE(settings->getElapsedTimePeriod(), 0u);
        QVERIFY(!settings->value(QStringLiteral("NOT_FIRST_TIME_LAUNCH")).isValid());
        QCOMPARE(settings->value(QStringLiteral("medialibrary/mode"), 0).toInt(), 0);
        QVERIFY(!QFile::exists(SettingImpl::settingsFilePath()));
        settings->release();
    }

    void valuesRoundTripThroughTheFile()
    {
        SettingIntf *writer = SettingImpl::getInstance();
        SettingIntf *reader = SettingImpl::getInstance();
        writer->setAudioSource(QStringLiteral("USB Microphone"));
        writer->setVideoQuality(7);
        writer->setMute(true);
        writer->setElapsedTimeTotalTime(4000000000u);
        writer->setElapsedTimePeriod(30u);
        writer->setValue(QStringLiteral("Upload Time"), QTime(13, 45, 10));
        writer->setValue(QStringLiteral("webCam/LastWebCamLocationID"), QStringLiteral(""));

        QCOMPARE(reader->getAudioSource(), QStringLiteral("USB Microphone"));
        QCOMPARE(reader->getVideoQuality(), 7);
        QCOMPARE(reader->getMute(), true);
        QCOMPARE(reader->getElapsedTimeTotalTime(), 4000000000u);
        QCOMPARE(reader->getElapsedTimePeriod(), 30u);
        QCOMPARE(reader->value(QStringLiteral("Upload Time")).toTime(), QTime(13, 45, 10));
        const QVariant empty = reader->value(QStringLiteral("webCam/LastWebCamLocationID"));
        QVERIFY(empty.isValid());
        QVERIFY(!empty.toString().isNull());

        // Grouped keys land in their INI group, as other tools reading the file expect.
        QCOMPARE(file().value(QStringLiteral("recording/audioSource")).toString(), QStringLiteral("USB Microphone"));
        QVERIFY(file().childGroups().contains(QStringLiteral("recording")));
        reader->release();
        writer->release();
    }

    void savePath_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("createStored");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("storedAfter");

        const QString existing = QDir::homePath() + QStringLiteral("/media");
        const QString fallback = QStringLiteral("<default>");
        QTest::newRow("absent: default is stored") << QString() << false << fallback << fallback;
        QTest::newRow("empty: default is stored") << QStringLiteral("") << false << fallback << fallback;
        QTest::newRow("missing folder: default for the call, the choice kept")
            << existing + QStringLiteral("/gone") << false << fallback << existing + QStringLiteral("/gone");
        QTest::newRow("no trailing slash: appended, not stored")
            << existing << true << existing + QStringLiteral("/") << existing;
        QTest::newRow("trailing slash kept") << existing + QStringLiteral("/") << true << existing + QStringLiteral("/")
                                             << existing + QStringLiteral("/");
    }

    void savePath()
    {
        QFETCH(QString, stored);
        QFETCH(bool, createStored);
        QFETCH(QString, expected);
        QFETCH(QString, storedAfter);
        const auto resolve = [](QString text) {
            return text == QStringLiteral("<default>") ? SettingImpl::defaultMediaFolder() : text;
        };
        if (createStored)
            QVERIFY(QDir().mkpath(stored));
        SettingIntf *settings = SettingImpl::getInstance();
        if (!stored.isNull())
            settings->setSavePath(stored);
        QCOMPARE(settings->getSavePath(), resolve(expected));
        QCOMPARE(file().value(QStringLiteral("savePath")).toString(), resolve(storedAfter));
        settings->release();
    }

    // A folder on a stick not plugged in for a while: the default for each call, the user's choice kept, one
    // notice while it is away, and the choice again once it is back.
    void aMissingMediaFolderIsToldOnceAndUsedAgainWhenBack()
    {
        const QString stick = QDir::homePath() + QStringLiteral("/stick/lessons");
        QDir(stick).removeRecursively();
        QList<std::pair<SettingImpl::Notice, QString>> told;
        SettingIntf *settings = SettingImpl::getInstance();
        SettingImpl::setNoticeHandler([&told](SettingImpl::Notice notice, const QString &folder) {
            told.append({notice, folder});
        });
        const auto unset = qScopeGuard([] { SettingImpl::setNoticeHandler({}); });
        QVERIFY(settings->setSavePath(stick));
        QCOMPARE(settings->getSavePath(), SettingImpl::defaultMediaFolder());
        QCOMPARE(settings->getSavePath(), SettingImpl::defaultMediaFolder());
        QCOMPARE(told,
                 (QList<std::pair<SettingImpl::Notice, QString>>{{SettingImpl::Notice::MediaFolderMissing, stick}}));
        QCOMPARE(file().value(QStringLiteral("savePath")).toString(), stick);

        QVERIFY(QDir().mkpath(stick));
        QCOMPARE(settings->getSavePath(), stick + QStringLiteral("/"));
        QVERIFY(QDir(stick).removeRecursively());
        QCOMPARE(settings->getSavePath(), SettingImpl::defaultMediaFolder());
        QCOMPARE(told.size(), 2);
        settings->release();
    }

    // A data folder that cannot be made (a file stands where a folder of its path belongs, which stops root
    // too): told once, naming the folder, to a handler set after the start; every setter says it failed.
    void anUnwritableDataFolderIsToldOnceAndEverySetterFails()
    {
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        const auto restore = qScopeGuard([dataHome] {
            qputenv("XDG_DATA_HOME", dataHome);
            SettingImpl::setNoticeHandler({});
        });
        const QString blocker = QDir::homePath() + QStringLiteral("/not-a-folder");
        QFile(blocker).open(QIODevice::WriteOnly);
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker + QStringLiteral("/data")));
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        QVERIFY(folder.startsWith(blocker));

        SettingIntf *settings = SettingImpl::getInstance();
        QList<std::pair<SettingImpl::Notice, QString>> told;
        SettingImpl::setNoticeHandler([&told](SettingImpl::Notice notice, const QString &where) {
            told.append({notice, where});
        });
        QCOMPARE(told, (QList<std::pair<SettingImpl::Notice, QString>>{
                           {SettingImpl::Notice::DataFolderNotWritable, folder}}));
        QVERIFY(!settings->setValue(QStringLiteral("probe"), 1));
        QVERIFY(!settings->setSavePath(QDir::homePath()));
        QVERIFY(!settings->setAudioSource(QStringLiteral("USB Microphone")));
        QVERIFY(!settings->setVideoQuality(1));
        QVERIFY(!settings->setMute(true));
        QVERIFY(!settings->setElapsedTimeTotalTime(60));
        QVERIFY(!settings->setElapsedTimePeriod(5));
        QCOMPARE(told.size(), 1);
        settings->release();
    }

    // A folder standing where the settings file belongs: the write cannot reach the file, and says so; once
    // the file can be written again, so does the setter.
    void aSetterWhoseWriteCannotReachTheFileFails()
    {
        QVERIFY(QDir().mkpath(SettingImpl::settingsFilePath()));
        SettingIntf *settings = SettingImpl::getInstance();
        QVERIFY(!settings->setValue(QStringLiteral("probe"), 1));
        QVERIFY(!settings->setVideoQuality(3));
        QVERIFY(QDir(SettingImpl::settingsFilePath()).removeRecursively());
        QVERIFY(settings->setVideoQuality(3));
        QCOMPARE(file().value(QStringLiteral("recording/videoQuality")).toInt(), 3);
        settings->release();
    }

    // A process killed while it replaced the file leaves the temporary file the new one was written to; the
    // next start removes it and nothing else.
    void theNextStartRemovesATemporaryFileLeftByAKill()
    {
        const QDir folder = QFileInfo(SettingImpl::settingsFilePath()).dir();
        const QStringList planted{QStringLiteral("Settings.ini.aB3dE9"), QStringLiteral("Settings.ini.backup"),
                                  QStringLiteral("Settings.ini.bad"), QStringLiteral("Settings.ini.x1")};
        for (const QString &name : planted) {
            QFile leftover(folder.filePath(name));
            QVERIFY(leftover.open(QIODevice::WriteOnly));
            leftover.write("[General]\nprobe=1\n");
        }
        SettingIntf *settings = SettingImpl::getInstance();
        settings->release();
        QVERIFY(!QFile::exists(folder.filePath(planted.first())));
        for (const QString &name : planted.mid(1)) {
            QVERIFY2(QFile::exists(folder.filePath(name)), qPrintable(name));
            QFile::remove(folder.filePath(name));
        }
    }

    void lastReleaseDeletesAndTheNextGetterStartsAfresh()
    {
        SettingImpl *first = SettingImpl::getInstance();
        QCOMPARE(SettingImpl::getInstance(), first);
        first->release();
        first->release();
        // A new service has count 1 again: one release must delete it, so a fresh getter cannot
        // hand back a service that a stale count kept alive.
        SettingImpl *second = SettingImpl::getInstance();
        second->setValue(QStringLiteral("probe"), 1);
        QCOMPARE(second->value(QStringLiteral("probe")).toInt(), 1);
        second->release();
        SettingImpl *third = SettingImpl::getInstance();
        QCOMPARE(third->addRef(), third);
        third->release();
        third->release();
    }

    void unreadableFileIsKeptAsideBeforeTheFirstWrite_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("binary") << "\x00\x01\x02\xff\xfe binary \x00 junk"_ba;
        QTest::newRow("broken group") << QByteArray("[recording\nvideoQuality=0\n");
        // The program stores only times this way; a stored polygon claiming 1.7 billion points made Qt's
        // reader ask for gigabytes.
        QTest::newRow("stored value of a foreign type")
            << QByteArray("[General]\nUpload%20Time=@Variant(\\0\\0\\x10\\a\\x65\\xff\\xff\\xff)\nlanguage=eng\n");
        QTest::newRow("stored type number past the time's")
            << QByteArray("[General]\nUpload%20Time=@Variant(\\0\\0\\0\\xf0\\0\\0\\0\\0)\n");
        // Qt's reader undoes escapes and quotes before it looks for a stored value, and looks at every item of
        // a list: a foreign one hidden in any of these ways is still read as one.
        QTest::newRow("marker behind a hexadecimal escape")
            << QByteArray("[General]\nk=\\x40Variant(\\0\\0\\x10\\a\\x65\\xff\\xff\\xff)\n");
        QTest::newRow("marker behind an octal escape")
            << QByteArray("[General]\nk=\\100Variant(\\0\\0\\x10\\a\\x65\\xff\\xff\\xff)\n");
        QTest::newRow("marker cut by an empty escape") << QByteArray("[General]\nk=@Varia\\xnt(\\0\\0\\0\\x2)\n");
        QTest::newRow("marker quoted") << QByteArray("[General]\nk=  \"@Variant(\\0\\0\\0\\x2)\"\n");
        QTest::newRow("marker in a later list item") << QByteArray("[General]\nk=\"a, b\", @Variant(\\0\\0\\0\\x2)\n");
        QTest::newRow("type number behind an escaped line break")
            << QByteArray("[General]\nk=@Variant(\\0\\0\\\n\\0\\x2)\n");
    }

    // The program's own strings may read like a stored value somewhere inside: the file they are written to
    // is read back whole, and not set aside as damaged.
    void textMentioningAStoredValueIsNotDamage()
    {
        const QString inside = QStringLiteral("before @Variant(\u0002Rect(2) after");
        const QStringList items{QStringLiteral("@Variant(x"), QStringLiteral("a, @Variant(\u0001)")};
        SettingIntf *writer = SettingImpl::getInstance();
        writer->setValue(QStringLiteral("notes"), inside);
        writer->setValue(QStringLiteral("list"), items);
        writer->setValue(QStringLiteral("Upload Time"), QTime(8, 30));

        SettingIntf *reader = SettingImpl::getInstance();
        QCOMPARE(reader->value(QStringLiteral("notes")).toString(), inside);
        QCOMPARE(reader->value(QStringLiteral("list")).toStringList(), items);
        QCOMPARE(reader->value(QStringLiteral("Upload Time")).toTime(), QTime(8, 30));
        writer->setMute(true);
        QVERIFY(!QFile::exists(SettingImpl::settingsFilePath() + QStringLiteral(".bad")));
        QCOMPARE(reader->value(QStringLiteral("notes")).toString(), inside);
        reader->release();
        writer->release();
    }

    void unreadableFileIsKeptAsideBeforeTheFirstWrite()
    {
        QFETCH(QByteArray, content);
        QFile corrupt(SettingImpl::settingsFilePath());
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write(content);
        corrupt.close();

        SettingIntf *settings = SettingImpl::getInstance();
        QCOMPARE(settings->getVideoQuality(), 2);
        QCOMPARE(corrupt.size(), content.size());

        settings->setValue(QStringLiteral("language"), QStringLiteral("eng"));
        QFile kept(SettingImpl::settingsFilePath() + QStringLiteral(".bad"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), content);
        QCOMPARE(settings->value(QStringLiteral("language")).toString(), QStringLiteral("eng"));
        QCOMPARE(file().status(), QSettings::NoError);
        settings->release();
    }

    void theNewFileIsNotTakenForTheUnreadableOne()
    {
        // As long as the file the first write makes, so that only the file time tells them apart.
        const QByteArray content = "\x00\x01\x02\xff\xfe binary \x00 junk 123"_ba;
        QCOMPARE(content.size(), QByteArray("[General]\nlanguage=eng\n").size());
        const QDateTime stamp = QDateTime::currentDateTime().addSecs(-60);
        SettingIntf *settings = SettingImpl::getInstance();
        QFile corrupt(SettingImpl::settingsFilePath());
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write(content);
        corrupt.close();
        QVERIFY(corrupt.open(QIODevice::ReadWrite));
        QVERIFY(corrupt.setFileTime(stamp, QFileDevice::FileModificationTime));
        corrupt.close();

        QVERIFY(!settings->value(QStringLiteral("language")).isValid());
        settings->setValue(QStringLiteral("language"), QStringLiteral("eng"));
        QFile started(SettingImpl::settingsFilePath());
        QCOMPARE(started.size(), content.size());
        // Written within the same clock tick as the damaged file was: the same size and the same time.
        QVERIFY(started.open(QIODevice::ReadWrite));
        QVERIFY(started.setFileTime(stamp, QFileDevice::FileModificationTime));
        started.close();

        QCOMPARE(settings->value(QStringLiteral("language")).toString(), QStringLiteral("eng"));
        settings->setMute(true);
        QVERIFY2(!QFile::exists(SettingImpl::settingsFilePath() + QStringLiteral(".bad.1")),
                 "the new file was set aside as damaged");
        QCOMPARE(settings->value(QStringLiteral("language")).toString(), QStringLiteral("eng"));
        settings->release();
    }

    void anEarlierKeptFileIsNotOverwritten()
    {
        const QString bad = SettingImpl::settingsFilePath() + QStringLiteral(".bad");
        QFile earlier(bad);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
        earlier.close();
        QFile corrupt(SettingImpl::settingsFilePath());
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write(QByteArray("\x00\xff", 2));
        corrupt.close();

        SettingIntf *settings = SettingImpl::getInstance();
        settings->setMute(true);
        settings->release();
        QFile again(bad);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), QByteArray("earlier"));
        QVERIFY(QFile::exists(bad + QStringLiteral(".1")));
    }
};

QUILLO_TEST_MAIN(TestSettingImpl)
#include "tst_SettingImpl.moc"
