#include "Cp1252Codec.h"

#include <QHash>

namespace Cp1252Codec {

namespace {

// 0x80..0x9F; the undefined bytes keep the C1 control of the same value.
constexpr char16_t High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t unicodeOf(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? High[byte - 0x80] : char16_t(byte);
}

const QHash<char16_t, char> &reverseHigh()
{
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        for (int i = 0; i < 32; ++i)
            t.insert(High[i], char(0x80 + i));
        return t;
    }();
    return table;
}

// Bytes outside 0x80..0x9F are the Unicode code point of the same value.
bool isDirect(char16_t u)
{
    return u < 0x80 || (u >= 0xA0 && u <= 0xFF);
}

} // namespace

QString decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(unicodeOf(static_cast<unsigned char>(byte)));
    return text;
}

bool encode(const QString &text, QByteArray *out, QChar *unencodable)
{
    out->resize(text.size());
    char *dst = out->data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (isDirect(u)) {
            *dst++ = char(u);
            continue;
        }
        const auto found = reverseHigh().constFind(u);
        if (found == reverseHigh().constEnd()) {
            if (unencodable)
                *unencodable = c;
            return false;
        }
        *dst++ = found.value();
    }
    return true;
}

qsizetype firstUnencodable(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (!isDirect(u) && !reverseHigh().contains(u))
            return i;
    }
    return -1;
}

char32_t codePointAt(const QString &text, qsizetype position)
{
    const QChar c = text.at(position);
    if (c.isHighSurrogate() && position + 1 < text.size() && text.at(position + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(position + 1));
    return c.unicode();
}

} // namespace Cp1252Codec
