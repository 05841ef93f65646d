#pragma once

#include <QList>
#include <QString>

// One of the seven fixed user slots and the names of its files.
struct Slot
{
    QString listEntry; // "Default", "User 1" .. "User 6"
    QString slotCode; // "d", "1" .. "6"
    QString prefix; // account-file prefix: "d", "msg", "pp", "pp2", "44", "r5", "i6"
    QString passwordFile; // "" for the default user, which has none
    QString userNameFile; // prefix + "u.kfl"
    QString fullNameFile; // prefix + "f.kfl"
    QString extensionLetter; // "g", "1" .. "6"
    QString messageExtension; // ".msg", ".ms1" .. ".ms6"
    QString filePattern; // "*.msg", "*.ms1" .. "*.ms6"
};

// The slot table. The prefixes are irregular, so this is a fixed table, not a rule.
namespace SlotTable {

const QList<Slot> &all();

// Exact, case-sensitive lookups; nullptr when nothing matches.
const Slot *byListEntry(const QString &listEntry);
const Slot *bySlotCode(const QString &slotCode);
// By a message extension (".ms3") or a file name ending in one; the extension is matched
// without regard to case, as listings match it. nullptr for other names.
const Slot *byExtension(const QString &extensionOrFileName);

const Slot &defaultSlot();

// The slot a code stands for: "1".."6" their slot, any other text the default user.
const Slot &forSlotCode(const QString &slotCode);

} // namespace SlotTable

inline constexpr const char *LastLoginFile = "us.kfl";
inline constexpr const char *RunAtStartupFile = "st.kfl";
