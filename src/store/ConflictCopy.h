#pragma once

#include <QString>

// The copies a sync engine keeps when two sites saved one file before hearing of each other.
// Syncthing keeps the later save under the name and the other beside it as
// "name.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.ext": the extension stays last, so the copy is
// listed and counted like any message, and nothing is lost.
namespace Store {

// True when fileName is such a copy; original (when given) gets the name it is a copy of.
bool isConflictCopy(const QString &fileName, QString *original = nullptr);

} // namespace Store
