#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TextPanel;
}

// The option strip of the text tool: font family, size, bold, italic, underline and colour. It reads the
// text tool's font and colour from the annotation service once, when it is made, and sends every change
// straight back.
class TextPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TextPanel(QWidget *parent = nullptr);
    ~TextPanel() override;

public Q_SLOTS:
    void fontEditingFinished();
    void fontFamilyChanged(const QFont &font);
    void sizeEditingFinished();
    void fontSizeChanged(int index);
    void boldBtnClicked(bool bold);
    void italicBtnClicked(bool italic);
    void underlineBtnClicked(bool underline);
    void fontColorChanged(const QColor &color);

private:
    void showSize(int size);

    std::unique_ptr<Ui::TextPanel> ui;
};
