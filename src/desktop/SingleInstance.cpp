#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QByteArray Forward = "forward\n";

// The desktop session the copy runs in. The display names it: a program started from a
// terminal may lack XDG_SESSION_ID while autostarted ones have it, yet both share the display.
QString sessionName()
{
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty())
        return QStringLiteral("wayland:") + wayland;
    QString x11 = qEnvironmentVariable("DISPLAY");
    if (!x11.isEmpty()) {
        // ":0" and ":0.0" are one display.
        const int colon = x11.lastIndexOf(QLatin1Char(':'));
        const int dot = x11.indexOf(QLatin1Char('.'), colon);
        if (colon >= 0 && dot > colon)
            x11.truncate(dot);
        return QStringLiteral("x11:") + x11;
    }
    return QStringLiteral("session:") + qEnvironmentVariable("XDG_SESSION_ID");
}

// The user's runtime folder when it is private to the user, as the desktop makes it.
QString socketFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QFileInfo info(runtime);
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    if (!runtime.isEmpty() && info.isAbsolute() && info.isDir() && !info.isSymLink()
        && info.ownerId() == ::getuid() && !(info.permissions() & others))
        return runtime;
    return QDir::tempPath();
}

bool peerIsMe(const QLocalSocket &socket)
{
    ucred peer {};
    socklen_t size = sizeof(peer);
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0
        && peer.uid == ::getuid();
}

} // namespace

SingleInstance::SingleInstance(const QString &dataFolder, QObject *parent)
    : QObject(parent)
{
    const QFileInfo folder(dataFolder);
    const QString canonical = folder.canonicalFilePath();
    const QByteArray key = QByteArray::number(::getuid()) + '\n'
        + (canonical.isEmpty() ? folder.absoluteFilePath() : canonical).toUtf8() + '\n'
        + sessionName().toUtf8();
    const QString name
        = QStringLiteral("notavo-%1-%2")
              .arg(::getuid())
              .arg(QString::fromLatin1(
                  QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32)));
    m_path = socketFolder() + QLatin1Char('/') + name;
    // A socket path has a short limit; the shared temporary folder is short.
    if (QFile::encodeName(m_path).size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
        m_path = QDir::tempPath() + QLatin1Char('/') + name;
}

bool SingleInstance::claim()
{
    // Two copies started together must not both find no one and both listen.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.tryLock(5000);
    if (askRunningCopy())
        return false;
    // Nobody answered: what is there is left by a copy that ended without cleaning up.
    QLocalServer::removeServer(m_path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_path))
        return true;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    return true;
}

bool SingleInstance::askRunningCopy() const
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    // A socket nobody listens on refuses at once; only a running copy accepts.
    if (!socket.waitForConnected(2000) || !peerIsMe(socket))
        return false;
    // Once written, the request waits in the socket for the running copy to read it.
    socket.write(Forward);
    socket.waitForBytesWritten(2000);
    return true;
}

void SingleInstance::answer()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const bool forward = socket->readLine() == Forward;
            socket->disconnectFromServer();
            if (forward)
                emit forwardRequested();
        });
    }
}
