#pragma once

#include <QString>

// The three path helpers every window uses. The separator is the platform's own
// ('/' here), so the data folder works the same on Linux and on a Windows share.

// The path followed by the separator unless it already ends with one; "" gives the separator.
QString AddBackslash(const QString &path);

// The text after the last separator; the whole path without one; "" when it ends with one.
QString FileNamePart(const QString &path);

// True exactly when the path names a regular, non-hidden file (no link, no folder) whose name
// on disk equals the path's name part character for character.
bool FileExists(const QString &path);
