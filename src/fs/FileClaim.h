#pragma once

#include "SafeFile.h"

#include <QByteArray>
#include <QString>

// Takes a file out of its folder for a move or a rename, atomically: it is renamed into a
// private folder beside it (ClaimPrefix + a random part). A save by another copy that lands
// afterwards creates a new file under the name instead of being deleted with the old one, and
// the caller can check that what it claimed is what it copied before deleting it.
//
// The claim folder stays locked while it is used, so a starting copy's clean-up tells a live
// claim from one left by a crash, and puts the latter back (see removeStaleTemporaries).
class FileClaim
{
public:
    FileClaim() = default;
    // An unreleased claim is put back.
    ~FileClaim();
    FileClaim(const FileClaim &) = delete;
    FileClaim &operator=(const FileClaim &) = delete;

    // Claims the file at path (whatever it is: a link is moved as a link, never followed).
    // NotFound when the name is gone; IoError when it cannot be moved (a sticky-bit folder
    // and another user's file, a read-only folder).
    SafeFile::Result take(const QString &path);

    // Reads the claimed file, refusing anything but a regular file with one name.
    SafeFile::Result read(QByteArray *out, qint64 maxBytes) const;

    // The copy is safe elsewhere: deletes the claimed file and the claim folder.
    SafeFile::Result release();

    // Puts the claimed file back under its name; when a newer save has taken the name since,
    // under a free one beside it ("name (2).ms3"), so neither is lost.
    SafeFile::Result putBack();

    // Puts back whatever the claim folder claimName in folderFd holds, unless a running copy
    // still holds it. When the file system has no locks, only a claim folder older than
    // maxAgeSeconds by the server's clock (now) counts as left behind.
    static void recover(int folderFd, const QByteArray &claimName, int maxAgeSeconds, qint64 now);

private:
    void close();
    void removeClaimFolder();

    int m_folder = -1;
    int m_claim = -1;
    QByteArray m_claimName;
    QByteArray m_name;
    bool m_holding = false;
};
