#include "AtomicRename.h"

#include "FileSystemType.h"
#include "SafeFileInternal.h"

#include <QHash>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace SafeFile::AtomicRename {

namespace {

std::atomic<bool> assumeNonAtomic { false };
std::mutex knownMutex;
QHash<quint64, bool> known; // by device number

QByteArray createProbe(int folderFd, int *fd)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray name = Internal::randomName(TemporaryPrefix);
        *fd = ::openat(folderFd, name.constData(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (*fd >= 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    return QByteArray();
}

// True unless the probe shows the rename deleting its target without renaming onto it.
bool probe(int folderFd)
{
    int source = -1;
    int target = -1;
    const QByteArray sourceName = createProbe(folderFd, &source);
    const QByteArray targetName = createProbe(folderFd, &target);
    if (target >= 0)
        ::close(target);
    bool atomic = true;
    if (source >= 0 && target >= 0
        && ::renameat(folderFd, sourceName.constData(), folderFd, targetName.constData()) != 0) {
        // The rename failed: the target must still be there. A cached look could still see
        // it; opening it asks the server.
        const int reopened = ::openat(folderFd, targetName.constData(),
                                      O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        atomic = reopened >= 0 || errno != ENOENT;
        if (reopened >= 0)
            ::close(reopened);
    }
    if (source >= 0)
        ::close(source);
    // Removed only after every descriptor is closed: such a client refuses to delete an open
    // file as well.
    if (!sourceName.isEmpty())
        ::unlinkat(folderFd, sourceName.constData(), 0);
    if (!targetName.isEmpty())
        ::unlinkat(folderFd, targetName.constData(), 0);
    return atomic;
}

} // namespace

bool replacesAtomically(int folderFd)
{
    if (assumeNonAtomic.load())
        return false;
    struct statfs system;
    if (::fstatfs(folderFd, &system) != 0 || quint32(system.f_type) != FileSystemType::Fuse)
        return true;
    struct stat info;
    if (::fstat(folderFd, &info) != 0)
        return false;
    {
        const std::lock_guard lock(knownMutex);
        const auto found = known.constFind(quint64(info.st_dev));
        if (found != known.constEnd())
            return *found;
    }
    const bool atomic = probe(folderFd);
    const std::lock_guard lock(knownMutex);
    known.insert(quint64(info.st_dev), atomic);
    return atomic;
}

void setAssumeNonAtomic(bool nonAtomic)
{
    assumeNonAtomic.store(nonAtomic);
}

} // namespace SafeFile::AtomicRename
