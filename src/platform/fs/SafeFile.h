#pragma once

#include <QByteArray>
#include <QString>

// Byte-level file access that never follows a symbolic link and never leaves a half-written
// file: other people can write into a shared data folder, so a planted link must not make us
// read or write anywhere else, and a crash or full disk must not cost the old content.
//
// Every operation opens the file's folder first and works relative to that handle. A link in
// the file's own name is refused, and so is a folder that is itself a link (a planted
// "History" link would otherwise move messages out of the data folder). Links further up the
// path (above the data folder) are the owner's business and are followed.
namespace SafeFile {

enum class Status {
    Ok,
    NotFound, // the file or a folder on its path does not exist
    NotRegular, // a link, a folder, a device: refused
    TooLarge, // larger than the caller's limit; nothing read
    Changed, // the file is no longer the one the caller read: left alone
    IoError, // anything else (permissions, disk full, a name the file system refuses, ...)
};

struct Result
{
    Status status = Status::Ok;
    int systemError = 0; // errno of the failing call, 0 when none
    bool ok() const { return status == Status::Ok; }
};

// Whether the folder holding the file may be reached through a link. Only files outside the
// shared data folder (the user's own autostart folder) follow one.
enum class FolderLinks { Refuse, Follow };

// Which file a name stood for when it was read (a save replaces the file with a new one).
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
};

// Reads the whole regular file at path without following a link; identity (when given) tells
// which file that was.
Result readAll(const QString &path, QByteArray *out, qint64 maxBytes);
Result readAll(const QString &path, QByteArray *out, qint64 maxBytes, FileIdentity *identity);

// Replaces (or creates) the file with data: a temporary dot-file in the same folder,
// created O_EXCL|O_NOFOLLOW, written, fsync'ed, closed, then renamed over the target.
// The target must be absent or a regular file. On failure the old file is untouched and
// no temporary remains.
Result replace(const QString &path, const QByteArray &data);
Result replace(const QString &path, const QByteArray &data, FolderLinks folderLinks);

// Deletes a regular file; refuses links and anything that is not a regular file.
Result remove(const QString &path);
// Deletes the file only while path still names the file that was read (Changed otherwise):
// a newer version saved by another copy in the meantime is kept.
Result removeIfSame(const QString &path, const FileIdentity &identity);

// True for a regular file that is not a link, in a folder that is not a link.
bool isRegularFile(const QString &path);

// Opens a folder for listing (O_DIRECTORY); with Refuse, a folder that is a link fails with
// errno ELOOP. Trailing separators are ignored. Returns the descriptor (the caller closes it)
// or -1 with errno set.
int openFolder(const QString &folder, FolderLinks folderLinks = FolderLinks::Refuse);

// Prefix of our temporary files; listings skip dot-files, so no copy ever counts one.
inline constexpr const char *TemporaryPrefix = ".notavo-tmp-";

// Removes temporaries left in folder by a crashed copy (older than maxAgeSeconds, so a copy
// writing right now keeps its own). Returns how many were removed.
int removeStaleTemporaries(const QString &folder, int maxAgeSeconds);

// Test seams. When set (non-zero), replace() fails with IoError and that errno: after writing
// the temporary, as a full disk would; or when renaming it over the target. 0 clears them.
void setInjectedWriteFailure(int systemError);
void setInjectedRenameFailure(int systemError);

} // namespace SafeFile
