#include "FontSizeValidator.h"

FontSizeValidator::FontSizeValidator(int bottom, int top, QObject *parent)
    : QIntValidator(bottom, top, parent)
{
}

QValidator::State FontSizeValidator::validate(QString &input, int &pos) const
{
    if (input.isEmpty())
        return Invalid;
    // Text that is no number reads as 0.
    if (input.toInt() < bottom())
        return Invalid;
    return QIntValidator::validate(input, pos);
}
