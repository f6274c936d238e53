#pragma once

#include <QByteArrayView>

// Qt's INI reader turns a value, or an item of a list value, that reads "@Variant(" once its escapes are
// undone into a QVariant decoded from the bytes that follow, of whatever type they name. The program stores
// only times that way; any other type is damage, and handing it to Qt's reader is not safe: a damaged count
// inside a stored list makes it ask for gigabytes.
//
// The file is read here the way Qt's reader reads it (its logical lines, quotes, escapes and list items), so
// that a variant hidden behind an escape ("\x40Variant(") is found, and text that merely contains
// "@Variant(" inside a string value the program wrote is not taken for one.
class StoredVariantGuard
{
public:
    static bool holdsForeignVariant(QByteArrayView content);
};
