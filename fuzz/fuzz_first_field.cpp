// The first-field rule over any bytes: it never fails, and the field is the exact piece of the
// text the rule describes.
#include "FuzzCheck.h"
#include "store/Cp1252Codec.h"
#include "store/Store.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString field = Store::firstFieldOf(bytes);
    const QString text = Cp1252Codec::decode(bytes);

    FUZZ_CHECK(field.size() <= text.size());
    FUZZ_CHECK(!field.contains(QLatin1Char('\r')) && !field.contains(QLatin1Char('\n')));
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == QLatin1Char(' '))
        ++start;
    const bool quoted = start < text.size() && text.at(start) == QLatin1Char('"');
    if (quoted) {
        ++start;
        FUZZ_CHECK(!field.contains(QLatin1Char('"')));
    } else {
        FUZZ_CHECK(!field.contains(QLatin1Char(',')));
    }
    // The field is the text from its start up to a stop character (or the end).
    FUZZ_CHECK(QStringView(text).mid(start, field.size()) == field);
    const qsizetype end = start + field.size();
    if (end < text.size()) {
        const QChar stop = text.at(end);
        FUZZ_CHECK(stop == QLatin1Char('\r') || stop == QLatin1Char('\n')
                   || stop == QLatin1Char(quoted ? '"' : ','));
    }
    return 0;
}
