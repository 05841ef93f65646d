#include "SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

namespace {

std::atomic<int> injectedWriteFailure{0};

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

Result failure(Status status, int error)
{
    return Result{status, error};
}

Result fromErrno(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return failure(Status::NotFound, error);
    if (error == ELOOP)
        return failure(Status::NotRegular, error);
    return failure(Status::IoError, error);
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

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

Result readAll(const QString &path, QByteArray *out, qint64 maxBytes)
{
    out->clear();
    // O_NOFOLLOW refuses a link in the last component; O_NONBLOCK keeps a planted FIFO from
    // hanging the open, and the fstat below refuses it anyway.
    const int fd = ::open(encoded(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return fromErrno(errno);
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return fromErrno(error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return failure(Status::NotRegular, 0);
    }
    if (maxBytes >= 0 && info.st_size > maxBytes) {
        ::close(fd);
        return failure(Status::TooLarge, EFBIG);
    }
    QByteArray data;
    data.reserve(qsizetype(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return fromErrno(error);
        }
        if (got == 0)
            break;
        // The file may grow while we read it: keep the limit.
        if (maxBytes >= 0 && data.size() + got > maxBytes) {
            ::close(fd);
            return failure(Status::TooLarge, EFBIG);
        }
        data.append(buffer, got);
    }
    ::close(fd);
    *out = data;
    return {};
}

Result replace(const QString &path, const QByteArray &data)
{
    const QByteArray target = encoded(path);
    struct stat info;
    if (::lstat(target.constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return failure(Status::NotRegular, 0);
    } else if (errno != ENOENT) {
        return fromErrno(errno);
    }

    const QString folder = folderOf(path);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = encoded(folder + QLatin1Char('/') + QLatin1String(TemporaryPrefix)
                            + QString::number(QRandomGenerator::global()->generate64(), 36));
        fd = ::open(temporary.constData(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return fromErrno(errno);
    }
    if (fd < 0)
        return failure(Status::IoError, EEXIST);

    // Keep the mode of the file being replaced, so a shared folder's permissions hold.
    if (::lstat(target.constData(), &info) == 0)
        ::fchmod(fd, info.st_mode & 07777);

    int error = 0;
    if (!writeFully(fd, data.constData(), data.size()))
        error = errno;
    if (!error && injectedWriteFailure.load() != 0)
        error = injectedWriteFailure.load();
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return fromErrno(error);
    }
    return {};
}

Result remove(const QString &path)
{
    const QByteArray target = encoded(path);
    struct stat info;
    if (::lstat(target.constData(), &info) != 0)
        return fromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return failure(Status::NotRegular, 0);
    if (::unlink(target.constData()) != 0)
        return fromErrno(errno);
    return {};
}

bool isRegularFile(const QString &path)
{
    struct stat info;
    return ::lstat(encoded(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

int removeStaleTemporaries(const QString &folder, int maxAgeSeconds)
{
    const QByteArray encodedFolder = encoded(folder);
    DIR *dir = ::opendir(encodedFolder.constData());
    if (!dir)
        return 0;
    const QByteArray prefix(TemporaryPrefix);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QList<QByteArray> stale;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix))
            continue;
        const QByteArray full = encodedFolder + '/' + name;
        struct stat info;
        if (::lstat(full.constData(), &info) == 0 && S_ISREG(info.st_mode)
            && now - info.st_mtime > maxAgeSeconds)
            stale.append(full);
    }
    ::closedir(dir);
    int removed = 0;
    for (const QByteArray &full : stale)
        removed += ::unlink(full.constData()) == 0 ? 1 : 0;
    return removed;
}

void setInjectedWriteFailure(int systemError)
{
    injectedWriteFailure.store(systemError);
}

} // namespace SafeFile
