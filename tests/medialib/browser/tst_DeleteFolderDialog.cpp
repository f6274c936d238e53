#include "DeleteFolderDialog.h"
#include "DialogWatchdog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "UploadAccess.h"
#include "UploadFake.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using IdMap = QMap<uint, QString>;

class TestDeleteFolderDialog : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;

    QString makeFile(const QString &relative, QFile::Permissions mode = {})
    {
        const QString path = TestMedia::writeFile(m_root + QLatin1Char('/') + relative, "media");
        if (mode)
            QFile::setPermissions(path, mode);
        return path;
    }
    QString makeLink(const QString &target, const QString &relative)
    {
        const QString path = m_root + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!QFile::link(target, path))
            qFatal("cannot link %s", qPrintable(path));
        return path;
    }
    void writeIds(const QString &path, const QString &youtubeId)
    {
        MediaFileStore::getInstance()->makeCacheFolder(QFileInfo(path).absolutePath());
        MediaImpl record(path);
        record.setYoutubeID(youtubeId);
        MediaFileStore::getInstance()->writeInfo(&record);
    }
    // Hidden entries, a link to a folder outside the tree (returned, holding keep.jpg), a link back to the
    // tree's top and a broken link.
    QString makeTreeWithLinks()
    {
        makeFile(QStringLiteral(".hidden"));
        makeFile(QStringLiteral(".secret/inner.jpg"));
        makeFile(QStringLiteral("a/b/deep.jpg"));
        const QString outside = m_dir->path() + QStringLiteral("/Outside");
        QDir().mkpath(outside);
        QFile(outside + QStringLiteral("/keep.jpg")).open(QIODevice::WriteOnly);
        makeLink(outside, QStringLiteral("toOutside"));
        makeLink(m_root, QStringLiteral("a/loop"));
        makeLink(m_dir->path() + QStringLiteral("/gone"), QStringLiteral("broken"));
        return outside;
    }
    static QProgressBar *bar(const DeleteFolderDialog &dialog)
    {
        return dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"));
    }

private Q_SLOTS:
    void init()
    {
        m_watchdog.emplace();
        m_dir = std::make_unique<QTemporaryDir>(TestEnvironment::home() + QStringLiteral("/Media-XXXXXX"));
        m_root = m_dir->path() + QStringLiteral("/Trip");
        QDir().mkpath(m_root);
        MediaFileStore::getInstance()->setPlayingVideo(QString());
    }
    void cleanup()
    {
        MediaFileStore::getInstance()->setPlayingVideo(QString());
        m_dir.reset();
        m_watchdog.reset();
    }

    // Links are counted as entries and never followed: the outside folder's files and a loop back to the
    // tree's own top add one each.
    void countEntries()
    {
        QCOMPARE(DeleteFolderDialog::countEntries(m_root), 0);
        QCOMPARE(DeleteFolderDialog::countEntries(m_root + QStringLiteral("/missing")), 0);
        const QString outside = makeTreeWithLinks();
        // .hidden, .secret, inner.jpg, a, b, deep.jpg, toOutside, loop, broken
        QCOMPARE(DeleteFolderDialog::countEntries(m_root), 9);
        QCOMPARE(DeleteFolderDialog::countEntries(m_root + QStringLiteral("/toOutside")), 0);
    }

    void deletesWholeTreeButNothingBehindLinks()
    {
        const QString outside = makeTreeWithLinks();
        makeFile(QStringLiteral("a/locked.jpg"), QFile::ReadOwner);

        MessageBoxScript boxes;
        DeleteFolderDialog dialog;
        QVERIFY(dialog.deleteFolder(m_root, false));
        QVERIFY(!QFileInfo(m_root).exists() && !QFileInfo(m_root).isSymLink());
        QVERIFY(QFile::exists(outside + QStringLiteral("/keep.jpg")));
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(bar(dialog)->maximum(), 10);
        QCOMPARE(bar(dialog)->value(), 10);
    }

    void folderThatIsNotThereCountsAsDeleted()
    {
        MessageBoxScript boxes;
        DeleteFolderDialog dialog;
        QVERIFY(dialog.deleteFolder(m_root + QStringLiteral("/missing"), true));
        QVERIFY(boxes.shown().isEmpty());
    }

    // The store refuses the playing video: it stays with its folders, the rest goes, the user is told
    // once more that the folder is still there. The read-only file next to it gets its owner's read and
    // write added, not a mode that only others may use.
    void refusedFileKeepsItsFolders()
    {
        const QString playing = makeFile(QStringLiteral("videos/lesson.avi"), QFile::ReadOwner);
        const QString other = makeFile(QStringLiteral("videos/other.jpg"));
        MediaFileStore::getInstance()->setPlayingVideo(playing);

        MessageBoxScript boxes;
        DeleteFolderDialog dialog;
        QVERIFY(!dialog.deleteFolder(m_root, false));
        QVERIFY(QFile::exists(playing));
        QVERIFY(!QFile::exists(other));
        // The owner, group and other bits; the "user" ones restate whichever applies to the test's user.
        const int modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                             | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
                             | QFile::ExeOther;
        QCOMPARE(QFile::permissions(playing).toInt() & modeBits, int(QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(boxes.shown().size(), 2);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Remove failed"));
        QCOMPARE(boxes.shown().last().title, QStringLiteral("Delete Folder"));
        QCOMPARE(boxes.lastText(), QStringLiteral("Cannot remove this folder"));
        QCOMPARE(bar(dialog)->value(), bar(dialog)->maximum());
    }

    // Online copies are withdrawn only for files that are gone, and only when asked for.
    void onlineCopiesFollowTheLocalRemoval_data()
    {
        QTest::addColumn<bool>("removeLinks");
        QTest::addColumn<bool>("serviceBound");
        QTest::addColumn<QList<IdMap>>("withdrawn");
        QTest::newRow("asked") << true << true << QList<IdMap>{IdMap{{MediaImpl::SERVICE_YOUTUBE, "Y-gone"}}};
        QTest::newRow("not asked") << false << true << QList<IdMap>{};
        QTest::newRow("no service") << true << false << QList<IdMap>{};
    }
    void onlineCopiesFollowTheLocalRemoval()
    {
        QFETCH(bool, removeLinks);
        QFETCH(bool, serviceBound);
        const QString gone = makeFile(QStringLiteral("gone.avi"));
        const QString kept = makeFile(QStringLiteral("kept.avi"));
        writeIds(gone, QStringLiteral("Y-gone"));
        writeIds(kept, QStringLiteral("Y-kept"));
        MediaFileStore::getInstance()->setPlayingVideo(kept);

        std::optional<UploadFake> upload;
        if (serviceBound)
            upload.emplace();
        MessageBoxScript boxes;
        DeleteFolderDialog dialog;
        QVERIFY(!dialog.deleteFolder(m_root, removeLinks));
        QVERIFY(!QFile::exists(gone));
        QList<IdMap> withdrawn;
        if (upload) {
            for (const CallRecorder::Call &call : upload->calls()) {
                if (call.name == QLatin1String("removeUploadedFiles"))
                    withdrawn.append(call.args.first().value<IdMap>());
            }
        }
        QTEST(withdrawn, "withdrawn");
        QCOMPARE(UploadAccess::service() != nullptr, serviceBound);
    }

    void longNamesAreCut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("status");
        const QString seventy(70, QLatin1Char('n'));
        QTest::newRow("short") << "Trip"
                               << "Delete Folder \"Trip\""
                               << "Delete \"Trip\"";
        QTest::newRow("70 characters") << seventy << "Delete Folder \"" + seventy.left(45) + "...\""
                                       << "Delete \"" + seventy.left(42) + "...\"";
    }
    void longNamesAreCut()
    {
        QFETCH(QString, name);
        const QString folder = m_dir->path() + QLatin1Char('/') + name;
        QDir().mkpath(folder);
        MessageBoxScript boxes;
        DeleteFolderDialog dialog;
        QVERIFY(dialog.deleteFolder(folder, false));
        QTEST(dialog.windowTitle(), "title");
        QTEST(dialog.findChild<QLabel *>(QStringLiteral("statusLabel"))->text(), "status");
    }

    // Escape or the close button before the deletion starts ends it: nothing is removed, then or later, and
    // no failure is reported for what the user called off.
    void dismissedBeforeTheStartRemovesNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("escape") << true;
        QTest::newRow("close button") << false;
    }
    void dismissedBeforeTheStartRemovesNothing()
    {
        QFETCH(bool, escape);
        const QString kept = makeFile(QStringLiteral("a/kept.jpg"));
        MessageBoxScript boxes;
        DeleteFolderDialog dialog;
        ModalAnswerer answerer([escape](QWidget *shown) {
            if (escape)
                QTest::keyClick(shown, Qt::Key_Escape);
            else
                shown->close();
        });
        QVERIFY(!dialog.deleteFolder(m_root, false));
        QVERIFY(answerer.answered());
        QTest::qWait(DeleteFolderDialog::kStartDelayMs * 2);
        QVERIFY(QFile::exists(kept));
        QVERIFY(boxes.shown().isEmpty());
    }

    void cannotBeClosedWhileDeleting()
    {
        const QString playing = makeFile(QStringLiteral("lesson.avi"));
        makeFile(QStringLiteral("z.jpg"));
        MediaFileStore::getInstance()->setPlayingVideo(playing);
        DeleteFolderDialog dialog;
        bool stayedOpen = false;
        QString picture;
        // The store's refusal arrives half-way; the user tries Escape and the close button meanwhile.
        MessageBoxes::setResponder([&](const MessageBoxes::Request &request) {
            if (request.title == QLatin1String("Remove failed")) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
                dialog.close();
                stayedOpen = dialog.isVisible();
                picture = Screenshot::save(&dialog, QStringLiteral("delete-folder"));
            }
            return QMessageBox::Ok;
        });
        const bool deleted = dialog.deleteFolder(m_root, false);
        MessageBoxes::setResponder({});
        QVERIFY(!deleted);
        QVERIFY(stayedOpen);
        QVERIFY(!picture.isEmpty());
        QVERIFY(!QFile::exists(m_root + QStringLiteral("/z.jpg")));
    }
};

QUILLO_TEST_MAIN(TestDeleteFolderDialog)
#include "tst_DeleteFolderDialog.moc"
