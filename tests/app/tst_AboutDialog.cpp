#include "AboutDialog.h"
#include "DialogWatchdog.h"
#include "FormChild.h"
#include "ModalAnswerer.h"
#include "Screenshot.h"
#include "TestEnvironment.h"

#include <QLabel>
#include <QTextEdit>

class TestAboutDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesTheProgramAndItsVersion()
    {
        AboutDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About Quillo"));
        QCOMPARE(formChild<QLabel>(dialog, "label_2")->text(), QStringLiteral("Quillo"));
        QCOMPARE(formChild<QLabel>(dialog, "versionLabel")->text(), QStringLiteral("Version " QUILLO_VERSION));
        QVERIFY(!formChild<QLabel>(dialog, "label")->pixmap().isNull());
        QVERIFY(formChild<QLabel>(dialog, "label_4")->text().contains(QStringLiteral("Quillo")));
    }

    // The program's licence, then every library it links with that library's licence, in one paragraph each.
    void noticeNamesEachLicence_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("licence");
        QTest::newRow("Quillo") << QStringLiteral("Quillo is free software") << QStringLiteral("GPL-3.0-or-later");
        QTest::newRow("Qt") << QStringLiteral("Qt 6") << QStringLiteral("LGPL version 3");
        QTest::newRow("FFmpeg") << QStringLiteral("FFmpeg") << QStringLiteral("LGPL version 2.1 or later");
        QTest::newRow("XviD") << QStringLiteral("XviD") << QStringLiteral("GPL version 2 or later");
        QTest::newRow("PulseAudio") << QStringLiteral("PulseAudio") << QStringLiteral("LGPL version 2.1 or later");
        QTest::newRow("libv4l2") << QStringLiteral("libv4l2") << QStringLiteral("LGPL version 2.1 or later");
        QTest::newRow("libudev") << QStringLiteral("libudev") << QStringLiteral("LGPL version 2.1 or later");
        QTest::newRow("X11") << QStringLiteral("libX11, libXfixes") << QStringLiteral("MIT/X11");
        QTest::newRow("SQLite") << QStringLiteral("SQLite") << QStringLiteral("public domain");
        QTest::newRow("GStreamer") << QStringLiteral("GStreamer, under Qt Multimedia")
                                   << QStringLiteral("LGPL version 2.1 or later");
    }

    void noticeNamesEachLicence()
    {
        QFETCH(QString, name);
        QFETCH(QString, licence);
        AboutDialog dialog;
        const QStringList paragraphs = formChild<QTextEdit>(dialog, "textEdit")->toPlainText().split(QLatin1Char('\n'));
        bool found = false;
        for (const QString &paragraph : paragraphs)
            found = found || (paragraph.contains(name) && paragraph.contains(licence));
        QVERIFY2(found, qPrintable(name));
    }

    void noticeCanBeSelectedNotEdited()
    {
        AboutDialog dialog;
        dialog.show();
        auto *notice = formChild<QTextEdit>(dialog, "textEdit");
        const QString before = notice->toPlainText();
        QVERIFY(notice->isReadOnly());
        QVERIFY(notice->textInteractionFlags() & Qt::TextSelectableByMouse);
        notice->setFocus();
        QTest::keyClicks(notice, QStringLiteral("typed"));
        QCOMPARE(notice->toPlainText(), before);
        notice->selectAll();
        QVERIFY(notice->textCursor().hasSelection());
    }

    void fixedSizeAndOnlyACloseButton()
    {
        AboutDialog dialog;
        dialog.show();
        dialog.resize(640, 800);
        QCOMPARE(dialog.size(), QSize(300, 400));
        const Qt::WindowFlags flags = dialog.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags
                  & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint)));
        QVERIFY(!Screenshot::save(&dialog, QStringLiteral("about")).isEmpty());
    }

    // As the window's menu runs it: modally, until it is closed.
    void runsModallyUntilClosed()
    {
        DialogWatchdog watchdog;
        ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
        AboutDialog dialog;
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(answerer.answered());
    }
};

QUILLO_TEST_MAIN(TestAboutDialog)
#include "tst_AboutDialog.moc"
