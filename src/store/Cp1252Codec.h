#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252 through a table of our own: the five undefined bytes (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 controls of the same value, so every byte 0x00..0xFF survives a read
// and a write unchanged.
namespace Cp1252Codec {

QString decode(const QByteArray &bytes);

// Encodes text. When a character has no Windows-1252 byte, returns false, puts that first
// character into *unencodable (when given) and leaves *out unspecified.
bool encode(const QString &text, QByteArray *out, QChar *unencodable = nullptr);

// The position of the first character that has no Windows-1252 byte, or -1 when none.
qsizetype firstUnencodable(const QString &text);

// The whole character at position (both halves of a surrogate pair), for a message naming it.
char32_t codePointAt(const QString &text, qsizetype position);

} // namespace Cp1252Codec
