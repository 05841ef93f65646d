#include "MessageFileName.h"

#include "SlotTable.h"

namespace {

bool isUserCode(const QString &code)
{
    return code.size() == 1 && code.at(0) >= QLatin1Char('1') && code.at(0) <= QLatin1Char('6');
}

} // namespace

QString messageFileName(const QString &name, const QString &slotCode)
{
    return name + QStringLiteral(".ms") + (isUserCode(slotCode) ? slotCode : QStringLiteral("g"));
}

QString completeMessageName(const QString &typedName, const QString &slotCode)
{
    if (isUserCode(slotCode))
        return typedName + QStringLiteral(".ms") + slotCode;
    if (slotCode == QLatin1String("d") || slotCode.isEmpty())
        return typedName + QStringLiteral(".msg");
    return typedName;
}

bool isUnsafeMessageName(const QString &name)
{
    // A leading dot also covers "." and "..": such a file is hidden from every listing, so
    // the message would be reported as sent and never be seen.
    return name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')) || name.contains(QChar(0));
}
