#include "TextPanel.h"

#include "AnnotationImpl.h"
#include "FontSizeValidator.h"
#include "ui_TextPanel.h"

#include <QFontDatabase>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {
// Point sizes a typed size is held to; two digits fit the editor.
constexpr int kMinPointSize = 1;
constexpr int kMaxPointSize = 99;
constexpr int kSizeDigits = 2;
} // namespace

TextPanel::TextPanel(QWidget *parent)
    : QWidget(parent, Qt::WindowFlags())
    , ui(std::make_unique<Ui::TextPanel>())
{
    ui->setupUi(this);
    if (!ui->fontComboBox->validator() && ui->fontComboBox->lineEdit())
        connect(ui->fontComboBox->lineEdit(), &QLineEdit::editingFinished, this, &TextPanel::fontEditingFinished);
    const QList<int> sizes = QFontDatabase::standardSizes();
    for (int size : sizes)
        ui->sizeComboBox->addItem(QString::number(size));
    if (QLineEdit *sizeEditor = ui->sizeComboBox->lineEdit()) {
        sizeEditor->setValidator(new FontSizeValidator(kMinPointSize, kMaxPointSize, sizeEditor));
        sizeEditor->setMaxLength(kSizeDigits);
        connect(sizeEditor, &QLineEdit::editingFinished, this, &TextPanel::sizeEditingFinished);
    }
    if (AnnotationIntf *service = AnnotationImpl::getInstance()) {
        const QFont font = service->textFont();
        ui->fontComboBox->setCurrentFont(font);
        showSize(font.pointSize());
        ui->boldBtn->setChecked(font.bold());
        ui->italicBtn->setChecked(font.italic());
        ui->underlineBtn->setChecked(font.underline());
        ui->colorCube->setCurrentColor(service->textColor());
    }
    // The box announces a new current font for every key typed into its editor; a family reaches the service
    // only once an entry of the list is chosen.
    connect(ui->fontComboBox, &QComboBox::currentIndexChanged, this,
            [this] { fontFamilyChanged(ui->fontComboBox->currentFont()); });
    connect(ui->sizeComboBox, &QComboBox::currentIndexChanged, this, &TextPanel::fontSizeChanged);
    connect(ui->boldBtn, &QPushButton::clicked, this, &TextPanel::boldBtnClicked);
    connect(ui->italicBtn, &QPushButton::clicked, this, &TextPanel::italicBtnClicked);
    connect(ui->underlineBtn, &QPushButton::clicked, this, &TextPanel::underlineBtnClicked);
    connect(ui->colorCube, &ColorCube::colorChanged, this, &TextPanel::fontColorChanged);
}

TextPanel::~TextPanel() = default;

void TextPanel::fontFamilyChanged(const QFont &font)
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->setTextFamily(font.family());
}

void TextPanel::fontEditingFinished()
{
    QFontComboBox *box = ui->fontComboBox;
    const QString typed = box->lineEdit()->text();
    if (box->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return;
    // A family only reaches the service by being chosen; a name matching none shows the chosen one again.
    if (box->currentIndex() >= 0)
        box->lineEdit()->setText(box->itemText(box->currentIndex()));
}

// The list's current entry is the size in use, or none when that size is not listed: a current entry left
// on another size would show that size once picked, and picking it would change nothing.
void TextPanel::showSize(int size)
{
    const QSignalBlocker quiet(ui->sizeComboBox);
    const QString text = QString::number(size);
    ui->sizeComboBox->setCurrentIndex(ui->sizeComboBox->findText(text));
    ui->sizeComboBox->setEditText(text);
}

void TextPanel::fontSizeChanged(int index)
{
    AnnotationIntf *service = AnnotationImpl::getInstance();
    const QList<int> sizes = QFontDatabase::standardSizes();
    // No entry means a typed size, which its editing sends.
    if (!service || index < 0 || index >= sizes.size())
        return;
    service->setTextPointSize(sizes.at(index));
}

void TextPanel::sizeEditingFinished()
{
    bool isNumber = false;
    const int size = ui->sizeComboBox->currentText().toInt(&isNumber);
    if (!isNumber)
        return;
    const int sent = qBound(kMinPointSize, size, kMaxPointSize);
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->setTextPointSize(sent);
    showSize(sent);
}

void TextPanel::boldBtnClicked(bool bold)
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->setTextBold(bold);
}

void TextPanel::italicBtnClicked(bool italic)
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->setTextItalic(italic);
}

void TextPanel::underlineBtnClicked(bool underline)
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->setTextUnderline(underline);
}

void TextPanel::fontColorChanged(const QColor &color)
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->setTextColor(color);
}
