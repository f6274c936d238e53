#pragma once

#include <QIntValidator>

// Guards the font size editor: besides the integer range, an empty text and a value below the bottom are
// refused outright, so the editor is never left empty or at 0.
class FontSizeValidator : public QIntValidator
{
    Q_OBJECT

public:
    FontSizeValidator(int bottom, int top, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
};
