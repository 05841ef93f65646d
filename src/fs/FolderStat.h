#pragma once

#include <QString>

// What one stat of a folder tells a watch: which folder its path names now (a folder replaced
// or mounted over has another device or inode) and a stamp that moves when its entries change.
class FolderStat
{
public:
    struct Identity
    {
        qint64 device = -1;
        qint64 inode = -1;
        bool operator==(const Identity &) const = default;
    };
    struct Stamp
    {
        qint64 mtimeNs = -1;
        qint64 size = -1;
        qint64 inode = -1;
        bool operator==(const Stamp &) const = default;
    };

    // False for a path that names no folder now; identity and stamp are then empty.
    static bool read(const QString &path, Identity *identity, Stamp *stamp);
    static Stamp stampOf(const QString &path);
    // The folder that holds path ("a/b/" is held by "a").
    static QString parentOf(const QString &path);
    // path's last name, as the system spells it.
    static QByteArray encodedNameOf(const QString &path);
};
