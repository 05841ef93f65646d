#pragma once

#include "SafeFile.h"

#include <QByteArray>
#include <QString>

#include <ctime>
#include <sys/stat.h>

// Pieces the safe file operations share; not for use outside platform/fs.
namespace SafeFile::Internal {

// Closes the descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd);
    ~Descriptor();
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports the close's own error (a network share may report a failed
    // write only here).
    int closeChecked();

private:
    int m_fd;
};

// A path split into its folder (trailing separators dropped, "." when there is none) and the
// name of the entry in it. A NUL inside the path would cut it short at the system call, so
// such a path is refused as a whole.
struct Location
{
    QString folder;
    QByteArray name;
    bool valid = true;
};

Location locate(const QString &path);

inline Result failure(Status status, int error)
{
    return Result { status, error };
}

Result fromErrno(int error);

// Opens the folder of location; fills result on failure.
int openFolderOf(const Location &location, FolderLinks folderLinks, Result *result);

bool writeFully(int fd, const char *data, qint64 size);

// prefix followed by a random part.
QByteArray randomName(const char *prefix);

// What a non-blocking shared lock on fd says about another holder.
enum class LockProbe { Free, Held, Unsupported };
LockProbe probeLock(int fd);

// Takes an exclusive lock on fd when the file system has locks; false when it has none.
bool lockExclusive(int fd);

// The file server's idea of now: the time stamp of a file just created in folderFd. Comparing
// other files' stamps with it is safe against a server whose clock differs from ours.
// Returns false when no file can be created there.
bool serverNow(int folderFd, std::time_t *now);

// False when the entry name in folderFd (or the file open at folderFd when name is "") has a
// second hard link. A count above one is asked again of the server: a network or FUSE file
// system may still report the short-lived second name of a file put back by FileClaim.
bool hasOneName(int folderFd, const char *name, const struct stat &info);

// Fills info for a regular file with a single name; NotRegular for anything else (a link, a
// second hard link to a file elsewhere, a device).
Result statRegular(int fd, struct stat *info);

// Reads the whole regular file open at fd (see readAll).
Result readOpen(int fd, QByteArray *out, qint64 maxBytes, FileIdentity *identity);

// Moves the entry from in fromFd to the first free name in toFd: name itself, then
// "name (2).ext" .. "name (99).ext" (the extension stays last, so the listing pattern still
// matches). Never over an existing file, also where the file system has no such rename.
// *taken gets the name used; returns 0 or the errno of the last failure.
int moveToFreeName(int fromFd, const QByteArray &from, int toFd, const QByteArray &name,
                   QByteArray *taken);

// Syncs a folder after a rename in it. A file system that cannot sync folders reports so with
// EINVAL; that is no failure. Returns the errno of a real failure, 0 otherwise.
int syncFolder(int folderFd);

} // namespace SafeFile::Internal
