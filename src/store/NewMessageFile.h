#pragma once

#include "StoreResult.h"

#include <QString>

// A message written as a new file, never over one that is there: the text of a viewer whose
// message someone else changed or took away meanwhile. It gets its old name when that is
// free, else the first free "name (n).ext" beside it: the rule by which a move puts back a
// save that landed during it.
namespace Store {

// The name fileName would get in folder now: itself when free, else the first free
// alternative. Case-blind shares are asked by the server's own rule (a look-up there finds
// either spelling).
QString freeMessageName(const QString &folder, const QString &fileName);

// Whole-text write of text as a new file in folder under fileName or the first free
// alternative; writtenName gets the name used. A name taken between the look and the write
// moves on to the next one.
StoreResult writeNewMessage(const QString &folder, const QString &fileName, const QString &text,
                            QString *writtenName);

} // namespace Store
