#pragma once

#include <QString>

// The file name a composed message gets: name + ".ms" + the slot's extension letter, where
// the letter is the code for "1".."6" and "g" for the default user (any other code).
QString messageFileName(const QString &name, const QString &slotCode);

// Name completion of Save As and Rename: the typed name followed by the current slot's
// extension ("d" and "" give ".msg"; "1".."6" give ".ms1".."ms6"; any other code adds nothing).
QString completeMessageName(const QString &typedName, const QString &slotCode);

// A message name that would leave its folder, name a folder or hide the file from every
// listing: holds a path separator ('/' or '\\'), begins with a dot, or is empty. Such a name
// is never written.
bool isUnsafeMessageName(const QString &name);
