#pragma once

#include "TempFolder.h"

#include <QProcess>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

// A real share for tests: bindfs (FUSE) shows a source folder at a mount point. As with a
// network share, this computer sees it through a server process with a 1 s attribute cache,
// and a write into the source (another computer's write) raises no change notification.
// stop() freezes the server as a hung file server would; the destructor thaws and unmounts.
class PausableShare
{
public:
    PausableShare();
    ~PausableShare();
    PausableShare(const PausableShare &) = delete;
    PausableShare &operator=(const PausableShare &) = delete;

    // False when bindfs is missing or could not mount; error() says why.
    bool isMounted() const { return m_mounted; }
    QString error() const { return m_error; }

    // Where another computer writes, and where this one sees the share.
    const TempFolder &source() const { return m_source; }
    QString mountPoint() const { return m_mountPoint.path(); }

    // Freezes the server; another thread thaws it after at most maxMs, so that a test whose
    // own thread is caught waiting for the share fails instead of hanging.
    void stop(int maxMs);
    void resume();
    qint64 serverPid() const { return m_server.processId(); }

    // False when this machine cannot mount FUSE file systems at all (no /dev/fuse).
    static bool fuseAvailable();

private:
    TempFolder m_source;
    TempFolder m_mountPoint;
    QProcess m_server;
    bool m_mounted = false;
    bool m_stopped = false;
    QString m_error;
    std::mutex m_mutex;
    std::condition_variable m_resumed;
    std::thread m_thaw;
};
