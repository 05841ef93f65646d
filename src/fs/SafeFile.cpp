#include "SafeFile.h"
#include "AtomicRename.h"
#include "FileClaim.h"
#include "SafeFileInternal.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

using namespace Internal;

namespace {

std::atomic<int> injectedWriteFailure { 0 };
std::atomic<int> injectedRenameFailure { 0 };

// Writes data into a new temporary in folder, synced and closed; *temporary gets its name.
// Returns 0, or the errno of the failure (the temporary is then gone). With replaced, the new
// file keeps that file's group and permission bits unless permissions (>= 0) are asked for.
int writeTemporary(int folder, const QByteArray &data, const struct stat *replaced, int permissions,
                   QByteArray *temporary)
{
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        *temporary = randomName(TemporaryPrefix);
        fd = ::openat(folder, temporary->constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    Descriptor file(fd);
    // Locked while it is written, so a starting copy's clean-up leaves it alone. The lock goes
    // with the descriptor, which is closed before the rename: some share clients (smbnetfs)
    // refuse to rename or delete a file that is still open. A file system without locks
    // still gets the save; clean-up then goes by age alone.
    lockExclusive(file.get());

    // Keep the group and the permission bits of the file being replaced (or the ones asked
    // for), so the others in a shared folder can still read it; never the set-id bits (a
    // planted set-user-ID file must not become ours). A group we are not in cannot be kept;
    // the folder's own rules apply. (Samba decides the bits itself: 0744 by default.)
    if (replaced) {
        [[maybe_unused]] const int keptGroup = ::fchown(file.get(), uid_t(-1), replaced->st_gid);
    }
    if (permissions >= 0)
        ::fchmod(file.get(), mode_t(permissions) & 0777);
    else if (replaced)
        ::fchmod(file.get(), replaced->st_mode & 0666);

    int error = 0;
    if (!writeFully(file.get(), data.constData(), data.size()))
        error = errno;
    if (!error)
        error = injectedWriteFailure.load();
    if (!error && ::fsync(file.get()) != 0)
        error = errno;
    const int closeError = file.closeChecked();
    if (!error)
        error = closeError;
    if (error)
        ::unlinkat(folder, temporary->constData(), 0);
    return error;
}

// Renames the written temporary onto name; returns the errno of a failure. Where the share
// fakes a replacing rename (deletes the target, then renames), the old file is first taken
// aside and deleted only once the new one is in place, or put back when that fails: the old
// text is never lost to a failed rename.
int renameInto(int folderFd, const QByteArray &temporary, const QString &path, const char *name,
               bool replacing)
{
    FileClaim old;
    if (replacing && !AtomicRename::replacesAtomically(folderFd)) {
        const Result taken = old.take(path);
        if (!taken.ok() && taken.status != Status::NotFound)
            return taken.systemError ? taken.systemError : EIO;
    }
    int error = injectedRenameFailure.load();
    if (!error && ::renameat(folderFd, temporary.constData(), folderFd, name) != 0)
        error = errno;
    // The folder was open all along: a missing name is our temporary, removed by someone
    // else. That is a failed write, not a missing file.
    if (error == ENOENT)
        error = EIO;
    if (error)
        old.putBack(); // and under a free name should someone have taken the name meanwhile
    else
        old.release();
    return error;
}

} // namespace

int openFolder(const QString &folder, FolderLinks folderLinks)
{
    QString trimmed = folder.isEmpty() ? QStringLiteral(".") : folder;
    // A trailing separator would make the system follow a link in the last component.
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    if (trimmed.contains(QChar(0))) {
        errno = EINVAL;
        return -1;
    }
    const QByteArray encoded = QFile::encodeName(trimmed);
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (folderLinks == FolderLinks::Refuse)
        flags |= O_NOFOLLOW;
    const int fd = ::open(encoded.constData(), flags);
    if (fd < 0 && folderLinks == FolderLinks::Refuse && (errno == ENOTDIR || errno == ELOOP)) {
        // O_DIRECTORY|O_NOFOLLOW reports a link as "not a directory"; tell the two apart.
        struct stat info;
        const int error = errno;
        errno = ::lstat(encoded.constData(), &info) == 0 && S_ISLNK(info.st_mode) ? ELOOP : error;
    }
    return fd;
}

bool forEachEntry(int folderFd,
                  const std::function<bool(const char *name, unsigned char type)> &visit)
{
    // Straight from the system, without a DIR stream: fdopendir() would add three calls
    // (fstat, two fcntl) to every listing.
    alignas(dirent64) char buffer[32768];
    for (;;) {
        const ssize_t size = ::getdents64(folderFd, buffer, sizeof buffer);
        if (size < 0)
            return false;
        if (size == 0)
            return true;
        for (ssize_t at = 0; at < size;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer + at);
            at += entry->d_reclen;
            if (!visit(entry->d_name, entry->d_type))
                return true;
        }
    }
}

Result readAll(const QString &path, QByteArray *out, qint64 maxBytes)
{
    return readAll(path, out, maxBytes, nullptr);
}

Result readAll(const QString &path, QByteArray *out, qint64 maxBytes, FileIdentity *identity)
{
    out->clear();
    Result result;
    const Location location = locate(path);
    const Descriptor folder(openFolderOf(location, FolderLinks::Refuse, &result));
    if (!folder.valid())
        return result;
    // O_NOFOLLOW refuses a link; O_NONBLOCK keeps a planted FIFO from hanging the open, and
    // the check below refuses it anyway.
    const Descriptor file(::openat(folder.get(), location.name.constData(),
                                   O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.valid())
        return fromErrno(errno);
    return readOpen(file.get(), out, maxBytes, identity);
}

Result Internal::readOpen(int fd, QByteArray *out, qint64 maxBytes, FileIdentity *identity)
{
    out->clear();
    struct stat info;
    const Result regular = statRegular(fd, &info);
    if (!regular.ok())
        return regular;
    if (maxBytes >= 0 && info.st_size > maxBytes)
        return failure(Status::TooLarge, EFBIG);
    if (identity)
        *identity
            = FileIdentity { quint64(info.st_dev), quint64(info.st_ino),
                             quint32(info.st_mode & 0777), qint64(info.st_size),
                             qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec };
    QByteArray data;
    data.reserve(qsizetype(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fromErrno(errno);
        }
        if (got == 0)
            break;
        // The file may grow while we read it: keep the limit.
        if (maxBytes >= 0 && data.size() + got > maxBytes)
            return failure(Status::TooLarge, EFBIG);
        data.append(buffer, got);
    }
    *out = data;
    return {};
}

Result replace(const QString &path, const QByteArray &data)
{
    return replace(path, data, FolderLinks::Refuse);
}

Result replace(const QString &path, const QByteArray &data, FolderLinks folderLinks,
               int permissions)
{
    Result result;
    const Location location = locate(path);
    const Descriptor folder(openFolderOf(location, folderLinks, &result));
    if (!folder.valid())
        return result;
    const char *name = location.name.constData();

    struct stat info;
    bool replacing = false;
    if (::fstatat(folder.get(), name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(info.st_mode) || !hasOneName(folder.get(), name, info))
            return failure(Status::NotRegular, 0);
        // Writing the file in place would fail; so must replacing it. A file gone since the
        // look (moved away by another copy) is simply created anew.
        replacing = ::faccessat(folder.get(), name, W_OK, AT_EACCESS) == 0;
        if (!replacing && errno != ENOENT)
            return fromErrno(errno);
    } else if (errno != ENOENT) {
        // Also catches a name the file system refuses before anything is created.
        return fromErrno(errno);
    }

    QByteArray temporary;
    int error
        = writeTemporary(folder.get(), data, replacing ? &info : nullptr, permissions, &temporary);
    if (!error) {
        error = renameInto(folder.get(), temporary, path, name, replacing);
        // Closed by now, so the temporary can go; where even that fails, the failure is
        // still reported and the text is still with the caller.
        if (error)
            ::unlinkat(folder.get(), temporary.constData(), 0);
    }
    if (error)
        return fromErrno(error);
    // Make the rename itself durable.
    if (const int syncError = syncFolder(folder.get()))
        return failure(Status::IoError, syncError);
    return {};
}

Result create(const QString &path, const QByteArray &data, QString *createdPath)
{
    createdPath->clear();
    Result result;
    const Location location = locate(path);
    const Descriptor folder(openFolderOf(location, FolderLinks::Refuse, &result));
    if (!folder.valid())
        return result;
    // A name the file system refuses (too long) fails here, before anything is written.
    struct stat info;
    if (::fstatat(folder.get(), location.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0
        && errno != ENOENT)
        return fromErrno(errno);

    QByteArray temporary;
    int error = writeTemporary(folder.get(), data, nullptr, -1, &temporary);
    QByteArray taken;
    if (!error) {
        error = injectedRenameFailure.load();
        if (!error)
            error = moveToFreeName(folder.get(), temporary, folder.get(), location.name, &taken);
        if (error == ENOENT)
            error = EIO; // our temporary, removed by someone else
        if (error)
            ::unlinkat(folder.get(), temporary.constData(), 0);
    }
    if (error)
        return fromErrno(error);
    *createdPath = path.left(path.lastIndexOf(QLatin1Char('/')) + 1) + QFile::decodeName(taken);
    if (const int syncError = syncFolder(folder.get()))
        return failure(Status::IoError, syncError);
    return {};
}

Result remove(const QString &path)
{
    Result result;
    const Location location = locate(path);
    const Descriptor folder(openFolderOf(location, FolderLinks::Refuse, &result));
    if (!folder.valid())
        return result;
    struct stat info;
    if (::fstatat(folder.get(), location.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return fromErrno(errno);
    if (!S_ISREG(info.st_mode) || !hasOneName(folder.get(), location.name.constData(), info))
        return failure(Status::NotRegular, 0);
    if (::unlinkat(folder.get(), location.name.constData(), 0) != 0)
        return fromErrno(errno);
    return {};
}

bool isRegularFile(const QString &path)
{
    Result result;
    const Location location = locate(path);
    const Descriptor folder(openFolderOf(location, FolderLinks::Refuse, &result));
    return folder.valid() && isListable(folder.get(), location.name.constData());
}

bool isListable(int folderFd, const char *name)
{
    struct stat info;
    return ::fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)
        && hasOneName(folderFd, name, info);
}

void setInjectedWriteFailure(int systemError)
{
    injectedWriteFailure.store(systemError);
}

void setInjectedRenameFailure(int systemError)
{
    injectedRenameFailure.store(systemError);
}

} // namespace SafeFile
