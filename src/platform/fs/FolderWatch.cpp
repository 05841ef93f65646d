#include "FolderWatch.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

FolderWatch::Mode g_defaultMode = FolderWatch::Mode::Automatic;

constexpr uint32_t WatchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB
    | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// File systems whose changes made by other computers never reach inotify.
constexpr long NetworkMagics[] = {
    0x6969, // NFS
    0x517B, // SMB
    long(0xFF534D42), // CIFS
    long(0xFE534D42), // SMB2
    0x65735546, // FUSE (sshfs and friends)
    0x564c, // NCP
    0x73757245, // Coda
    0x6B414653, // AFS
    0x47504653, // GPFS
    0x0BD00BD0, // Lustre
    0x19830326, // FhGFS / BeeGFS
};

} // namespace

void FolderWatch::setDefaultMode(Mode mode)
{
    g_defaultMode = mode;
}

FolderWatch::Mode FolderWatch::defaultMode()
{
    return g_defaultMode;
}

FolderWatch::FolderWatch(QObject *parent)
    : QObject(parent)
{ }

FolderWatch::~FolderWatch()
{
    stop();
}

void FolderWatch::stop()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_inotify >= 0)
        ::close(m_inotify);
    m_inotify = -1;
    m_watchDescriptor = -1;
    m_pending.clear();
    m_overflow = true;
}

void FolderWatch::watch(const QString &folder)
{
    stop();
    m_folder = folder;
    m_stamp = Stamp();
    Mode mode = g_defaultMode;
    if (mode == Mode::Automatic)
        mode = isNetworkFolder(folder) ? Mode::Poll : Mode::Notify;
    if (mode == Mode::Notify && !startNotify(folder))
        mode = Mode::Poll;
    m_mode = mode;
}

bool FolderWatch::startNotify(const QString &folder)
{
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0)
        return false;
    m_watchDescriptor
        = ::inotify_add_watch(m_inotify, QFile::encodeName(folder).constData(), WatchedEvents);
    if (m_watchDescriptor < 0) {
        ::close(m_inotify);
        m_inotify = -1;
        return false;
    }
    m_notifier = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatch::readEvents);
    return true;
}

bool FolderWatch::isNetworkFolder(const QString &folder)
{
    struct statfs info;
    if (::statfs(QFile::encodeName(folder).constData(), &info) != 0)
        return false;
    for (const long magic : NetworkMagics)
        if (long(info.f_type) == magic)
            return true;
    return false;
}

void FolderWatch::readEvents()
{
    if (drainEvents())
        emit changed();
}

bool FolderWatch::drainEvents()
{
    if (m_inotify < 0)
        return false;
    alignas(inotify_event) char buffer[16384];
    bool any = false;
    for (;;) {
        const ssize_t got = ::read(m_inotify, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            break;
        }
        any = true;
        for (ssize_t offset = 0; offset < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                m_overflow = true;
                continue;
            }
            if (event->len > 0 && !m_overflow) {
                // Names that do not survive decoding are never listed: no need to look.
                const QByteArray raw(event->name);
                const QString name = QFile::decodeName(raw);
                if (QFile::encodeName(name) != raw)
                    continue;
                m_pending.insert(name);
                if (m_pending.size() > MaxPendingNames)
                    m_overflow = true;
            }
        }
    }
    if (m_overflow)
        m_pending.clear();
    return any;
}

bool FolderWatch::folderStatChanged()
{
    struct stat info;
    Stamp now;
    if (::stat(QFile::encodeName(m_folder).constData(), &info) == 0) {
        now.mtimeNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        now.size = qint64(info.st_size);
        now.inode = qint64(info.st_ino);
    }
    const bool changed = !(now == m_stamp);
    m_stamp = now;
    return changed;
}

FolderWatch::Changes FolderWatch::takeChanges()
{
    Changes changes;
    switch (m_mode) {
    case Mode::Literal:
    case Mode::Automatic:
        changes.fullReadNeeded = true;
        break;
    case Mode::Poll:
        changes.fullReadNeeded = folderStatChanged() || !m_sinceFullRead.isValid()
            || m_sinceFullRead.elapsed() >= FullReadIntervalMs;
        break;
    case Mode::Notify:
        // Take events the event loop has not delivered yet, so a caller that asks right
        // after a change (its own write, say) sees it.
        drainEvents();
        changes.fullReadNeeded = m_overflow;
        changes.names.swap(m_pending);
        break;
    }
    if (changes.fullReadNeeded)
        changes.names.clear();
    return changes;
}

void FolderWatch::markFullRead()
{
    // Called before the caller reads the folder: whatever happened until now is covered by
    // that read, and whatever happens during it stays pending for the next question.
    drainEvents();
    m_overflow = false;
    m_pending.clear();
    m_sinceFullRead.start();
    if (m_mode == Mode::Poll)
        folderStatChanged();
}
