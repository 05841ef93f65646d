#pragma once

#include "TempFolder.h"

#include <QByteArray>
#include <QProcess>
#include <QString>

// A real office share on loopback, started by tools/share-rig.sh: a Samba server mounted
// through smbnetfs (Smb) or an OpenSSH server mounted through sshfs (Sftp), each with its own
// configuration and free port under a temporary folder. Another computer's writes go through
// a second client (smbclient, ssh), never through this computer's mount.
class RealShare
{
public:
    enum class Kind { Smb, Sftp };

    // sshfsOptions are passed to sshfs ("-o", "dir_cache=no", ...); ignored for Smb.
    explicit RealShare(Kind kind, const QStringList &sshfsOptions = {});
    ~RealShare();
    RealShare(const RealShare &) = delete;
    RealShare &operator=(const RealShare &) = delete;

    bool isMounted() const { return !m_mount.isEmpty(); }
    // Why the start failed, with the servers' logs' place.
    QString error() const { return m_error; }
    // The package to install when a program the share needs is missing; empty when all are
    // there. Only then may a test skip.
    static QString missingPackage(Kind kind);

    // The share as this computer sees it, and the same folder on the server's disk.
    QString mountPoint() const { return m_mount; }
    QString backing() const { return m_backing; }

    // Another computer writes, reads or deletes name (relative to the share's root).
    bool putFromOtherComputer(const QString &name, const QByteArray &bytes);
    QByteArray getFromOtherComputer(const QString &name, bool *ok = nullptr);
    bool removeFromOtherComputer(const QString &name);
    // (Sftp) Another computer rewrites name in place, as "cat >" does: empties it at once and
    // writes bytes delayMs later. Returns at once; finishRewrite() waits for the end.
    void startSlowRewrite(const QString &name, const QByteArray &bytes, int delayMs);
    bool finishRewrite();

    // Freezes the server (all its processes) as a hung file server; resume() thaws it.
    void stop();
    void resume();

    static QString rigScript();

    // The process groups of the server and of this computer's client (the benchmark counts
    // their CPU).
    qint64 serverGroup() const { return m_serverGroup; }
    qint64 clientGroup() const { return m_clientGroup; }

private:
    QString runRig(const QStringList &arguments, bool *ok);

    TempFolder m_root;
    QProcess m_rewrite;
    QString m_mount;
    QString m_backing;
    QString m_error;
    qint64 m_serverGroup = 0;
    qint64 m_clientGroup = 0;
};
