// The codec: every byte string decodes and encodes back to itself; any text either encodes to
// bytes that decode back to it, or is refused naming a character that really has no byte.
#include "FuzzCheck.h"
#include "store/Cp1252Codec.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString decoded = Cp1252Codec::decode(bytes);
    FUZZ_CHECK(decoded.size() == bytes.size());
    QByteArray encoded;
    FUZZ_CHECK(Cp1252Codec::encode(decoded, &encoded));
    FUZZ_CHECK(encoded == bytes);
    FUZZ_CHECK(Cp1252Codec::firstUnencodable(decoded) == -1);

    // The same bytes read as UTF-16 text, as a text box could hold it.
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, size_t(text.size()) * sizeof(QChar));
    QByteArray out;
    QChar bad;
    const qsizetype first = Cp1252Codec::firstUnencodable(text);
    if (Cp1252Codec::encode(text, &out, &bad)) {
        FUZZ_CHECK(first == -1);
        FUZZ_CHECK(out.size() == text.size());
        FUZZ_CHECK(Cp1252Codec::decode(out) == text);
    } else {
        FUZZ_CHECK(first >= 0 && first < text.size());
        FUZZ_CHECK(text.at(first) == bad);
        QByteArray single;
        FUZZ_CHECK(!Cp1252Codec::encode(QString(bad), &single));
        const char32_t code = Cp1252Codec::codePointAt(text, first);
        FUZZ_CHECK(code == bad.unicode() || (bad.isHighSurrogate() && code >= 0x10000));
    }
    return 0;
}
