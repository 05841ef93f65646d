#pragma once

#include "NamePattern.h"

#include <QStringList>

// One listing of a folder as a file list shows it: the regular files whose names match the
// pattern, sorted without regard to case. Links, dot-files and folders are never listed, and a
// folder that is itself a link is not listed at all. Safe on any thread.
namespace FolderListing {

// False when the folder cannot be listed (names then holds what was found before the error).
bool read(const QString &folder, const NamePattern &pattern, QStringList *names);

// The order of a listing: without regard to case, ties by exact text.
bool lessWithoutCase(const QString &a, const QString &b);

} // namespace FolderListing
