#include "FormChild.h"
#include "TestEnvironment.h"

#include "AnnotationImpl.h"
#include "ColorCube.h"
#include "FontSizeValidator.h"
#include "TextPanel.h"

#include <QFontComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>

namespace {

AnnotationIntf *service()
{
    return AnnotationImpl::getInstance();
}

void typeAndConfirm(QLineEdit *editor, const QString &text)
{
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}

} // namespace

class TestTextPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void sizeValidator_data();
    void sizeValidator();
    void loadsFontAndColourWithoutSending();
    void sizeEditorNeverEmpties();
    void typedSizeIsSentAsItStands();
    void listedSizeIsSentWhenChosen();
    void unknownFamilyIsShownBackAndNotSent();
    void chosenFamilyIsSent();
    void styleButtonsShowTheFontAndSendTheirState_data();
    void styleButtonsShowTheFontAndSendTheirState();
    void theListNeverShowsASizeNotInUse_data();
    void theListNeverShowsASizeNotInUse();
    void colourIsSentWithItsOwnAlpha();
};

void TestTextPanel::cleanup()
{
    service()->release();
}

void TestTextPanel::sizeValidator_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("state");
    QTest::newRow("empty") << "" << int(QValidator::Invalid);
    QTest::newRow("zero") << "0" << int(QValidator::Invalid);
    QTest::newRow("zeros") << "00" << int(QValidator::Invalid);
    QTest::newRow("no number") << "ab" << int(QValidator::Invalid);
    QTest::newRow("negative") << "-5" << int(QValidator::Invalid);
    QTest::newRow("smallest") << "1" << int(QValidator::Acceptable);
    QTest::newRow("not a listed size") << "13" << int(QValidator::Acceptable);
    QTest::newRow("largest") << "99" << int(QValidator::Acceptable);
    QTest::newRow("too large") << "100" << int(QValidator::Invalid);
}

void TestTextPanel::sizeValidator()
{
    QFETCH(QString, input);
    QFETCH(int, state);
    FontSizeValidator validator(1, 99);
    int position = input.size();
    QCOMPARE(int(validator.validate(input, position)), state);
}

void TestTextPanel::loadsFontAndColourWithoutSending()
{
    QFontComboBox families;
    families.setFontFilters(QFontComboBox::ScalableFonts);
    QVERIFY(families.count() > 1);
    const QString family = families.itemText(1);
    service()->setTextFamily(family);
    service()->setTextPointSize(37);
    service()->setTextColor(QColor(0, 25, 255, 90));

    TextPanel panel;
    QCOMPARE(formChild<QFontComboBox>(panel, "fontComboBox")->currentFont().family(), family);
    auto *sizes = formChild<QComboBox>(panel, "sizeComboBox");
    QCOMPARE(sizes->currentText(), QStringLiteral("37"));
    // 37 is not a standard size: no entry of the list stands for it.
    QCOMPARE(sizes->currentIndex(), -1);
    QCOMPARE(sizes->count(), QFontDatabase::standardSizes().size());
    QCOMPARE(formChild<ColorCube>(panel, "colorCube")->currentColor(), QColor(0, 25, 255, 90));
    QCOMPARE(service()->textFont().pointSize(), 37);
    QCOMPARE(service()->textFont().family(), family);
}

void TestTextPanel::sizeEditorNeverEmpties()
{
    TextPanel panel;
    QLineEdit *editor = formChild<QComboBox>(panel, "sizeComboBox")->lineEdit();
    editor->setText(QStringLiteral("8"));
    editor->end(false);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(editor->text(), QStringLiteral("8"));
    // Nor may it become 0, nor take a third digit.
    editor->setText(QStringLiteral("10"));
    editor->end(false);
    QTest::keyClick(editor, Qt::Key_Left);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(editor->text(), QStringLiteral("10"));
    editor->end(false);
    QTest::keyClick(editor, Qt::Key_5);
    QCOMPARE(editor->text(), QStringLiteral("10"));
}

void TestTextPanel::typedSizeIsSentAsItStands()
{
    TextPanel panel;
    auto *sizes = formChild<QComboBox>(panel, "sizeComboBox");
    const int entries = sizes->count();
    typeAndConfirm(sizes->lineEdit(), QStringLiteral("13"));
    QCOMPARE(service()->textFont().pointSize(), 13);
    QCOMPARE(sizes->count(), entries);
    typeAndConfirm(sizes->lineEdit(), QStringLiteral("99"));
    QCOMPARE(service()->textFont().pointSize(), 99);
}

void TestTextPanel::listedSizeIsSentWhenChosen()
{
    TextPanel panel;
    auto *sizes = formChild<QComboBox>(panel, "sizeComboBox");
    const QList<int> standard = QFontDatabase::standardSizes();
    sizes->setCurrentIndex(5);
    QCOMPARE(service()->textFont().pointSize(), standard.at(5));
    // Choosing the entry that is already current changes nothing, so nothing is sent.
    service()->setTextPointSize(41);
    sizes->setCurrentIndex(5);
    QCOMPARE(service()->textFont().pointSize(), 41);
}

void TestTextPanel::unknownFamilyIsShownBackAndNotSent()
{
    TextPanel panel;
    auto *families = formChild<QFontComboBox>(panel, "fontComboBox");
    const QString sent = service()->textFont().family();
    const QString shown = families->itemText(families->currentIndex());
    typeAndConfirm(families->lineEdit(), QStringLiteral("No Such Family Anywhere"));
    QCOMPARE(families->lineEdit()->text(), shown);
    QCOMPARE(service()->textFont().family(), sent);
}

void TestTextPanel::chosenFamilyIsSent()
{
    TextPanel panel;
    auto *families = formChild<QFontComboBox>(panel, "fontComboBox");
    const int other = families->currentIndex() == 0 ? 1 : 0;
    families->setCurrentIndex(other);
    QCOMPARE(service()->textFont().family(), families->itemText(other));
}

void TestTextPanel::styleButtonsShowTheFontAndSendTheirState_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("styled");
    for (const char *button : {"boldBtn", "italicBtn", "underlineBtn"}) {
        QTest::addRow("%s on", button) << button << true;
        QTest::addRow("%s off", button) << button << false;
    }
}

void TestTextPanel::styleButtonsShowTheFontAndSendTheirState()
{
    QFETCH(QString, button);
    QFETCH(bool, styled);
    const auto fontStyled = [&button]() {
        const QFont font = service()->textFont();
        return button == QLatin1String("boldBtn")     ? font.bold()
               : button == QLatin1String("italicBtn") ? font.italic()
                                                      : font.underline();
    };
    // The other two styles the other way round, so that a button showing a neighbour's style is caught.
    service()->setTextBold(styled != (button != QLatin1String("boldBtn")));
    service()->setTextItalic(styled != (button != QLatin1String("italicBtn")));
    service()->setTextUnderline(styled != (button != QLatin1String("underlineBtn")));
    QCOMPARE(fontStyled(), styled);
    TextPanel panel;
    auto *toggle = panel.findChild<QPushButton *>(button);
    QCOMPARE(toggle->isChecked(), styled);
    QCOMPARE(fontStyled(), styled);
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(fontStyled(), !styled);
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(fontStyled(), styled);
}

void TestTextPanel::theListNeverShowsASizeNotInUse_data()
{
    QTest::addColumn<int>("loaded");
    // Typed into the editor after loading; empty for none.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("inUse");
    QTest::newRow("loaded, listed") << 20 << QString() << 20;
    QTest::newRow("loaded, not listed") << 37 << QString() << 37;
    QTest::newRow("typed, not listed") << 6 << "13" << 13;
    QTest::newRow("typed, listed") << 6 << "48" << 48;
    QTest::newRow("typed over a listed size, not listed") << 20 << "15" << 15;
}

void TestTextPanel::theListNeverShowsASizeNotInUse()
{
    QFETCH(int, loaded);
    QFETCH(QString, typed);
    QFETCH(int, inUse);
    service()->setTextPointSize(loaded);
    TextPanel panel;
    auto *sizes = formChild<QComboBox>(panel, "sizeComboBox");
    if (!typed.isEmpty())
        typeAndConfirm(sizes->lineEdit(), typed);
    QCOMPARE(service()->textFont().pointSize(), inUse);
    QCOMPARE(sizes->currentText(), QString::number(inUse));
    QCOMPARE(sizes->currentIndex(), sizes->findText(QString::number(inUse)));

    // Whichever entry is picked now is what the text gets, the first one included.
    const QList<int> standard = QFontDatabase::standardSizes();
    for (int entry : {0, int(standard.size()) - 1}) {
        if (standard.at(entry) == inUse)
            continue;
        sizes->setCurrentIndex(entry);
        QCOMPARE(service()->textFont().pointSize(), standard.at(entry));
        QCOMPARE(sizes->currentText(), QString::number(standard.at(entry)));
    }
}

void TestTextPanel::colourIsSentWithItsOwnAlpha()
{
    TextPanel panel;
    formChild<ColorCube>(panel, "colorCube")->setCurrentColor(QColor(1, 131, 255, 40));
    QCOMPARE(service()->textColor(), QColor(1, 131, 255, 40));
}

QUILLO_TEST_MAIN(TestTextPanel)
#include "tst_TextPanel.moc"
