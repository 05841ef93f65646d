#include "RecipientLookup.h"

#include "SlotTable.h"
#include "Store.h"
#include "fs/PathFunctions.h"

#include <QMap>

RecipientLookup RecipientLookup::find(const QString &dataFolder, const QString &text)
{
    RecipientLookup lookup;
    // Every name of every slot, with the owning it belongs to (a slot's user name may equal its
    // full name: that is still one slot).
    QMap<QString, QList<const Slot *>> owners;
    QStringList names; // in slot order, as the choices are listed
    for (const Slot &slot : SlotTable::all()) {
        lookup.choices.append(slot.listEntry);
        for (const QString &file : { slot.userNameFile, slot.fullNameFile }) {
            const QString name = Store::guardedRead(AddBackslash(dataFolder) + file, QString());
            if (name.isEmpty() || SlotTable::byListEntry(name))
                continue;
            QList<const Slot *> &owning = owners[name];
            if (owning.contains(&slot))
                continue;
            if (owning.isEmpty())
                names.append(name);
            owning.append(&slot);
        }
    }
    for (const QString &name : names) {
        const QList<const Slot *> &owning = owners.value(name);
        if (owning.size() == 1)
            lookup.choices.append(name + QStringLiteral(" (") + owning.first()->listEntry
                                  + QLatin1Char(')'));
    }

    if (const Slot *listed = SlotTable::byListEntry(text)) {
        lookup.outcome = Outcome::Found;
        lookup.slot = listed;
        return lookup;
    }
    const QList<const Slot *> owning = owners.value(text);
    if (owning.size() == 1) {
        lookup.outcome = Outcome::Found;
        lookup.slot = owning.first();
    } else if (owning.size() > 1) {
        lookup.outcome = Outcome::Ambiguous;
        for (const Slot *slot : owning)
            lookup.matches.append(slot->listEntry);
    }
    return lookup;
}
