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

} // namespace Cp1252Codec
