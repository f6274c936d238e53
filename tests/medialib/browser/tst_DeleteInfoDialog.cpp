#include "DeleteInfoDialog.h"
#include "DialogWatchdog.h"
#include "ModalAnswerer.h"
#include "Screenshot.h"
#include "TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <optional>

namespace {

QCheckBox *box(const DeleteInfoDialog &dialog, const QString &name)
{
    auto *found = dialog.findChild<QCheckBox *>(name);
    if (!found)
        qFatal("no check box %s", qPrintable(name));
    return found;
}

QPushButton *okButton(const DeleteInfoDialog &dialog)
{
    return dialog.findChild<QPushButton *>(QStringLiteral("okButton"));
}

struct Counts
{
    int uploading = 0;
    int nonMedia = 0;
    int hidden = 0;
    int uploadedBefore = 0;
    int readOnly = 0;
    int total = 0;
};

void fill(DeleteInfoDialog &dialog, const Counts &c, const QString &name = QStringLiteral("Trip"))
{
    dialog.setCounts(name, c.uploading, c.nonMedia, c.hidden, c.uploadedBefore, c.readOnly, c.total);
}

const QStringList kBoxes = {"checkBox", "checkBox_2", "checkBox_3", "checkBox_4"};

QStringList enabledBoxes(const DeleteInfoDialog &dialog)
{
    QStringList enabled;
    for (const QString &name : kBoxes) {
        if (box(dialog, name)->isEnabled())
            enabled.append(name);
    }
    return enabled;
}

} // namespace

Q_DECLARE_METATYPE(Counts)

class TestDeleteInfoDialog : public QObject
{
    Q_OBJECT

private:
    std::optional<DialogWatchdog> m_watchdog;

private Q_SLOTS:
    void init() { m_watchdog.emplace(); }
    void cleanup() { m_watchdog.reset(); }

    void countTexts_data()
    {
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<QString>("uploading");
        QTest::addColumn<QString>("special");
        QTest::addColumn<QString>("uploaded");
        QTest::addColumn<QString>("readOnly");
        QTest::addColumn<QString>("label");
        QTest::newRow("plural uploading, singular zero and one") << Counts{2, 0, 1, 0, 0, 7} << "2 uploading files.\n"
                                                                 << "0 non-Media file.\n1 hidden Media file\n"
                                                                 << "0 media files uploaded before.\n"
                                                                 << "0 read-only file.\n"
                                                                 << "\"Trip\" contains:  7 files";
        QTest::newRow("plural everywhere") << Counts{3, 2, 4, 5, 6, 30} << "3 uploading files.\n"
                                           << "2 non-Media files.\n4 hidden Media files\n"
                                           << "5 media files uploaded before.\n"
                                           << "6 read-only files.\n"
                                           << "\"Trip\" contains:  30 files";
        QTest::newRow("uploaded before has one form, total one") << Counts{0, 0, 0, 1, 1, 1} << "0 uploading file.\n"
                                                                 << "0 non-Media file.\n0 hidden Media file\n"
                                                                 << "1 media files uploaded before.\n"
                                                                 << "1 read-only file.\n"
                                                                 << "\"Trip\" contains:  1 file";
        QTest::newRow("total zero is singular") << Counts{} << "0 uploading file.\n"
                                                << "0 non-Media file.\n0 hidden Media file\n"
                                                << "0 media files uploaded before.\n"
                                                << "0 read-only file.\n"
                                                << "\"Trip\" contains:  0 file";
    }
    void countTexts()
    {
        QFETCH(Counts, counts);
        QFETCH(QString, uploading);
        QFETCH(QString, special);
        QFETCH(QString, uploaded);
        QFETCH(QString, readOnly);
        DeleteInfoDialog dialog;
        fill(dialog, counts);
        const QString ask = QStringLiteral("Do you want to delete?");
        QCOMPARE(box(dialog, "checkBox")->text(), uploading + ask);
        QCOMPARE(box(dialog, "checkBox_2")->text(), special + ask);
        QCOMPARE(box(dialog, "checkBox_3")->text(), uploaded + QStringLiteral("Do you want to remove link?"));
        QCOMPARE(box(dialog, "checkBox_4")->text(), readOnly + ask);
        QTEST(dialog.findChild<QLabel *>(QStringLiteral("label_4"))->text(), "label");
    }

    void folderPathUsesNativeSeparators()
    {
        DeleteInfoDialog dialog;
        dialog.setCounts(QStringLiteral("Term/Week 1"), 0, 0, 0, 0, 0, 2);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("label_4"))->text(),
                 QStringLiteral("\"Term%1Week 1\" contains:  2 files").arg(QDir::separator()));
    }

    // Each group present needs its tick; the online-copies box never holds OK back.
    void okNeedsEveryPresentGroupTicked_data()
    {
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<bool>("okEnabled");
        const Counts uploadingAndHidden{2, 0, 1, 0, 0, 7};
        const QStringList both{"checkBox", "checkBox_2"};
        QTest::newRow("nothing ticked") << uploadingAndHidden << both << QStringList{} << false;
        QTest::newRow("one of two") << uploadingAndHidden << both << QStringList{"checkBox"} << false;
        QTest::newRow("both") << uploadingAndHidden << both << both << true;
        QTest::newRow("ticked then unticked")
            << uploadingAndHidden << both << QStringList{"checkBox", "checkBox_2", "checkBox"} << false;
        QTest::newRow("read-only alone") << Counts{0, 0, 0, 0, 2, 2} << QStringList{"checkBox_4"} << QStringList{}
                                         << false;
        QTest::newRow("read-only ticked")
            << Counts{0, 0, 0, 0, 2, 2} << QStringList{"checkBox_4"} << QStringList{"checkBox_4"} << true;
        QTest::newRow("uploaded before needs no tick")
            << Counts{0, 0, 0, 3, 0, 3} << QStringList{"checkBox_3"} << QStringList{} << true;
        QTest::newRow("links box does not stand in for a delete tick")
            << Counts{0, 1, 0, 3, 0, 4} << QStringList{"checkBox_2", "checkBox_3"} << QStringList{"checkBox_3"}
            << false;
    }
    void okNeedsEveryPresentGroupTicked()
    {
        QFETCH(Counts, counts);
        QFETCH(QStringList, ticks);
        DeleteInfoDialog dialog;
        fill(dialog, counts);
        QTEST(enabledBoxes(dialog), "enabled");
        for (const QString &name : ticks)
            QTest::mouseClick(box(dialog, name), Qt::LeftButton, {}, QPoint(4, box(dialog, name)->height() / 2));
        QTEST(okButton(dialog)->isEnabled(), "okEnabled");
        QCOMPARE(dialog.removeLinks(), ticks.count(QStringLiteral("checkBox_3")) % 2 == 1);
    }

    // Only OK confirms; the title bar's close button and Escape decline, also once every tick is given.
    void onlyOkConfirms_data()
    {
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<QString>("closing");
        QTest::addColumn<bool>("confirmed");
        const Counts onlyUploadedBefore{0, 0, 0, 3, 0, 3};
        const Counts readOnly{0, 0, 0, 2, 1, 3};
        QTest::newRow("ok, nothing to tick") << onlyUploadedBefore << "ok" << true;
        QTest::newRow("close, nothing to tick") << onlyUploadedBefore << "close" << false;
        QTest::newRow("escape, nothing to tick") << onlyUploadedBefore << "escape" << false;
        QTest::newRow("ok after ticks") << readOnly << "ok" << true;
        QTest::newRow("close after ticks") << readOnly << "close" << false;
        QTest::newRow("escape after ticks") << readOnly << "escape" << false;
    }
    void onlyOkConfirms()
    {
        QFETCH(Counts, counts);
        QFETCH(QString, closing);
        DeleteInfoDialog dialog;
        fill(dialog, counts);
        ModalAnswerer answerer([&](QWidget *modal) {
            for (const QString &name : kBoxes) {
                QCheckBox *each = box(dialog, name);
                if (each->isEnabled())
                    QTest::mouseClick(each, Qt::LeftButton, {}, QPoint(4, each->height() / 2));
            }
            if (closing == QLatin1String("ok"))
                QTest::mouseClick(okButton(dialog), Qt::LeftButton);
            else if (closing == QLatin1String("close"))
                modal->close();
            else
                QTest::keyClick(modal, Qt::Key_Escape);
        });
        dialog.exec();
        QVERIFY(answerer.answered());
        QVERIFY(!dialog.isVisible());
        QTEST(dialog.deleteConfirmed(), "confirmed");
        // The links answer is read only when the deletion goes ahead, so it may keep the tick.
        QVERIFY(dialog.removeLinks());
    }

    void looksClean()
    {
        DeleteInfoDialog dialog;
        fill(dialog, Counts{2, 1, 3, 4, 1, 27}, QStringLiteral("Science/Week 3"));
        box(dialog, "checkBox")->click();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!Screenshot::save(&dialog, QStringLiteral("delete-info")).isEmpty());
    }
};

QUILLO_TEST_MAIN(TestDeleteInfoDialog)
#include "tst_DeleteInfoDialog.moc"
