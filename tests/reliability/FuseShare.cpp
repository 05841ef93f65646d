#include "FuseShare.h"

#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool isMountPoint(const QString &path)
{
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (!mounts.open(QIODevice::ReadOnly))
        return false;
    const QByteArray wanted = ' ' + QFile::encodeName(path) + ' ';
    return mounts.readAll().contains(wanted);
}

} // namespace

FuseShare::FuseShare(const QString &backing, const QString &mountPoint)
    : m_mountPoint(mountPoint)
{
    QProcess bindfs;
    bindfs.setProcessChannelMode(QProcess::MergedChannels);
    bindfs.start(QStringLiteral("bindfs"),
                 { QStringLiteral("--no-allow-other"), backing, mountPoint });
    if (!bindfs.waitForFinished(20000) || bindfs.exitCode() != 0) {
        m_error = QStringLiteral("bindfs failed: ") + bindfs.errorString() + QLatin1Char(' ')
            + QString::fromLocal8Bit(bindfs.readAll());
        return;
    }
    m_mounted = isMountPoint(mountPoint);
    if (!m_mounted)
        m_error = QStringLiteral("bindfs exited but nothing is mounted at ") + mountPoint;
}

FuseShare::~FuseShare()
{
    if (!m_mounted)
        return;
    QProcess::execute(QStringLiteral("fusermount3"), { QStringLiteral("-u"), m_mountPoint });
    if (isMountPoint(m_mountPoint))
        QProcess::execute(QStringLiteral("fusermount3"), { QStringLiteral("-uz"), m_mountPoint });
}

bool FuseShare::available()
{
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}
