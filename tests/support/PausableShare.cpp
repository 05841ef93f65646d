#include "PausableShare.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/vfs.h>

namespace {

constexpr long FuseMagic = 0x65735546;

bool isFuseMount(const QString &path)
{
    struct statfs info;
    return ::statfs(QFile::encodeName(path).constData(), &info) == 0 && info.f_type == FuseMagic;
}

} // namespace

bool PausableShare::fuseAvailable()
{
    return QFile::exists(QStringLiteral("/dev/fuse"));
}

PausableShare::PausableShare()
{
    const QString bindfs = QStandardPaths::findExecutable(QStringLiteral("bindfs"));
    if (bindfs.isEmpty()) {
        m_error = QStringLiteral("bindfs is not installed (Debian package bindfs)");
        return;
    }
    // In the foreground, so that the server is this child and can be stopped.
    m_server.setProcessChannelMode(QProcess::ForwardedChannels);
    m_server.start(bindfs,
                   { QStringLiteral("-f"), QStringLiteral("--no-allow-other"), m_source.path(),
                     m_mountPoint.path() });
    QElapsedTimer waited;
    waited.start();
    while (!isFuseMount(m_mountPoint.path()) && waited.elapsed() < 10000
           && m_server.state() != QProcess::NotRunning)
        QThread::msleep(20);
    m_mounted = isFuseMount(m_mountPoint.path());
    if (!m_mounted)
        m_error = QStringLiteral("bindfs could not mount %1").arg(m_mountPoint.path());
}

PausableShare::~PausableShare()
{
    resume();
    if (m_server.state() == QProcess::NotRunning)
        return;
    // Unmounting ends the foreground server; a lazy unmount if something still holds it.
    if (QProcess::execute(QStringLiteral("fusermount3"), { QStringLiteral("-u"), mountPoint() })
        != 0)
        QProcess::execute(QStringLiteral("fusermount3"),
                          { QStringLiteral("-u"), QStringLiteral("-z"), mountPoint() });
    if (!m_server.waitForFinished(5000)) {
        m_server.kill();
        m_server.waitForFinished(2000);
    }
}

void PausableShare::stop(int maxMs)
{
    const pid_t server = pid_t(m_server.processId());
    if (server <= 0 || m_thaw.joinable())
        return;
    ::kill(server, SIGSTOP);
    m_stopped = true;
    m_thaw = std::thread([this, server, maxMs] {
        std::unique_lock lock(m_mutex);
        m_resumed.wait_for(lock, std::chrono::milliseconds(maxMs), [this] { return !m_stopped; });
        ::kill(server, SIGCONT);
    });
}

void PausableShare::resume()
{
    if (!m_thaw.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = false;
    }
    m_resumed.notify_all();
    m_thaw.join();
}
