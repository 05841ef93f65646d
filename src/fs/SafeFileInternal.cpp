#include "SafeFileInternal.h"

#include "FileSystemType.h"

#include <QFile>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace SafeFile {

namespace {

std::atomic<int> injectedFolderSyncFailure { 0 };

} // namespace

namespace Internal {

Descriptor::Descriptor(int fd)
    : m_fd(fd)
{ }

Descriptor::~Descriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int Descriptor::closeChecked()
{
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0 ? 0 : errno;
}

Result fromErrno(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return failure(Status::NotFound, error);
    if (error == ELOOP)
        return failure(Status::NotRegular, error);
    return failure(Status::IoError, error);
}

Location locate(const QString &path)
{
    Location location;
    location.valid = !path.contains(QChar(0));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    location.name = QFile::encodeName(path.mid(slash + 1));
    if (slash < 0)
        location.folder = QStringLiteral(".");
    else
        location.folder = slash == 0 ? QStringLiteral("/") : path.left(slash);
    return location;
}

bool writeFully(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

int openFolderOf(const Location &location, FolderLinks folderLinks, Result *result)
{
    if (!location.valid) {
        *result = failure(Status::IoError, EINVAL);
        return -1;
    }
    if (location.name.isEmpty()) {
        // "" names nothing; "folder/" names a folder, not a file.
        *result = location.folder == QLatin1String(".") ? failure(Status::NotFound, ENOENT)
                                                        : failure(Status::NotRegular, EISDIR);
        return -1;
    }
    const int fd = openFolder(location.folder, folderLinks);
    if (fd < 0)
        *result = fromErrno(errno);
    return fd;
}

QByteArray randomName(const char *prefix)
{
    return QByteArray(prefix) + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

LockProbe probeLock(int fd)
{
    // A shared lock: over NFS a lock is a byte-range lock, and a read-only descriptor may
    // only take a shared one. The writer's exclusive lock still blocks it.
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        ::flock(fd, LOCK_UN);
        return LockProbe::Free;
    }
    return errno == EWOULDBLOCK ? LockProbe::Held : LockProbe::Unsupported;
}

bool lockExclusive(int fd)
{
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool serverNow(int folderFd, std::time_t *now)
{
    const QByteArray name = randomName(TemporaryPrefix);
    Descriptor probe(::openat(folderFd, name.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!probe.valid())
        return false;
    struct stat info;
    const bool stamped = ::fstat(probe.get(), &info) == 0;
    // Closed before the delete: some share clients refuse to delete an open file.
    probe.closeChecked();
    ::unlinkat(folderFd, name.constData(), 0);
    *now = info.st_mtime;
    return stamped;
}

bool hasOneName(int folderFd, const char *name, const struct stat &info)
{
    if (info.st_nlink <= 1)
        return true;
    struct statx fresh;
    const int flags = AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC | (*name ? 0 : AT_EMPTY_PATH);
    return ::statx(folderFd, name, flags, STATX_NLINK, &fresh) == 0 && fresh.stx_nlink <= 1;
}

Result statRegular(int fd, struct stat *info)
{
    if (::fstat(fd, info) != 0)
        return fromErrno(errno);
    if (!S_ISREG(info->st_mode) || !hasOneName(fd, "", *info))
        return failure(Status::NotRegular, 0);
    return {};
}

namespace {

bool moveWithoutReplacing(int fromFd, const QByteArray &from, int toFd, const QByteArray &to,
                          int *error)
{
    if (::renameat2(fromFd, from.constData(), toFd, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    *error = errno;
    if (*error == EEXIST)
        return false;
    // No such rename here (FUSE, NFS): a hard link cannot replace a file either.
    if (::linkat(fromFd, from.constData(), toFd, to.constData(), 0) == 0) {
        ::unlinkat(fromFd, from.constData(), 0);
        // Refresh the cached link count, or the file looks hard-linked for a while.
        struct statx fresh;
        ::statx(toFd, to.constData(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC, STATX_NLINK,
                &fresh);
        return true;
    }
    *error = errno;
    if (*error == EEXIST)
        return false;
    // No hard links either (FAT, some shares): check, then rename.
    struct stat info;
    if (::fstatat(toFd, to.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        *error = EEXIST;
        return false;
    }
    if (::renameat(fromFd, from.constData(), toFd, to.constData()) == 0)
        return true;
    *error = errno;
    return false;
}

} // namespace

int moveToFreeName(int fromFd, const QByteArray &from, int toFd, const QByteArray &name,
                   QByteArray *taken)
{
    int error = 0;
    for (int n = 1; n < 100; ++n) {
        const QByteArray target = n == 1 ? name : alternativeName(name, n);
        if (moveWithoutReplacing(fromFd, from, toFd, target, &error)) {
            *taken = target;
            return 0;
        }
        if (error != EEXIST)
            break;
    }
    return error;
}

int syncFolder(int folderFd)
{
    int error = injectedFolderSyncFailure.load();
    if (!error && ::fsync(folderFd) != 0)
        error = errno;
    if (error == EINVAL || error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS)
        return 0;
    // On a share the server alone makes a rename durable, and the clients' folder syncs are
    // unreliable (SMB has none): a failed one says nothing about a rename that succeeded.
    struct statfs system;
    if (error && ::fstatfs(folderFd, &system) == 0
        && !FileSystemType::isLocal(quint32(system.f_type)))
        return 0;
    return error;
}

} // namespace Internal

QByteArray alternativeName(const QByteArray &name, int n)
{
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray suffix = " (" + QByteArray::number(n) + ')';
    if (dot <= 0)
        return name + suffix;
    return name.left(dot) + suffix + name.mid(dot);
}

void setInjectedFolderSyncFailure(int systemError)
{
    injectedFolderSyncFailure.store(systemError);
}

} // namespace SafeFile
