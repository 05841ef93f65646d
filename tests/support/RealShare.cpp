#include "RealShare.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>

namespace {

QString kindName(RealShare::Kind kind)
{
    return kind == RealShare::Kind::Smb ? QStringLiteral("smb") : QStringLiteral("sftp");
}

} // namespace

QString RealShare::rigScript()
{
    return QStringLiteral(NOTAVO_SHARE_RIG);
}

QString RealShare::missingPackage(Kind kind)
{
    const auto has = [](const char *program, const QStringList &paths = {}) {
        return !QStandardPaths::findExecutable(QString::fromLatin1(program), paths).isEmpty();
    };
    const QStringList sbin { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin") };
    if (!QFile::exists(QStringLiteral("/dev/fuse")))
        return QStringLiteral("/dev/fuse (a machine that can run FUSE)");
    if (!has("fusermount3"))
        return QStringLiteral("fuse3");
    if (kind == Kind::Smb) {
        if (!has("smbd", sbin))
            return QStringLiteral("samba");
        if (!has("smbnetfs"))
            return QStringLiteral("smbnetfs");
        if (!has("smbclient"))
            return QStringLiteral("smbclient");
        return QString();
    }
    if (!has("sshd", sbin))
        return QStringLiteral("openssh-server");
    if (!has("ssh") || !has("ssh-keygen"))
        return QStringLiteral("openssh-client");
    if (!has("sshfs"))
        return QStringLiteral("sshfs");
    return QString();
}

RealShare::RealShare(Kind kind, const QStringList &sshfsOptions)
{
    bool ok = false;
    const QString output = runRig(
        QStringList { QStringLiteral("start"), kindName(kind), m_root.path() } + sshfsOptions, &ok);
    if (!ok) {
        m_error = output;
        return;
    }
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const QString value = line.section(QLatin1Char('='), 1);
        if (key == QLatin1String("MOUNT"))
            m_mount = value;
        else if (key == QLatin1String("BACKING"))
            m_backing = value;
        else if (key == QLatin1String("SERVER"))
            m_serverGroup = value.toLongLong();
        else if (key == QLatin1String("CLIENT"))
            m_clientGroup = value.toLongLong();
    }
    if (m_mount.isEmpty())
        m_error = QStringLiteral("share-rig.sh named no mount: ") + output;
}

RealShare::~RealShare()
{
    bool ok = false;
    runRig({ QStringLiteral("stop"), m_root.path() }, &ok);
}

QString RealShare::runRig(const QStringList &arguments, bool *ok)
{
    QProcess rig;
    rig.setProcessChannelMode(QProcess::MergedChannels);
    rig.start(QStringLiteral("/bin/bash"), QStringList { rigScript() } + arguments);
    *ok = rig.waitForFinished(30000) && rig.exitStatus() == QProcess::NormalExit
        && rig.exitCode() == 0;
    return QString::fromLocal8Bit(rig.readAll());
}

bool RealShare::putFromOtherComputer(const QString &name, const QByteArray &bytes)
{
    const QString local = m_root.file(QStringLiteral("put.tmp"));
    QFile file(local);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    bool ok = false;
    runRig({ QStringLiteral("put"), m_root.path(), local, name }, &ok);
    return ok;
}

QByteArray RealShare::getFromOtherComputer(const QString &name, bool *ok)
{
    const QString local = m_root.file(QStringLiteral("get.tmp"));
    QFile::remove(local);
    bool got = false;
    runRig({ QStringLiteral("get"), m_root.path(), name, local }, &got);
    QFile file(local);
    got = got && file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = got;
    return got ? file.readAll() : QByteArray();
}

bool RealShare::removeFromOtherComputer(const QString &name)
{
    bool ok = false;
    runRig({ QStringLiteral("rm"), m_root.path(), name }, &ok);
    return ok;
}

void RealShare::startSlowRewrite(const QString &name, const QByteArray &bytes, int delayMs)
{
    const QString local = m_root.file(QStringLiteral("rewrite.tmp"));
    QFile file(local);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    file.close();
    m_rewrite.setProcessChannelMode(QProcess::ForwardedChannels);
    m_rewrite.start(QStringLiteral("/bin/bash"),
                    { rigScript(), QStringLiteral("rewrite"), m_root.path(), local, name,
                      QString::number(delayMs / 1000.0) });
}

bool RealShare::finishRewrite()
{
    return m_rewrite.waitForFinished(30000) && m_rewrite.exitCode() == 0;
}

void RealShare::stop()
{
    if (m_serverGroup > 0)
        ::kill(-pid_t(m_serverGroup), SIGSTOP);
}

void RealShare::resume()
{
    if (m_serverGroup > 0)
        ::kill(-pid_t(m_serverGroup), SIGCONT);
}
