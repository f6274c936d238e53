#pragma once

#include "SNResponse.h"

#include <QByteArray>

// A QtTest table of service answers handed to a provider's readers: each row names the reader, gives the
// answer's status, one header's value and the body, and what the reader should hand on.
class AnswerTable
{
public:
    // The columns reader (QString), status (int), header (QByteArray), body (QByteArray), expected (QString).
    static void addColumns();
    // The current row's answer, its header under that name.
    static SNResponse answer(const QByteArray &headerName);
};
