#include "SlotTable.h"

namespace SlotTable {

namespace {

Slot row(const char *listEntry, const char *code, const char *prefix, bool hasPassword,
         const char *letter)
{
    const QString p = QLatin1String(prefix);
    const QString ext = QStringLiteral(".ms") + QLatin1String(letter);
    return Slot { QLatin1String(listEntry),
                  QLatin1String(code),
                  p,
                  hasPassword ? p + QStringLiteral(".kfl") : QString(),
                  p + QStringLiteral("u.kfl"),
                  p + QStringLiteral("f.kfl"),
                  QLatin1String(letter),
                  ext,
                  QLatin1Char('*') + ext };
}

} // namespace

const QList<Slot> &all()
{
    static const QList<Slot> table = {
        row("Default", "d", "d", false, "g"), row("User 1", "1", "msg", true, "1"),
        row("User 2", "2", "pp", true, "2"),  row("User 3", "3", "pp2", true, "3"),
        row("User 4", "4", "44", true, "4"),  row("User 5", "5", "r5", true, "5"),
        row("User 6", "6", "i6", true, "6"),
    };
    return table;
}

const Slot *byListEntry(const QString &listEntry)
{
    for (const Slot &slot : all())
        if (slot.listEntry == listEntry)
            return &slot;
    return nullptr;
}

const Slot *bySlotCode(const QString &slotCode)
{
    for (const Slot &slot : all())
        if (slot.slotCode == slotCode)
            return &slot;
    return nullptr;
}

const Slot *byExtension(const QString &extensionOrFileName)
{
    for (const Slot &slot : all())
        if (extensionOrFileName.endsWith(slot.messageExtension, Qt::CaseInsensitive))
            return &slot;
    return nullptr;
}

const Slot &defaultSlot()
{
    return all().first();
}

const Slot &forSlotCode(const QString &slotCode)
{
    const Slot *slot = bySlotCode(slotCode);
    return slot ? *slot : defaultSlot();
}

} // namespace SlotTable
