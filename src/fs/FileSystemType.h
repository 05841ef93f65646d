#pragma once

#include <QString>

#include <functional>
#include <optional>

// Which folders change notification can be trusted on. inotify sees only the writers that go
// through this computer's kernel, so it is used only on file systems known to be local; a
// share (NFS, SMB, 9p, FUSE, cluster file systems) and anything unknown is polled instead.
namespace FileSystemType {

// Type numbers as statfs() reports them (f_type).
enum Magic : quint32 {
    Ext = 0xEF53, // ext2, ext3, ext4
    Xfs = 0x58465342,
    Btrfs = 0x9123683E,
    F2fs = 0xF2F52010,
    Tmpfs = 0x01021994,
    Zfs = 0x2FC12FC1,
    NineP = 0x01021997, // WSL2 and virtual machine shares
    Fuse = 0x65735546,
    Nfs = 0x6969,
};

// The type of folder's file system, or of its parent's while folder does not exist yet;
// nothing when neither can be asked.
std::optional<quint32> of(const QString &folder);

// True for the file systems that only this computer writes to.
bool isLocal(quint32 type);

// True when change notification sees every change to folder. A folder once found on a share
// is not asked again.
bool seesEveryWriter(const QString &folder);

// Replaces the system's answer to of() (a test makes a local folder look like a 9p share); an
// empty probe restores it.
using Probe = std::function<std::optional<quint32>(const QString &folder)>;
void setProbe(Probe probe);

} // namespace FileSystemType
