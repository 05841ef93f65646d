#include "CaseRule.h"

#include "SafeFile.h"
#include "SafeFileInternal.h"

#include <QHash>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace CaseRule {

namespace {

std::mutex knownMutex;
QHash<quint64, bool> known; // by device number

bool probe(int folderFd)
{
    using namespace SafeFile::Internal;
    const QByteArray random = randomName(SafeFile::TemporaryPrefix);
    const QByteArray name = random + "Cs";
    const QByteArray swapped = random + "cS";
    const int fd = ::openat(folderFd, name.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    struct stat info;
    const bool ignores = ::fstatat(folderFd, swapped.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    ::unlinkat(folderFd, name.constData(), 0);
    return ignores;
}

} // namespace

bool ignoresCase(const QString &folder)
{
    using SafeFile::Internal::Descriptor;
    const Descriptor folderFd(SafeFile::openFolder(folder));
    struct stat info;
    if (!folderFd.valid() || ::fstat(folderFd.get(), &info) != 0)
        return false;
    {
        const std::lock_guard lock(knownMutex);
        const auto found = known.constFind(quint64(info.st_dev));
        if (found != known.constEnd())
            return *found;
    }
    const bool ignores = probe(folderFd.get());
    const std::lock_guard lock(knownMutex);
    known.insert(quint64(info.st_dev), ignores);
    return ignores;
}

} // namespace CaseRule
