#include "FileClaim.h"

#include "SafeFileInternal.h"

#include <QList>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace SafeFile;
using namespace SafeFile::Internal;

FileClaim::~FileClaim()
{
    if (m_holding)
        putBack();
    close();
}

void FileClaim::close()
{
    if (m_claim >= 0)
        ::close(m_claim);
    if (m_folder >= 0)
        ::close(m_folder);
    m_claim = -1;
    m_folder = -1;
}

void FileClaim::removeClaimFolder()
{
    // Closed first (and its lock with it): some share clients refuse to remove an open folder.
    if (m_claim >= 0)
        ::close(m_claim);
    m_claim = -1;
    ::unlinkat(m_folder, m_claimName.constData(), AT_REMOVEDIR);
}

Result FileClaim::take(const QString &path)
{
    Result result;
    close(); // a second try after a refused one starts afresh
    const Location location = locate(path);
    m_folder = openFolderOf(location, FolderLinks::Refuse, &result);
    if (m_folder < 0)
        return result;
    m_name = location.name;
    for (int attempt = 0; attempt < 16; ++attempt) {
        m_claimName = randomName(ClaimPrefix);
        if (::mkdirat(m_folder, m_claimName.constData(), 0777) == 0)
            break;
        if (errno != EEXIST)
            return fromErrno(errno);
        m_claimName.clear();
    }
    if (m_claimName.isEmpty())
        return failure(Status::IoError, EEXIST);
    m_claim = ::openat(m_folder, m_claimName.constData(),
                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_claim < 0) {
        const int error = errno;
        ::unlinkat(m_folder, m_claimName.constData(), AT_REMOVEDIR);
        return failure(Status::IoError, error);
    }
    lockExclusive(m_claim);
    if (::renameat(m_folder, m_name.constData(), m_claim, m_name.constData()) != 0) {
        const int error = errno;
        removeClaimFolder();
        return error == ENOENT ? failure(Status::NotFound, error) : failure(Status::IoError, error);
    }
    m_holding = true;
    return {};
}

Result FileClaim::read(QByteArray *out, qint64 maxBytes) const
{
    out->clear();
    const Descriptor file(::openat(m_claim, m_name.constData(),
                                   O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.valid())
        return fromErrno(errno);
    return readOpen(file.get(), out, maxBytes, nullptr);
}

Result FileClaim::release()
{
    if (!m_holding)
        return failure(Status::NotFound, ENOENT);
    if (::unlinkat(m_claim, m_name.constData(), 0) != 0)
        return fromErrno(errno);
    m_holding = false;
    removeClaimFolder();
    // The message is safe in its new place; a lost deletion would only show it twice.
    syncFolder(m_folder);
    return {};
}

Result FileClaim::putBack()
{
    if (!m_holding)
        return {};
    // Never over a file that is there now: that is a newer save.
    QByteArray taken;
    if (const int error = moveToFreeName(m_claim, m_name, m_folder, m_name, &taken))
        return fromErrno(error);
    m_holding = false;
    removeClaimFolder();
    if (const int syncError = syncFolder(m_folder))
        return failure(Status::IoError, syncError);
    return {};
}

void FileClaim::recover(int folderFd, const QByteArray &claimName, int maxAgeSeconds, qint64 now)
{
    FileClaim claim;
    claim.m_folder = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    claim.m_claimName = claimName;
    claim.m_claim = ::openat(folderFd, claimName.constData(),
                             O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (claim.m_folder < 0 || claim.m_claim < 0)
        return;
    struct stat info;
    if (::fstat(claim.m_claim, &info) != 0)
        return;
    // Taken, so that two copies starting at once do not both put it back.
    if (!lockExclusive(claim.m_claim)
        && (errno == EWOULDBLOCK || now - qint64(info.st_mtime) <= maxAgeSeconds))
        return;
    QList<QByteArray> names;
    const bool listed
        = SafeFile::forEachEntry(claim.m_claim, [&](const char *entry, unsigned char) {
              const QByteArray name(entry);
              if (name != "." && name != "..")
                  names.append(name);
              return true;
          });
    if (!listed)
        return;
    for (const QByteArray &name : names) {
        if (claim.m_claim < 0)
            claim.m_claim = ::openat(folderFd, claimName.constData(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        claim.m_name = name;
        claim.m_holding = true;
        claim.putBack();
    }
    claim.m_holding = false;
    claim.removeClaimFolder();
}
