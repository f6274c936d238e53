#include "DialogWatchdog.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "MoveFileDialog.h"
#include "PrivateMount.h"
#include "Screenshot.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

class TestMoveFileDialog : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &relative) const { return m_dir->path() + QLatin1Char('/') + relative; }
    static QByteArray content(qint64 size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qint64 i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + i / 256);
        return bytes;
    }
    static void write(const QString &file, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file));
    }
    static QByteArray read(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }
    // Everything in the folder, so a temporary copy left behind shows.
    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

private Q_SLOTS:
    void init()
    {
        m_watchdog.emplace();
        m_dir = std::make_unique<QTemporaryDir>(TestEnvironment::home() + QStringLiteral("/Media-XXXXXX"));
    }
    void cleanup()
    {
        m_dir.reset();
        m_watchdog.reset();
    }

    void copiesInSlices_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("mode");
        QTest::addColumn<qint64>("chunk");
        QTest::newRow("empty copy") << qint64(0) << 0 << qint64(1);
        QTest::newRow("empty move") << qint64(0) << 1 << qint64(1);
        QTest::newRow("1000 bytes") << qint64(1000) << 0 << qint64(10);
        QTest::newRow("150 bytes") << qint64(150) << 1 << qint64(2);
        QTest::newRow("1005 bytes, short last slice") << qint64(1005) << 1 << qint64(11);
    }
    void copiesInSlices()
    {
        QFETCH(qint64, size);
        QFETCH(int, mode);
        const QString source = path(QStringLiteral("Pictures/photo.jpg"));
        const QString destination = path(QStringLiteral("Backup/photo.jpg"));
        write(source, content(size));
        write(destination, "an older copy the user agreed to replace");
        MessageBoxScript boxes;
        MoveFileDialog dialog;
        dialog.setStepInterval(0);
        QList<int> values;
        connect(dialog.findChild<QProgressBar *>(), &QProgressBar::valueChanged,
                [&](int value) { values.append(value); });
        QVERIFY(dialog.start(source, destination, mode));
        QTEST(dialog.chunkSize(), "chunk");
        QCOMPARE(read(destination), content(size));
        QCOMPARE(QFile::exists(source), mode == 0);
        QCOMPARE(entries(path(QStringLiteral("Backup"))), QStringList{"photo.jpg"});
        QCOMPARE(boxes.lastText(), QStringLiteral("Completed"));
        QCOMPARE(values.last(), 100);
        QVERIFY(std::is_sorted(values.begin(), values.end()));
    }

    // A slice of a large recording moves a few MiB, not a hundredth of the file.
    void largeFilesMoveBoundedSlices()
    {
        const QString source = path(QStringLiteral("big.avi"));
        QFile big(source);
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(2) * 1024 * 1024 * 1024));
        big.close();
        MessageBoxScript boxes;
        MoveFileDialog dialog;
        dialog.setStepInterval(0);
        QVERIFY(!dialog.start(source, path(QStringLiteral("missing/big.avi")), 0));
        QCOMPARE(dialog.chunkSize(), MoveFileDialog::kMaxChunkBytes);
        QCOMPARE(boxes.lastText(), QStringLiteral("Copy file failed"));
    }

    void refusedBeforeShowing_data()
    {
        QTest::addColumn<int>("destinationLength");
        QTest::addColumn<bool>("sourceExists");
        QTest::addColumn<QString>("message");
        QTest::newRow("239 characters") << 239 << true << "Completed";
        QTest::newRow("240 characters") << 240 << true << "Path is invalid";
        QTest::newRow("unreadable source") << 60 << false << "Open file failed";
    }
    void refusedBeforeShowing()
    {
        QFETCH(int, destinationLength);
        QFETCH(bool, sourceExists);
        const QString source = path(QStringLiteral("photo.jpg"));
        if (sourceExists)
            write(source, "picture");
        QString destination = path(QStringLiteral("d"));
        destination += QString(destinationLength - destination.size(), QLatin1Char('x'));
        MessageBoxScript boxes;
        MoveFileDialog dialog;
        dialog.setStepInterval(0);
        QFETCH(QString, message);
        QCOMPARE(dialog.start(source, destination, 1), message == QLatin1String("Completed"));
        QCOMPARE(boxes.lastText(), message);
        QCOMPARE(QFile::exists(destination), message == QLatin1String("Completed"));
        QCOMPARE(QFile::exists(source), sourceExists && message != QLatin1String("Completed"));
    }

    void statusLines_data()
    {
        QTest::addColumn<QString>("sourceName");
        QTest::addColumn<QString>("destinationName");
        QTest::addColumn<QString>("text");
        const QString fortyFour(44, QLatin1Char('a'));
        QTest::newRow("short") << "photo.jpg"
                               << "photo.jpg"
                               << "From Pictures/photo.jpg\nTo Backup/photo.jpg";
        // "Pictures/" is 9 characters: 41 more make 50, 42 more make 51.
        QTest::newRow("exactly 50 kept whole") << QString(41, QLatin1Char('p')) << "x"
                                               << "From Pictures/" + QString(41, QLatin1Char('p')) + "\nTo Backup/x";
        QTest::newRow("51 cut to 47 and dots") << QString(42, QLatin1Char('p')) << "x"
                                               << "From Pictures/" + QString(38, QLatin1Char('p')) + "...\nTo Backup/x";
        QTest::newRow("destination part counts its To")
            << "x" << fortyFour << "From Pictures/x\nTo Backup/" + fortyFour.left(37) + "...";
    }
    void statusLines()
    {
        QFETCH(QString, sourceName);
        QFETCH(QString, destinationName);
        QFETCH(QString, text);
        const QString source = path("Pictures/" + sourceName);
        write(source, "picture");
        QDir().mkpath(path(QStringLiteral("Backup")));
        MessageBoxScript boxes;
        MoveFileDialog dialog;
        QString shown;
        ModalAnswerer answerer([&](QWidget *) {
            shown = dialog.findChild<QLabel *>(QStringLiteral("statusLabel"))->text();
            dialog.reject();
        });
        QVERIFY(!dialog.start(source, path("Backup/" + destinationName), 0));
        QVERIFY(answerer.answered());
        QCOMPARE(shown, text.replace(QLatin1Char('/'), QDir::separator()));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Copy file..."));
    }

    // Closing the window half-way keeps the source and the destination the user had, and leaves no
    // temporary copy.
    void cancelKeepsBothFiles()
    {
        const QString source = path(QStringLiteral("Video/lesson.avi"));
        const QString destination = path(QStringLiteral("Backup/lesson.avi"));
        write(source, content(1000000));
        write(destination, "the older lesson");
        MessageBoxScript boxes;
        MoveFileDialog dialog;
        QString picture;
        ModalAnswerer answerer([&](QWidget *modal) {
            QTest::qWait(50);
            picture = Screenshot::save(modal, QStringLiteral("move-file"));
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QVERIFY(!dialog.start(source, destination, 1));
        QVERIFY(answerer.answered());
        QVERIFY(!picture.isEmpty());
        QCOMPARE(read(source), content(1000000));
        QCOMPARE(read(destination), QByteArray("the older lesson"));
        QCOMPARE(entries(path(QStringLiteral("Backup"))), QStringList{"lesson.avi"});
        QVERIFY(boxes.shown().isEmpty());
    }

    // The same file reached by another path is neither truncated nor, when moved, removed.
    void sameFileByAnotherPath_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("copy") << 0;
        QTest::newRow("move") << 1;
    }
    void sameFileByAnotherPath()
    {
        QFETCH(int, mode);
        const QString source = path(QStringLiteral("Pictures/photo.jpg"));
        write(source, "the only copy");
        QVERIFY(QFile::link(path(QStringLiteral("Pictures")), path(QStringLiteral("Alias"))));
        MessageBoxScript boxes;
        MoveFileDialog dialog;
        QVERIFY(dialog.start(source, path(QStringLiteral("Alias/photo.jpg")), mode));
        QCOMPARE(read(source), QByteArray("the only copy"));
    }

    // A read that fails ends the copy with the reason; nothing unread is written.
    void failedReadEndsTheCopy()
    {
        const QString destination = path(QStringLiteral("memory.bin"));
        write(destination, "kept");
        MessageBoxScript boxes;
        MoveFileDialog dialog;
        dialog.setStepInterval(0);
        // Reading a process's memory at address 0 fails with an input/output error.
        QVERIFY(!dialog.start(QStringLiteral("/proc/self/mem"), destination, 0));
        QCOMPARE(boxes.lastText(), QStringLiteral("Copy file failed"));
        QVERIFY(!boxes.shown().last().informativeText.isEmpty());
        QCOMPARE(read(destination), QByteArray("kept"));
        QCOMPARE(entries(m_dir->path()), QStringList{"memory.bin"});
    }

    // A full disk fails the copy (while writing, or only when the last bytes are flushed): the move keeps
    // its source, the old destination stays and no partial copy is left.
    void fullDiskKeepsEverything_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("fails while writing") << qint64(200 * 1024);
        QTest::newRow("fails on the last flush") << qint64(10 * 1024);
    }
    void fullDiskKeepsEverything()
    {
        QFETCH(qint64, size);
        const QString small = path(QStringLiteral("Small"));
        QVERIFY(QDir().mkpath(small));
        PrivateMount disk = PrivateMount::smallDisk(small, 64 * 1024);
        if (!disk.isMounted())
            return;
        const QString destination = small + QStringLiteral("/lesson.avi");
        write(destination, "the older lesson");
        // Leave a few KiB free, less than either copy needs.
        QFile filler(small + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'f')) == 4096 && filler.flush()) {}
        filler.close();
        QFile::resize(filler.fileName(), filler.size() - 8 * 1024);
        const QString source = path(QStringLiteral("lesson.avi"));
        write(source, content(size));

        MessageBoxScript boxes;
        MoveFileDialog dialog;
        dialog.setStepInterval(0);
        const bool moved = dialog.start(source, destination, 1);
        const QByteArray left = read(destination);
        const QStringList names = entries(small);
        disk.unmount();
        QVERIFY(!moved);
        QCOMPARE(boxes.lastText(), QStringLiteral("Move Copy file failed"));
        QCOMPARE(read(source), content(size));
        QCOMPARE(left, QByteArray("the older lesson"));
        QCOMPARE(names, (QStringList{"filler", "lesson.avi"}));
    }
};

QUILLO_TEST_MAIN_PRIVATE_MOUNTS(TestMoveFileDialog)
#include "tst_MoveFileDialog.moc"
