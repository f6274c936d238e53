#include "TestEnvironment.h"
#include "ui_DeleteFolderDialog.h"
#include "ui_DeleteInfoDialog.h"
#include "ui_MediaInfoModifiedPanel.h"
#include "ui_MediaLibSaveResult.h"
#include "ui_MediaLibrary.h"

#include <QAbstractButton>

namespace {

const QStringList kResources{
    QStringLiteral(":/Image/pics/close.png"),
    QStringLiteral(":/Image/pics/close-pressed.png"),
    QStringLiteral(":/Image/pics/backArrow.png"),
    QStringLiteral(":/Image/pics/upload_queue.png"),
    QStringLiteral(":/Image/pics/MediaLib/search.png"),
    QStringLiteral(":/Image/pics/MediaLib/new_folder.png"),
    QStringLiteral(":/Image/pics/MediaLib/resizeBottom.png"),
    QStringLiteral(":/Image/pics/MediaLib/check.png"),
    QStringLiteral(":/Image/pics/MediaLib/unchecked.png"),
    QStringLiteral(":/Image/pics/MediaLib/dropbox.png"),
    QStringLiteral(":/Image/pics/MediaLib/facebook.png"),
    QStringLiteral(":/Image/pics/MediaLib/picasa.png"),
    QStringLiteral(":/Image/pics/MediaLib/schooltube.png"),
    QStringLiteral(":/Image/pics/MediaLib/twitpic.png"),
    QStringLiteral(":/Image/pics/MediaLib/youtube.png"),
};

// Whether the icon is drawn from a picture that loaded.
bool iconLoads(const QAbstractButton *button)
{
    return !button->icon().isNull() && !button->icon().pixmap(button->iconSize()).isNull();
}

// Row and column of a widget in its grid layout.
QPoint cell(const QGridLayout *grid, QWidget *widget)
{
    const int index = grid->indexOf(widget);
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
    if (index >= 0)
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    return QPoint(column, row);
}

} // namespace

class TestMediaLibraryForms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyPictureLoads_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &path : kResources)
            QTest::newRow(qPrintable(path)) << path;
    }
    void everyPictureLoads()
    {
        QFETCH(QString, path);
        QVERIFY(!QImage(path).isNull());
    }

    void browserPanel()
    {
        QWidget panel;
        Ui::MediaLibrary form;
        form.setupUi(&panel);
        QCOMPARE(panel.objectName(), QStringLiteral("MediaLibrary"));
        QCOMPARE(panel.size(), QSize(260, 440));
        QVERIFY(panel.hasMouseTracking());
        QCOMPARE(panel.windowTitle(), QStringLiteral("Form"));
        QVERIFY(panel.styleSheet().contains(QStringLiteral("border-top-right-radius: 12px")));
        QCOMPARE(form.lineEdit->geometry(), QRect(10, 20, 181, 22));
        QCOMPARE(form.lineEdit->focusPolicy(), Qt::ClickFocus);
        QCOMPARE(form.lineEdit->font().pointSize(), 10);
        QCOMPARE(form.searchButton->geometry(), QRect(190, 20, 31, 23));
        QCOMPARE(form.closeBtn->geometry(), QRect(235, 5, 20, 20));
        QCOMPARE(form.preBtn->geometry(), QRect(10, 50, 20, 16));
        QCOMPARE(form.currentFolder->geometry(), QRect(40, 50, 150, 16));
        QCOMPARE(form.currentFolder->maximumSize(), QSize(15000, 16));
        QCOMPARE(form.currentFolder->text(), QStringLiteral("Folder"));
        QCOMPARE(form.currentFolder->font().pointSize(), 12);
        QCOMPARE(form.switchBtn->geometry(), QRect(210, 50, 40, 16));
        QCOMPARE(form.switchBtn->text(), QStringLiteral("View"));
        QCOMPARE(form.tableView->geometry(), QRect(12, 80, 233, 334));
        QCOMPARE(form.addFolderBtn->geometry(), QRect(10, 418, 30, 20));
        QCOMPARE(form.addFolderBtn->iconSize(), QSize(20, 20));
        QCOMPARE(form.uploadManagerBtn->geometry(), QRect(42, 418, 30, 20));
        QCOMPARE(form.uploadManagerBtn->iconSize(), QSize(22, 22));
        QCOMPARE(form.resizeBottom->geometry(), QRect(240, 420, 20, 20));
        QVERIFY(form.resizeBottom->hasScaledContents());
        QVERIFY(!form.resizeBottom->pixmap().isNull());
        for (QAbstractButton *button :
             {static_cast<QAbstractButton *>(form.searchButton), static_cast<QAbstractButton *>(form.closeBtn),
              static_cast<QAbstractButton *>(form.preBtn), static_cast<QAbstractButton *>(form.addFolderBtn),
              static_cast<QAbstractButton *>(form.uploadManagerBtn)})
            QVERIFY2(iconLoads(button), qPrintable(button->objectName()));

        form.lineEdit->setText(QStringLiteral("sea"));
        form.currentFolder->setText(QStringLiteral("Trip"));
        form.retranslateUi(&panel);
        QCOMPARE(form.lineEdit->text(), QString());
        QCOMPARE(form.currentFolder->text(), QStringLiteral("Folder"));
    }

    void deleteConfirmation()
    {
        QDialog dialog;
        Ui::DeleteInfoDialog form;
        form.setupUi(&dialog);
        QCOMPARE(dialog.objectName(), QStringLiteral("DeleteInfoDialog"));
        QCOMPARE(dialog.size(), QSize(258, 497));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Delete Information"));
        QVERIFY(!form.okButton->isEnabled());
        QCOMPARE(form.okButton->text(), QStringLiteral("OK"));
        QCOMPARE(form.label_4->text(), QStringLiteral(" contains: "));
        QCOMPARE(form.gridLayout->contentsMargins(), QMargins(20, 10, 20, 20));
        QCOMPARE(form.gridLayout->horizontalSpacing(), 8);
        QCOMPARE(form.gridLayout_2->itemAtPosition(0, 0)->layout(), form.gridLayout);
        const QList<std::pair<QWidget *, int>> rows{{form.label_4, 1},    {form.checkBox, 2},   {form.line, 3},
                                                    {form.checkBox_2, 5}, {form.line_2, 6},     {form.checkBox_4, 8},
                                                    {form.line_3, 9},     {form.checkBox_3, 11}};
        for (const auto &[widget, row] : rows)
            QCOMPARE(cell(form.gridLayout, widget), QPoint(0, row));
        for (QCheckBox *box : {form.checkBox, form.checkBox_2, form.checkBox_4, form.checkBox_3}) {
            QVERIFY(!box->isChecked());
            QVERIFY(!box->isTristate());
        }
        QCOMPARE(form.checkBox_3->text(), QStringLiteral("Do you want to remove link?"));
        QCOMPARE(form.checkBox_4->text(), QStringLiteral("Do you want to delete?"));
    }

    void deleteProgress()
    {
        QDialog dialog;
        Ui::DeleteFolderDialog form;
        form.setupUi(&dialog);
        QCOMPARE(dialog.objectName(), QStringLiteral("DeleteFolderDialog"));
        QCOMPARE(dialog.size(), QSize(400, 146));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        QCOMPARE(form.statusLabel->text(), QStringLiteral("TextLabel"));
        QCOMPARE(form.progressBar->value(), 24);
        QCOMPARE(cell(form.gridLayout, form.statusLabel), QPoint(0, 0));
        QCOMPARE(cell(form.gridLayout_2, form.progressBar), QPoint(0, 1));
    }

    void saveResult()
    {
        QDialog dialog;
        Ui::MediaLibSaveResult form;
        form.setupUi(&dialog);
        QCOMPARE(dialog.objectName(), QStringLiteral("MediaLibSaveResult"));
        // Window-modal first, then not modal, which is what stays.
        QCOMPARE(dialog.windowModality(), Qt::NonModal);
        QVERIFY(!dialog.isModal());
        QVERIFY(!dialog.isSizeGripEnabled());
        QCOMPARE(dialog.minimumSize(), QSize(367, 290));
        QCOMPARE(dialog.maximumSize(), QSize(367, 290));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Save result"));
        QCOMPARE(form.closeBtn->geometry(), QRect(340, 0, 20, 20));
        QVERIFY(iconLoads(form.closeBtn));
        QVERIFY(!form.closeBtn->icon().pixmap(QSize(20, 20), QIcon::Normal, QIcon::On).isNull());
        QVERIFY(form.strFileLocation->isReadOnly());
        QCOMPARE(form.strFileLocation->toPlainText(), QStringLiteral("C:/folder"));
        QCOMPARE(form.strFileLocation->palette().color(QPalette::Disabled, QPalette::Base), QColor(236, 233, 216));
        QCOMPARE(form.strPubPlace->text(), QStringLiteral("Your video is now published. Check to view."));
        QCOMPARE(form.strAvilible->text(), QStringLiteral("Your file is now available under Media Library or at"));
        QCOMPARE(form.strFailed->text(), QStringLiteral("Files failed to export to Website."));
        const QList<std::tuple<QPushButton *, QPushButton *, QPoint>> services{
            {form.btnDropBox, form.dropBoxFailed, {0, 0}}, {form.btnFacebook, form.faceBookFailed, {1, 0}},
            {form.btnPicasa, form.picasaFailed, {2, 0}},   {form.btnSchoolTube, form.schoolTubeFailed, {0, 1}},
            {form.btnYouTube, form.youTubeFailed, {1, 1}}, {form.twitpicBtn, form.twitpicFailed, {2, 1}}};
        for (const auto &[link, mark, where] : services) {
            QCOMPARE(cell(form.gridLayout, link), where);
            QCOMPARE(cell(form.gridLayout_2, mark), where);
            for (QPushButton *button : {link, mark}) {
                QCOMPARE(button->minimumSize(), QSize(95, 27));
                QCOMPARE(button->maximumSize(), QSize(95, 27));
                QVERIFY(button->isFlat() && !button->autoDefault());
                QCOMPARE(button->iconSize(), QSize(80, 80));
                QVERIFY2(iconLoads(button), qPrintable(button->objectName()));
            }
        }
        // Each is made the default in turn; a dialog keeps one, the last.
        QVERIFY(form.twitpicFailed->isDefault());
    }

    void informationDialog()
    {
        QDialog dialog;
        Ui::MediaInfoModifiedPanel form;
        form.setupUi(&dialog);
        QCOMPARE(dialog.objectName(), QStringLiteral("MediaInfoModifiedPanel"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Save/Publish video"));
        QCOMPARE(dialog.minimumSize(), QSize(513, 400));
        QCOMPARE(dialog.maximumSize(), QSize(513, 400));
        // Not modal first, then modal, which makes it application-modal.
        QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
        QVERIFY(dialog.isModal());
        QVERIFY(!dialog.isSizeGripEnabled());
        // Whatever it holds, it keeps its size.
        form.descriptionTextBox->setText(QString(500, QLatin1Char('w')));
        dialog.adjustSize();
        QCOMPARE(dialog.size(), QSize(513, 400));

        QCOMPARE(form.informationLabel->text(), QStringLiteral("Information"));
        QCOMPARE(form.publishSettingLabel->text(), QStringLiteral("Publish Setting"));
        QCOMPARE(form.label->text(), QStringLiteral("Publish at"));
        QCOMPARE(form.fileNameLabel->font().family(), QStringLiteral("Calibri"));
        QCOMPARE(form.fileNameLabel->font().pointSize(), 12);
        for (QLineEdit *edit : {form.lineEdit_fileName, form.lineEdit_auth_name, form.lineEdit_title,
                                form.lineEdit_keyword, form.descriptionTextBox}) {
            QCOMPARE(edit->styleSheet(), QStringLiteral("background-color: rgb(224,224,224);"));
            QCOMPARE(edit->font().family(), QStringLiteral("Calibri"));
        }
        QCOMPARE(form.lineEdit_fileName->minimumSize(), QSize(154, 22));
        QCOMPARE(form.descriptionTextBox->maximumSize(), QSize(394, 22));
        QCOMPARE(form.uploadTimeEdit->displayFormat(), QStringLiteral("hh:mm A"));
        QCOMPARE(form.uploadDateEdit->displayFormat(), QStringLiteral("MM/dd/yyyy"));
        QVERIFY(form.uploadDateEdit->calendarPopup());
        QCOMPARE(form.uploadDateEdit->minimumWidth(), 105);
        QCOMPARE(form.uploadDateEdit->maximumWidth(), 98);
        QCOMPARE(form.cancelBtn->text(), QStringLiteral("Cancel"));
        QCOMPARE(form.pushButton_trashCan->text(), QStringLiteral("Delete"));
        QCOMPARE(form.pushButton_save->text(), QStringLiteral("Save"));
        QVERIFY(form.pushButton_save->isDefault());
        QCOMPARE(cell(form.gridLayout_2, form.cancelBtn), QPoint(1, 5));
        QCOMPARE(cell(form.gridLayout_2, form.pushButton_save), QPoint(3, 5));

        // Facebook starts disabled, the others enabled; the same picture shows in every state.
        QVERIFY(!form.btnFacebook->isEnabled());
        for (EnlargePushButton *button : {form.btnDropBox, form.btnTwitpic, form.btnPicasa, form.btnYouTube})
            QVERIFY(button->isEnabled());
        QVERIFY(!form.btnFacebook->icon().pixmap(QSize(90, 30), QIcon::Disabled, QIcon::On).isNull());
        const QList<std::tuple<EnlargePushButton *, QCheckBox *, QHBoxLayout *>> services{
            {form.btnFacebook, form.checkBox_Facebook, form.horizontalLayout_4},
            {form.btnDropBox, form.checkBox_DropBox, form.horizontalLayout_2},
            {form.btnTwitpic, form.checkBox_Twitter, form.horizontalLayout_3},
            {form.btnPicasa, form.checkBox_Picasa, form.horizontalLayout_5},
            {form.btnYouTube, form.checkBox_YouTube, form.horizontalLayout}};
        for (const auto &[button, box, row] : services) {
            QCOMPARE(row->indexOf(button), 0);
            QCOMPARE(row->indexOf(box), 1);
            QCOMPARE(row->spacing(), 3);
            QCOMPARE(button->minimumSize(), QSize(100, 30));
            QCOMPARE(button->iconSize(), QSize(90, 30));
            QVERIFY(button->isFlat() && !button->autoDefault());
            QVERIFY2(iconLoads(button), qPrintable(button->objectName()));
            QCOMPARE(box->minimumSize(), QSize(20, 20));
            QVERIFY(!box->isChecked());
            QVERIFY(box->styleSheet().contains(QStringLiteral("url(:/Image/pics/MediaLib/check.png)")));
            QVERIFY(box->styleSheet().contains(QStringLiteral("url(:/Image/pics/MediaLib/unchecked.png)")));
        }
        // Facebook, Dropbox, Twitpic in the first row; Picasa, YouTube in the second.
        QCOMPARE(form.gridLayout->indexOf(form.horizontalLayout_4), 0);
        QCOMPARE(form.gridLayout->indexOf(form.horizontalLayout), 4);
    }
};

QUILLO_TEST_MAIN(TestMediaLibraryForms)
#include "tst_MediaLibraryForms.moc"
