#pragma once

#include <QString>

// A real FUSE share for the tests: bindfs mirrors a backing folder at a mount point, with the
// kernel's one-second attribute and name caches of any FUSE file system. Saves made in the
// backing folder stand for another computer writing to the server.
class FuseShare
{
public:
    // Mounts backing at mountPoint (both must exist).
    FuseShare(const QString &backing, const QString &mountPoint);
    ~FuseShare();
    FuseShare(const FuseShare &) = delete;
    FuseShare &operator=(const FuseShare &) = delete;

    bool mounted() const { return m_mounted; }
    // Why the mount failed, for the test's message.
    QString error() const { return m_error; }

    // False when this machine cannot run FUSE at all (no usable /dev/fuse): only then may a
    // test skip.
    static bool available();

private:
    QString m_mountPoint;
    QString m_error;
    bool m_mounted = false;
};
