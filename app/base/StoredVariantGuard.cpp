#include "StoredVariantGuard.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace {

constexpr QStringView kVariant = u"@Variant(";
// QDataStream's big-endian type number of QTime, the only type the program stores.
constexpr char16_t kTimeTypeChars[] = {0, 0, 0, 15};
constexpr QStringView kTimeType(kTimeTypeChars, 4);

bool isIniSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

std::optional<char16_t> simpleEscape(char c)
{
    switch (c) {
    case 'a':
        return u'\a';
    case 'b':
        return u'\b';
    case 'f':
        return u'\f';
    case 'n':
        return u'\n';
    case 'r':
        return u'\r';
    case 't':
        return u'\t';
    case 'v':
        return u'\v';
    case '"':
    case '?':
    case '\'':
    case '\\':
        return char16_t(c);
    default:
        return std::nullopt;
    }
}

struct IniLine
{
    qsizetype start = 0;
    qsizetype end = 0;
    // The first '=' outside quotes, or -1.
    qsizetype equals = -1;
};

// The next logical line as Qt's reader splits the file: a newline inside quotes or after a backslash
// continues it, a ';' outside quotes ends it, and a line that starts with ';' is a comment.
IniLine nextLine(QByteArrayView data, qsizetype &pos)
{
    IniLine line;
    line.start = pos;
    while (line.start < data.size() && isIniSpace(data[line.start]))
        ++line.start;
    bool quoted = false;
    qsizetype i = line.start;
    while (i < data.size()) {
        const char c = data[i++];
        if (c == '=') {
            if (!quoted && line.equals < 0)
                line.equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == line.start + 1) {
                ++line.start;
            } else if (!quoted) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < data.size()) {
                const char escaped = data[i++];
                if (i < data.size()) {
                    const char after = data[i];
                    if ((escaped == '\n' && after == '\r') || (escaped == '\r' && after == '\n'))
                        ++i;
                }
            }
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ';') {
            if (i == line.start + 1) {
                while (i < data.size() && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < data.size() && isIniSpace(data[i]))
                    ++i;
                line.start = i;
            } else if (!quoted) {
                --i;
                break;
            }
        }
    }
    line.end = i;
    pos = i;
    return line;
}

bool isForeignVariant(QStringView itemStart)
{
    return itemStart.startsWith(kVariant) && itemStart.mid(kVariant.size()) != kTimeType;
}

// Undoes a value's escapes and quotes as Qt's reader does and looks at the start of each of its items;
// only "@Variant(" and the type number after it matter, so no more of an item is kept.
bool valueHoldsForeignVariant(QByteArrayView value)
{
    const qsizetype kept = kVariant.size() + kTimeType.size();
    QString item;
    const auto take = [&](char16_t c) {
        if (item.size() < kept)
            item.append(QChar(c));
    };
    const auto skipSpaces = [&](qsizetype &i) {
        while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
            ++i;
    };
    bool quoted = false;
    qsizetype i = 0;
    skipSpaces(i);
    while (i < value.size()) {
        const char c = value[i];
        if (c == '\\') {
            if (++i >= value.size())
                break;
            const char escaped = value[i++];
            if (const std::optional<char16_t> plain = simpleEscape(escaped)) {
                take(*plain);
            } else if (escaped == 'x') {
                // Without a digit after it, Qt's reader drops the escape.
                if (i < value.size() && isHexDigit(value[i])) {
                    char16_t code = 0;
                    while (i < value.size() && isHexDigit(value[i]))
                        code = char16_t((code << 4) + hexValue(value[i++]));
                    take(code);
                }
            } else if (isOctalDigit(escaped)) {
                char16_t code = char16_t(escaped - '0');
                while (i < value.size() && isOctalDigit(value[i]))
                    code = char16_t((code << 3) + (value[i++] - '0'));
                take(code);
            } else if (escaped == '\n' || escaped == '\r') {
                if (i < value.size() && (value[i] == '\n' || value[i] == '\r') && value[i] != escaped)
                    ++i;
            }
        } else if (c == '"') {
            ++i;
            quoted = !quoted;
            if (!quoted)
                skipSpaces(i);
        } else if (c == ',' && !quoted) {
            if (isForeignVariant(item))
                return true;
            item.clear();
            ++i;
            skipSpaces(i);
        } else {
            take(char16_t(uchar(c)));
            ++i;
        }
    }
    return isForeignVariant(item);
}

} // namespace

bool StoredVariantGuard::holdsForeignVariant(QByteArrayView content)
{
    // A file without the marker anywhere, escaped or not, is the common case: nothing to read closely.
    if (!content.contains('@') && !content.contains('\\'))
        return false;
    qsizetype pos = 0;
    while (pos < content.size()) {
        const IniLine line = nextLine(content, pos);
        if (line.equals >= 0 && valueHoldsForeignVariant(content.sliced(line.equals + 1, line.end - line.equals - 1)))
            return true;
    }
    return false;
}
