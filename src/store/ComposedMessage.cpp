#include "ComposedMessage.h"

#include "SlotTable.h"
#include "Store.h"
#include "fs/PathFunctions.h"

#include <QLocale>

QString ComposedMessage::slotCode() const
{
    const Slot *listed = SlotTable::byListEntry(recipient);
    return listed ? listed->slotCode : SlotTable::defaultSlot().slotCode;
}

QString ComposedMessage::recipientFullName(const QString &dataFolder) const
{
    const Slot &slot = SlotTable::forSlotCode(slotCode());
    if (slot.slotCode == SlotTable::defaultSlot().slotCode)
        return QString();
    return Store::guardedRead(AddBackslash(dataFolder) + slot.fullNameFile, recipient);
}

QString ComposedMessage::content(const QString &fullName) const
{
    const QString crlf = QStringLiteral("\r\n");
    return time + QStringLiteral("  ") + date + QStringLiteral(" ") + crlf + QStringLiteral(" ")
        + crlf + QStringLiteral(" ") + crlf + QStringLiteral("Priority: ") + priority
        + QStringLiteral(" ") + crlf + QStringLiteral(" ") + crlf + QStringLiteral("To: ")
        + fullName + QStringLiteral(" ") + crlf + QStringLiteral("From: ") + sender
        + QStringLiteral(" ") + crlf + QStringLiteral(" ") + crlf + body;
}

QString ComposedMessage::timeText(const QTime &time)
{
    return QLocale::system().toString(time, QLocale::ShortFormat);
}

QString ComposedMessage::dateText(const QDate &date)
{
    return QLocale::system().toString(date, QLocale::ShortFormat);
}
