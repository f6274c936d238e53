#include "HiddenFileList.h"
#include "TestEnvironment.h"

class TestHiddenFileList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mergesWithUsersLines_data();
    void mergesWithUsersLines();
    void unreadableListIsNotReplaced();
    void visibleNamesLeaveOutDotFilesAndListedNames();
};

void TestHiddenFileList::mergesWithUsersLines_data()
{
    QTest::addColumn<QByteArray>("before"); // "-" for no list at all
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("no list yet") << QByteArray("-") << QStringList{"a.db"} << QByteArray("a.db\n");
    QTest::newRow("user's lines kept, last without newline")
        << QByteArray("mine\r\nother") << QStringList{"a.db", "b"} << QByteArray("mine\r\nother\na.db\nb\n");
    QTest::newRow("listed already: untouched")
        << QByteArray("x\na.db\n") << QStringList{"a.db"} << QByteArray("x\na.db\n");
    QTest::newRow("repeat in one call") << QByteArray("") << QStringList{"a", "a", ""} << QByteArray("a\n");
    QTest::newRow("non-Latin name") << QByteArray("-") << QStringList{QStringLiteral("Файл")}
                                    << QByteArray("\xd0\xa4\xd0\xb0\xd0\xb9\xd0\xbb\n");
}

void TestHiddenFileList::mergesWithUsersLines()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, names);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    QFile list(dir.filePath(QStringLiteral(".hidden")));
    if (before != "-") {
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(before);
        list.close();
    }
    const QDateTime written = QFileInfo(list).lastModified();
    QVERIFY(HiddenFileList::add(dir.path(), names));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), after);
    if (before == after)
        QCOMPARE(QFileInfo(list).lastModified(), written);
    for (const QString &name : std::as_const(names)) {
        if (!name.isEmpty())
            QVERIFY(HiddenFileList::names(dir.path()).contains(name));
    }
}

void TestHiddenFileList::unreadableListIsNotReplaced()
{
    // A folder standing where the list should be cannot be read, even by root.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral(".hidden")));
    QVERIFY(!HiddenFileList::add(dir.path(), {QStringLiteral("a")}));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral(".hidden"))).isDir());
    QVERIFY(HiddenFileList::markHidden(dir.filePath(QStringLiteral("sub"))) == false);
}

// What a file manager shows, through the filter asked for: no dot-files, nothing the list names, no link
// to nothing.
void TestHiddenFileList::visibleNamesLeaveOutDotFilesAndListedNames()
{
    QTemporaryDir dir;
    for (const char *name : {"a.jpg", ".dot.jpg", "listed.jpg"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Sub")));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.jpg")), dir.filePath(QStringLiteral("broken.jpg"))));
    QVERIFY(HiddenFileList::add(dir.path(), {QStringLiteral("listed.jpg")}));

    QCOMPARE(HiddenFileList::visibleNames(dir.path(), QDir::Files | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("a.jpg")});
    QStringList all = HiddenFileList::visibleNames(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot);
    all.sort();
    QCOMPARE(all, (QStringList{QStringLiteral("Sub"), QStringLiteral("a.jpg")}));
}

QUILLO_TEST_MAIN(TestHiddenFileList)
#include "tst_HiddenFileList.moc"
