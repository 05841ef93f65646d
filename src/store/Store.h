#pragma once

#include "StoreResult.h"

#include <QString>

// The store operations every window uses on account, settings and message files. All I/O is
// binary Windows-1252; writes replace the file through a temporary and a rename, so a failed
// write leaves the old file as it was.
namespace Store {

// Message files above this size are refused rather than read into a text box.
inline constexpr qint64 MaxMessageBytes = 16 * 1024 * 1024;

// Single-value write: the value followed by CR LF, nothing else.
StoreResult writeSingleValue(const QString &path, const QString &value);

// First-field read: leading spaces skipped; a field that begins with a double quote runs to
// the next double quote (quotes dropped; unterminated: to the end of the line); otherwise up
// to the first comma or the end of the first line (CR or LF). Trailing spaces are kept.
// A missing, unreadable or zero-byte file gives "" and a failed result.
QString readFirstField(const QString &path, StoreResult *result = nullptr);
// The same rule applied to bytes already in memory.
QString firstFieldOf(const QByteArray &bytes);

// Guarded read: the first field when FileExists finds the file and it is not empty,
// otherwise fallback.
QString guardedRead(const QString &path, const QString &fallback);

// Whole-text write: the text followed by one CR LF.
StoreResult writeWholeText(const QString &path, const QString &text);

// The same, as a new file: a name already taken gets the first free "name (2).ext" beside it,
// and no file is ever replaced. writtenPath receives the path written.
StoreResult writeNewWholeText(const QString &path, const QString &text, QString *writtenPath);

// Whole-file read: every line ends with CR LF in the result (CR LF or a lone CR end a line, a
// lone LF stays in the line, a last line without an end still gets CR LF); "" for an empty file.
StoreResult readWholeFile(const QString &path, QString *text);
// The same line rule applied to bytes already in memory.
QString wholeTextOf(const QByteArray &bytes);

// Message move: whole-file read of source, whole-text write of it into destinationFolder
// under the source's name (with the source's permission bits), then the source is taken away.
// readFailed tells the caller which part failed (the source read happens before the write, so
// nothing is written when it fails). A save by another copy that lands at any moment is kept:
// the source is claimed atomically and deleted only when it still holds what was copied;
// otherwise the newer save goes back under its name. NotRemoved: the copy was written but
// the source could not be taken away (a sticky-bit folder, another user's file).
StoreResult moveMessage(const QString &sourcePath, const QString &destinationFolder,
                        bool *readFailed = nullptr);
// The same to another name: the browser's Rename.
StoreResult renameMessage(const QString &sourcePath, const QString &destinationPath,
                          bool *readFailed = nullptr);

// Deletes a message file (never through a link); the result may be ignored.
StoreResult deleteMessage(const QString &path);

} // namespace Store
