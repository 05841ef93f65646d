#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

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

// Which file a name stood for when it was read (a save replaces the file with a new one),
// its permission bits, size and modification time.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    quint32 permissions = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; // nanoseconds since the epoch
};

// Reads the whole regular file at path without following a link; identity (when given) tells
// which file that was. A file with a second hard link is refused like a link: it may be a
// private file elsewhere that someone linked into the shared folder.
Result readAll(const QString &path, QByteArray *out, qint64 maxBytes);
Result readAll(const QString &path, QByteArray *out, qint64 maxBytes, FileIdentity *identity);

// Replaces (or creates) the file with data: a temporary dot-file in the same folder,
// created O_EXCL|O_NOFOLLOW, written, fsync'ed, closed, then renamed over the target.
// The target must be absent or a regular file with one name, and one we may write: a file the
// user may not write is not replaced (the rename would get round its permissions). The
// temporary stays locked while it is written, so no other copy's clean-up removes it. The
// new file gets permissions (when >= 0), or else the replaced file's bits. On failure the old
// file is untouched and no temporary remains; a failed sync of the folder after the rename is
// reported too (the file may then not survive a crash).
Result replace(const QString &path, const QByteArray &data);
Result replace(const QString &path, const QByteArray &data, FolderLinks folderLinks,
               int permissions = -1);

// Writes data as a new file, atomically like replace(), but never over an existing one: when
// path's name is taken, the first free "name (2).ext", "name (3).ext" .. beside it. The new
// file gets the folder's defaults. createdPath receives the path written.
Result create(const QString &path, const QByteArray &data, QString *createdPath);

// The name a second file of name gets beside it: "name (n).ext", or "name (n)" without an
// extension. The extension stays last, so the listing pattern still matches.
QByteArray alternativeName(const QByteArray &name, int n);

// Deletes a regular file; refuses links and anything that is not a regular file.
Result remove(const QString &path);

// True for a regular file with one name that is not a link, in a folder that is not a link.
bool isRegularFile(const QString &path);
// The same for the entry name of the folder open at folderFd: what a listing may show.
bool isListable(int folderFd, const char *name);

// Opens a folder for listing (O_DIRECTORY); with Refuse, a folder that is a link fails with
// errno ELOOP. Trailing separators are ignored. Returns the descriptor (the caller closes it)
// or -1 with errno set.
int openFolder(const QString &folder, FolderLinks folderLinks = FolderLinks::Refuse);

// Calls visit with the name and type (DT_REG, DT_UNKNOWN, ...) of each entry of the folder
// freshly opened at folderFd ("." and ".." included) until it returns false. The descriptor
// stays open and usable meanwhile. False when the folder cannot be listed. Reads the entries
// in large batches: on a share every read is a trip to the server, and the share poller lists
// several times a second.
bool forEachEntry(int folderFd,
                  const std::function<bool(const char *name, unsigned char type)> &visit);

// Prefix of our temporary files, and of the folders a move puts its source in while it
// checks it (FileClaim); listings skip dot-files, so no copy ever counts one.
inline constexpr const char *TemporaryPrefix = ".notavo-tmp-";
inline constexpr const char *ClaimPrefix = ".notavo-claim-";

// Tidies what a crashed copy left in folder: removes its temporaries, and puts back under
// their names the files a move had claimed. A temporary is removed only when no copy holds
// its lock (it is being written) and it is older than maxAgeSeconds by the file server's own
// clock (a server with a wrong clock cannot make a fresh one look old). Returns how many
// temporaries were removed.
int removeStaleTemporaries(const QString &folder, int maxAgeSeconds);

// Test seams. When set (non-zero), replace() fails with IoError and that errno: after writing
// the temporary, as a full disk would; or when renaming it over the target. 0 clears them.
void setInjectedWriteFailure(int systemError);
void setInjectedRenameFailure(int systemError);
// When set, the sync of the folder after the rename fails with that errno.
void setInjectedFolderSyncFailure(int systemError);

} // namespace SafeFile
