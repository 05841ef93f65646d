#include "SafeFile.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

namespace {

std::atomic<int> injectedWriteFailure { 0 };
std::atomic<int> injectedRenameFailure { 0 };

// Closes the descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports the close's own error (a network share may report a failed
    // write only here).
    int closeChecked()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

Result failure(Status status, int error)
{
    return Result { status, error };
}

Result fromErrno(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return failure(Status::NotFound, error);
    if (error == ELOOP)
        return failure(Status::NotRegular, error);
    return failure(Status::IoError, error);
}

// A path split into its folder (trailing separators dropped, "." when there is none) and the
// name of the entry in it. A NUL inside the path would cut it short at the system call, so
// such a path is refused as a whole.
struct Location
{
    QString folder;
    QByteArray name;
    bool valid = true;
};

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

// Opens the folder of location; fills result on failure.
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

QByteArray temporaryName()
{
    return QByteArray(TemporaryPrefix)
        + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
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
    // the fstat below refuses it anyway.
    const Descriptor file(::openat(folder.get(), location.name.constData(),
                                   O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.valid())
        return fromErrno(errno);
    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return fromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return failure(Status::NotRegular, 0);
    if (maxBytes >= 0 && info.st_size > maxBytes)
        return failure(Status::TooLarge, EFBIG);
    if (identity)
        *identity = FileIdentity { quint64(info.st_dev), quint64(info.st_ino) };
    QByteArray data;
    data.reserve(qsizetype(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
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

Result replace(const QString &path, const QByteArray &data, FolderLinks folderLinks)
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
        if (!S_ISREG(info.st_mode))
            return failure(Status::NotRegular, 0);
        replacing = true;
    } else if (errno != ENOENT) {
        // Also catches a name the file system refuses before anything is created.
        return fromErrno(errno);
    }

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = temporaryName();
        fd = ::openat(folder.get(), temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return fromErrno(errno);
    }
    if (fd < 0)
        return failure(Status::IoError, EEXIST);
    Descriptor file(fd);

    // Keep the group and the permission bits of the file being replaced, so the others in a
    // shared folder can still read it; never the set-id bits (a planted set-user-ID file must
    // not become ours). A group we are not in cannot be kept; the folder's own rules apply.
    if (replacing) {
        [[maybe_unused]] const int keptGroup = ::fchown(file.get(), uid_t(-1), info.st_gid);
        ::fchmod(file.get(), info.st_mode & 0666);
    }

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
    if (!error)
        error = injectedRenameFailure.load();
    if (!error && ::renameat(folder.get(), temporary.constData(), folder.get(), name) != 0)
        error = errno;
    if (error) {
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return fromErrno(error);
    }
    // Make the rename itself durable; some network file systems cannot, which is no failure.
    ::fsync(folder.get());
    return {};
}

namespace {

// Deletes the regular file at path; with an identity, only while path still names that file.
Result removeRegular(const QString &path, const FileIdentity *identity)
{
    Result result;
    const Location location = locate(path);
    const Descriptor folder(openFolderOf(location, FolderLinks::Refuse, &result));
    if (!folder.valid())
        return result;
    struct stat info;
    if (::fstatat(folder.get(), location.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return fromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return failure(Status::NotRegular, 0);
    if (identity
        && (quint64(info.st_dev) != identity->device || quint64(info.st_ino) != identity->inode))
        return failure(Status::Changed, 0);
    if (::unlinkat(folder.get(), location.name.constData(), 0) != 0)
        return fromErrno(errno);
    return {};
}

} // namespace

Result remove(const QString &path)
{
    return removeRegular(path, nullptr);
}

Result removeIfSame(const QString &path, const FileIdentity &identity)
{
    return removeRegular(path, &identity);
}

bool isRegularFile(const QString &path)
{
    Result result;
    const Location location = locate(path);
    const Descriptor folder(openFolderOf(location, FolderLinks::Refuse, &result));
    struct stat info;
    return folder.valid()
        && ::fstatat(folder.get(), location.name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0
        && S_ISREG(info.st_mode);
}

int removeStaleTemporaries(const QString &folder, int maxAgeSeconds)
{
    const int fd = openFolder(folder);
    if (fd < 0)
        return 0;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return 0;
    }
    const QByteArray prefix(TemporaryPrefix);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QList<QByteArray> stale;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        struct stat info;
        if (name.startsWith(prefix) && ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(info.st_mode) && now - info.st_mtime > maxAgeSeconds)
            stale.append(name);
    }
    int removed = 0;
    for (const QByteArray &name : stale)
        removed += ::unlinkat(fd, name.constData(), 0) == 0 ? 1 : 0;
    ::closedir(dir); // also closes fd
    return removed;
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
