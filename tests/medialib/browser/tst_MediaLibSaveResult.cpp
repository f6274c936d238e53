#include "DialogWatchdog.h"
#include "MediaImpl.h"
#include "MediaLibSaveResult.h"
#include "ModalAnswerer.h"
#include "Screenshot.h"
#include "TestEnvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include <optional>

namespace {

QPushButton *button(const MediaLibSaveResult &dialog, const char *name)
{
    auto *found = dialog.findChild<QPushButton *>(QLatin1String(name));
    if (!found)
        qFatal("no button %s", name);
    return found;
}

const char *const kLinks[] = {"btnDropBox", "btnFacebook", "btnPicasa", "btnSchoolTube", "btnYouTube", "twitpicBtn"};
const char *const kMarks[] = {"dropBoxFailed",    "faceBookFailed", "picasaFailed",
                              "schoolTubeFailed", "youTubeFailed",  "twitpicFailed"};

QStringList shown(const MediaLibSaveResult &dialog, const char *const (&names)[6])
{
    QStringList visible;
    for (const char *name : names) {
        if (!button(dialog, name)->isHidden())
            visible.append(QLatin1String(name));
    }
    return visible;
}

} // namespace

class TestMediaLibSaveResult : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;

private Q_SLOTS:
    void init()
    {
        m_watchdog.emplace();
        TestEnvironment::clearOpenedUrls();
    }
    void cleanup() { m_watchdog.reset(); }

    void pathAndNoLinksForAnUnpublishedFile()
    {
        auto *media = new MediaImpl(QStringLiteral("/home/teacher/Media Library/Lesson.avi"));
        MediaLibSaveResult dialog;
        dialog.setMedia(media);
        media->release();
        QCOMPARE(dialog.findChild<QTextEdit *>(QStringLiteral("strFileLocation"))->toPlainText(),
                 QStringLiteral("/home/teacher/Media Library/Lesson.avi"));
        QVERIFY(shown(dialog, kLinks).isEmpty());
        QVERIFY(shown(dialog, kMarks).isEmpty());
        QVERIFY(dialog.findChild<QLabel *>(QStringLiteral("strFailed"))->isHidden());
    }

    void failureMarks_data()
    {
        QTest::addColumn<QList<uint>>("codes");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("one known, one unknown") << QList<uint>{2, 64} << QStringList{"faceBookFailed"};
        QTest::newRow("unknown only") << QList<uint>{64} << QStringList{};
        QTest::newRow("schooltube and youtube")
            << QList<uint>{32, 1} << QStringList{"schoolTubeFailed", "youTubeFailed"};
        QTest::newRow("all") << QList<uint>{16, 8, 4, 2, 1, 32}
                             << QStringList{kMarks[0], kMarks[1], kMarks[2], kMarks[3], kMarks[4], kMarks[5]};
    }
    void failureMarks()
    {
        QFETCH(QList<uint>, codes);
        QFETCH(QStringList, marks);
        MediaLibSaveResult dialog;
        dialog.setMedia(nullptr);
        dialog.setFailedServices(codes);
        QCOMPARE(shown(dialog, kMarks), marks);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("strFailed"))->isHidden(), marks.isEmpty());
    }

    void linksShowAndOpenTheirPages()
    {
        auto *media = new MediaImpl(QStringLiteral("/media/lesson.avi"));
        const QUrl twitpic(QStringLiteral("https://pics.example/p?id=1&s=2"));
        const QUrl schooltube(QStringLiteral("https://school.example/v/5"));
        media->setTwitpicUrl(twitpic);
        media->setSchooltubeUrl(schooltube);
        MediaLibSaveResult dialog;
        dialog.setMedia(media);
        // The addresses stay with the dialog once the record is given back.
        media->release();
        QCOMPARE(shown(dialog, kLinks), (QStringList{"btnSchoolTube", "twitpicBtn"}));
        QCOMPARE(button(dialog, "twitpicBtn")->toolTip(), twitpic.toString());
        button(dialog, "twitpicBtn")->click();
        button(dialog, "btnSchoolTube")->click();
        dialog.onClickFacebook();
        QCOMPARE(TestEnvironment::openedUrls(), (QList<QUrl>{twitpic, schooltube}));
    }

    void closeAccepts()
    {
        // Run as its owner runs it, modally; the close button ends the loop with the acceptance code.
        MediaLibSaveResult dialog;
        ModalAnswerer answerer([&dialog](QWidget *) { button(dialog, "closeBtn")->click(); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(answerer.answered());
        QVERIFY(!dialog.isVisible());
    }

    void screenshotWithResults()
    {
        auto *media = new MediaImpl(QStringLiteral("/home/teacher/Documents/Quillo/Media Library/Waves and tides.avi"));
        media->setYoutubeUrl(QUrl(QStringLiteral("https://video.example/watch?v=1")));
        media->setDropboxUrl(QUrl(QStringLiteral("https://files.example/s/1")));
        MediaLibSaveResult dialog;
        dialog.setMedia(media);
        media->release();
        dialog.setFailedServices({2});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!Screenshot::save(&dialog, QStringLiteral("save-result")).isEmpty());
    }
};

QUILLO_TEST_MAIN(TestMediaLibSaveResult)
#include "tst_MediaLibSaveResult.moc"
