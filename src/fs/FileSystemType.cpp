#include "FileSystemType.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <mutex>

#include <sys/vfs.h>

namespace FileSystemType {

namespace {

Probe g_probe;
// Folders found on a share. A share's client may stop answering (a hung server); its folder is
// then not asked again, so choosing how to follow it never waits for the server. A share
// stays a share; a folder found local is asked each time, it answers at once.
std::mutex g_sharesMutex;
QSet<QString> g_shares;

// Every writer of these goes through this computer's kernel. Overlay is here because it is the
// root of every container; USB sticks and disks formatted elsewhere are local too.
constexpr quint32 LocalTypes[] = {
    Ext,        Xfs, Btrfs, F2fs, Tmpfs, Zfs,
    0x858458F6, // ramfs
    0x52654973, // reiserfs
    0x3153464A, // jfs
    0xCA451A4E, // bcachefs
    0x3434, // nilfs2
    0x794C7630, // overlay
    0x4D44, // vfat, msdos
    0x2011BAB0, // exfat
    0x7366746E, // ntfs3
    0x5346544E, // ntfs
    0x482B, // hfsplus
};

std::optional<quint32> statfsType(const QString &path)
{
    struct statfs info;
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return quint32(quint64(info.f_type) & 0xFFFFFFFFu);
}

} // namespace

std::optional<quint32> of(const QString &folder)
{
    if (g_probe)
        return g_probe(folder);
    if (const auto type = statfsType(folder))
        return type;
    // A folder that appears later (History) will most likely live where its parent does.
    QString trimmed = folder;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    return statfsType(QFileInfo(trimmed).path());
}

bool isLocal(quint32 type)
{
    for (const quint32 local : LocalTypes) {
        if (type == local)
            return true;
    }
    return false;
}

bool seesEveryWriter(const QString &folder)
{
    {
        const std::lock_guard lock(g_sharesMutex);
        if (g_shares.contains(folder))
            return false;
    }
    const auto type = of(folder);
    if (type && isLocal(*type))
        return true;
    if (type) {
        const std::lock_guard lock(g_sharesMutex);
        g_shares.insert(folder);
    }
    return false;
}

void setProbe(Probe probe)
{
    g_probe = std::move(probe);
    const std::lock_guard lock(g_sharesMutex);
    g_shares.clear();
}

} // namespace FileSystemType
