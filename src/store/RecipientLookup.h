#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct Slot;

// A recipient named the way a person or a script names one: a list entry ("Default",
// "User 1" .. "User 6"), or a slot's user name or full name as its account files hold them
// (read as everywhere, by the guarded read, so "Smith, Ann" is "Smith"). Exact and
// case-sensitive. The list entries are fixed and always win; a name must belong to one slot.
struct RecipientLookup
{
    enum class Outcome { Found, Unknown, Ambiguous };

    Outcome outcome = Outcome::Unknown;
    const Slot *slot = nullptr; // for Found
    QStringList matches; // for Ambiguous: the list entries of the slots the name belongs to
    // Every text that names exactly one slot: the list entries, then the names, each as
    // name + " (" + list entry + ")", for a message that tells what would have worked.
    QStringList choices;

    static RecipientLookup find(const QString &dataFolder, const QString &text);
};
