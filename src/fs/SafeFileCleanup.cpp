#include "FileClaim.h"
#include "SafeFile.h"
#include "SafeFileInternal.h"

#include <QList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

using namespace Internal;

int removeStaleTemporaries(const QString &folder, int maxAgeSeconds)
{
    const Descriptor folderFd(openFolder(folder));
    if (!folderFd.valid())
        return 0;
    const QByteArray temporaryPrefix(TemporaryPrefix);
    const QByteArray claimPrefix(ClaimPrefix);
    QList<QByteArray> temporaries;
    QList<QByteArray> claims;
    const bool listed = forEachEntry(folderFd.get(), [&](const char *entry, unsigned char) {
        const QByteArray name(entry);
        if (name.startsWith(temporaryPrefix))
            temporaries.append(name);
        else if (name.startsWith(claimPrefix))
            claims.append(name);
        return true;
    });
    if (!listed)
        return 0;
    // Ages are measured with the server's clock; where nothing can be created, nothing could
    // be removed either.
    std::time_t now = 0;
    if ((temporaries.isEmpty() && claims.isEmpty()) || !serverNow(folderFd.get(), &now))
        return 0;

    int removed = 0;
    for (const QByteArray &name : temporaries) {
        Descriptor file(::openat(folderFd.get(), name.constData(),
                                 O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
        struct stat info;
        if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        // A locked temporary is being written, however old it looks.
        if (probeLock(file.get()) == LockProbe::Held || now - info.st_mtime <= maxAgeSeconds)
            continue;
        // Closed before the delete: some share clients refuse to delete an open file.
        file.closeChecked();
        removed += ::unlinkat(folderFd.get(), name.constData(), 0) == 0 ? 1 : 0;
    }
    for (const QByteArray &name : claims)
        FileClaim::recover(folderFd.get(), name, maxAgeSeconds, now);
    return removed;
}

} // namespace SafeFile
