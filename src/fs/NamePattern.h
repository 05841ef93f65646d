#pragma once

#include <QRegularExpression>
#include <QString>

#include <cstddef>

// A listing's wildcard pattern ("*.ms3"), matched as a shared Windows drive does: the
// extension without regard to case. The usual "*.ext" form is also matched on a name's raw
// bytes, so a name the system reports costs no string unless it may be listed: a stranger's
// rename loop must cost next to nothing.
class NamePattern
{
public:
    explicit NamePattern(const QString &pattern = QStringLiteral("*.msg"));

    QString text() const { return m_text; }
    bool matches(const QString &name) const;
    // The same answer for a name in the system's encoding.
    bool matches(const char *name, std::size_t length) const;

private:
    QString m_text;
    // "*.ext" with an ASCII extension: compared byte by byte, ASCII case folded.
    QByteArray m_asciiSuffix;
    bool m_plainExtension = false;
    QRegularExpression m_wildcard;
};
