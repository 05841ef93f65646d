#include "NamePattern.h"

#include <QFile>

namespace {

bool isPlainExtension(const QString &pattern)
{
    return pattern.startsWith(QLatin1String("*.")) && pattern.indexOf(QLatin1Char('*'), 1) < 0
        && pattern.indexOf(QLatin1Char('?')) < 0 && pattern.indexOf(QLatin1Char('[')) < 0;
}

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

NamePattern::NamePattern(const QString &pattern)
    : m_text(pattern)
    , m_plainExtension(isPlainExtension(pattern))
{
    if (m_plainExtension) {
        if (isAscii(pattern))
            m_asciiSuffix = pattern.mid(1).toLatin1().toLower();
        return;
    }
    m_wildcard = QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                    QRegularExpression::CaseInsensitiveOption);
}

bool NamePattern::matches(const QString &name) const
{
    if (m_plainExtension) {
        const QStringView extension = QStringView(m_text).mid(1);
        return name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive);
    }
    return m_wildcard.match(name).hasMatch();
}

bool NamePattern::matches(const char *name, std::size_t length) const
{
    if (m_asciiSuffix.isEmpty())
        return matches(QFile::decodeName(QByteArray::fromRawData(name, qsizetype(length))));
    // An ASCII suffix is the same bytes in UTF-8 and in any other encoding Qt uses for names.
    const auto suffixLength = std::size_t(m_asciiSuffix.size());
    if (length <= suffixLength)
        return false;
    const char *tail = name + length - suffixLength;
    for (std::size_t i = 0; i < suffixLength; ++i) {
        if (foldAscii(tail[i]) != m_asciiSuffix.at(qsizetype(i)))
            return false;
    }
    return true;
}
