// The whole-file line rule over any bytes, checked against a plain re-statement of it, and
// stable: reading what a read produced changes nothing.
#include "FuzzCheck.h"
#include "store/Cp1252Codec.h"
#include "store/Store.h"

#include <cstddef>
#include <cstdint>

namespace {

// CR LF or a lone CR end a line, a lone LF stays in it, every line gets CR LF.
QByteArray lines(const QByteArray &bytes)
{
    QByteArray out;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) != '\r')
            continue;
        out += bytes.mid(lineStart, i - lineStart) + "\r\n";
        if (i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < bytes.size())
        out += bytes.mid(lineStart) + "\r\n";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString whole = Store::wholeTextOf(bytes);

    FUZZ_CHECK(whole.isEmpty() == bytes.isEmpty());
    FUZZ_CHECK(whole.isEmpty() || whole.endsWith(QLatin1String("\r\n")));
    QByteArray encoded;
    FUZZ_CHECK(Cp1252Codec::encode(whole, &encoded));
    FUZZ_CHECK(encoded == lines(bytes));
    FUZZ_CHECK(Store::wholeTextOf(encoded) == whole);
    return 0;
}
