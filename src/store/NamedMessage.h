#pragma once

#include "StoreResult.h"

#include <QString>

// A message written under a name the user typed. The name is refused when unsafe
// (isUnsafeMessageName) and otherwise completed with the slot's extension
// (completeMessageName) in the given folder. Compose, Save As and Rename all come here, so a
// typed name is judged and completed the same way wherever it is typed.
namespace Store {

// The path typedName gets in folder for slotCode; InvalidName, and no path, for an unsafe name.
StoreResult namedMessagePath(const QString &folder, const QString &typedName,
                             const QString &slotCode, QString *path);

// Whole-text write of text under the completed name (an existing file is replaced).
StoreResult writeNamedMessage(const QString &folder, const QString &typedName,
                              const QString &slotCode, const QString &text);

// The same as a new file (writeNewWholeText): a message left by a program never replaces one
// still waiting; a taken name gets "name (2)". writtenPath receives the path written.
StoreResult writeNewNamedMessage(const QString &folder, const QString &typedName,
                                 const QString &slotCode, const QString &text,
                                 QString *writtenPath);

// The browser's Rename: sourcePath moved to the completed name in folder (renameMessage). A
// name that completes to the source itself (the same name, or a spelling a case-blind share
// takes for the same file) leaves the file in place and succeeds: writing it and then taking
// the source away would lose the only copy.
StoreResult renameToNamedMessage(const QString &sourcePath, const QString &folder,
                                 const QString &typedName, const QString &slotCode,
                                 bool *readFailed = nullptr);

// True when both paths name one existing file.
bool sameFile(const QString &first, const QString &second);

} // namespace Store
