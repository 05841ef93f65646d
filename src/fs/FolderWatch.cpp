#include "FolderWatch.h"

#include "FileSystemType.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

FolderWatch::Mode g_defaultMode = FolderWatch::Mode::Automatic;

constexpr uint32_t WatchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB
    | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// While the folder does not exist (or something else holds its name): its name appearing in
// the parent.
constexpr uint32_t AwaitedEvents
    = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// The watched folder itself went away or its watch ended: whatever is watched now is wrong.
constexpr uint32_t SelfEvents = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;
// The events that move the folder's own time stamps.
constexpr uint32_t EntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

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
{
    connect(&m_paceTimer, &QTimer::timeout, this, [this] {
        if (m_pace == Pace::Storm)
            stormTick();
        else
            readBatch();
    });
}

FolderWatch::~FolderWatch()
{
    stop();
}

void FolderWatch::setNameFilter(NameFilter filter)
{
    m_filter = std::move(filter);
}

void FolderWatch::stop()
{
    // stop() may run inside the notifier's own signal (a refresh that watches anew).
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    resetPace();
    if (m_inotify >= 0)
        ::close(m_inotify);
    m_inotify = -1;
    m_watchDescriptor = -1;
    m_awaitedName.clear();
    m_pending.clear();
    m_overflow = true;
    m_rearm = false;
    m_settle = false;
}

void FolderWatch::watch(const QString &folder)
{
    stop();
    m_folder = folder;
    m_stamp = FolderStat::Stamp();
    Mode mode = g_defaultMode;
    if (mode == Mode::Automatic)
        mode = FileSystemType::seesEveryWriter(folder) ? Mode::Notify : Mode::Poll;
    if (mode == Mode::Notify && !startNotify())
        mode = Mode::Poll;
    m_mode = mode;
}

bool FolderWatch::startNotify()
{
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0)
        return false;
    if (!arm()) {
        ::close(m_inotify);
        m_inotify = -1;
        return false;
    }
    m_notifier = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatch::readEvents);
    return true;
}

bool FolderWatch::arm()
{
    // The old watch (if its folder still exists) reports IN_IGNORED when removed; events are
    // taken only from the current descriptor, so that one is dropped.
    if (m_watchDescriptor >= 0)
        ::inotify_rm_watch(m_inotify, m_watchDescriptor);
    m_awaitedName.clear();
    const QByteArray path = QFile::encodeName(m_folder);
    m_watchDescriptor = ::inotify_add_watch(m_inotify, path.constData(), WatchedEvents);
    if (m_watchDescriptor < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        m_watchDescriptor = ::inotify_add_watch(
            m_inotify, QFile::encodeName(FolderStat::parentOf(m_folder)).constData(),
            AwaitedEvents);
        if (m_watchDescriptor >= 0)
            m_awaitedName = FolderStat::encodedNameOf(m_folder);
    }
    FolderStat::read(m_folder, &m_identity, &m_stamp);
    m_sinceVerify.start();
    m_settle = false;
    return m_watchDescriptor >= 0;
}

void FolderWatch::resetPace()
{
    m_paceTimer.stop();
    m_pace = Pace::Immediate;
    m_busyWindow.invalidate();
    m_windowWakeups = 0;
    m_windowEvents = 0;
}

void FolderWatch::readEvents()
{
    if (!m_busyWindow.isValid() || m_busyWindow.elapsed() >= BusyWindowMs) {
        m_busyWindow.start();
        m_windowWakeups = 0;
        m_windowEvents = 0;
    }
    const bool relevant = drainEvents();
    // Only wake-ups for nothing count: the listing's own changes (a colleague's messages one
    // after another) are read the moment they come.
    if (!relevant)
        ++m_windowWakeups;
    if ((m_windowWakeups > BusyWakeups || m_windowEvents > FloodEvents) && m_notifier) {
        // A steady stream: from now on it is read in batches at a steady pace, not with a
        // wake-up each (on a virtual machine a wake-up alone costs tens of microseconds).
        m_notifier->setEnabled(false);
        m_pace = Pace::Batched;
        m_windowEvents = 0;
        m_paceTimer.start(PaceMs);
    }
    if (relevant)
        emit changed();
}

void FolderWatch::readBatch()
{
    m_windowEvents = 0;
    const bool relevant = drainEvents();
    if (m_windowEvents > StormEvents) {
        startStorm();
        return;
    }
    // A batch that gathered nothing: the stream is over, the next change is read at once.
    if (m_windowEvents == 0) {
        resetPace();
        if (m_notifier)
            m_notifier->setEnabled(true);
    }
    if (relevant)
        emit changed();
}

void FolderWatch::startStorm()
{
    // Even read in batches, each event costs the kernel a copy: without a watch the flood
    // costs this copy nothing, whatever its rate.
    if (m_watchDescriptor >= 0)
        ::inotify_rm_watch(m_inotify, m_watchDescriptor);
    m_watchDescriptor = -1;
    drainEvents();
    m_pending.clear();
    m_overflow = true;
    m_pace = Pace::Storm;
    m_stormStamp = watchedStamp();
    m_paceTimer.start(stormIntervalMs());
    emit changed();
}

void FolderWatch::stormTick()
{
    FolderStat::Identity identity;
    FolderStat::Stamp stamp;
    const bool present = FolderStat::read(m_folder, &identity, &stamp);
    // The folder appeared (while its parent was watched) or was replaced: watched anew.
    const bool replaced = m_awaitedName.isEmpty() ? !(identity == m_identity) : present;
    const FolderStat::Stamp now = m_awaitedName.isEmpty() ? stamp : watchedStamp();
    if (replaced || now == m_stormStamp) {
        endStorm();
        return;
    }
    m_stormStamp = now;
    m_paceTimer.setInterval(stormIntervalMs());
    // An awaited folder is still missing: nothing to list.
    if (m_awaitedName.isEmpty()) {
        m_overflow = true;
        emit changed();
    }
}

void FolderWatch::endStorm()
{
    resetPace();
    arm();
    m_overflow = true;
    if (m_notifier)
        m_notifier->setEnabled(true);
    // Whatever happened since the last listing is covered by the next one.
    emit changed();
}

int FolderWatch::stormIntervalMs() const
{
    const qint64 spaced = m_fullReadNs * StormCostShare / 1000000;
    return int(qBound(qint64(StormPollMs), spaced, qint64(MaxStormPollMs)));
}

bool FolderWatch::drainEvents()
{
    if (m_inotify < 0)
        return false;
    // Large reads: a flood is taken in a few calls.
    constexpr std::size_t BufferSize = 65536;
    if (!m_buffer)
        m_buffer.reset(new char[BufferSize]);
    char *const buffer = m_buffer.get();
    bool relevant = false;
    for (;;) {
        const ssize_t got = ::read(m_inotify, buffer, BufferSize);
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            break;
        }
        for (ssize_t offset = 0; offset < got;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            const char *name = buffer + offset + sizeof(inotify_event);
            offset += ssize_t(sizeof(inotify_event) + event.len);
            ++m_windowEvents;
            if (takeEvent(&event, name))
                relevant = true;
        }
    }
    if (m_overflow)
        m_pending.clear();
    return relevant;
}

bool FolderWatch::takeEvent(const inotify_event *event, const char *name)
{
    if (event->mask & IN_Q_OVERFLOW) {
        m_overflow = true;
        return true;
    }
    if (event->wd != m_watchDescriptor)
        return false;
    if (event->mask & SelfEvents) {
        m_rearm = true;
        m_overflow = true;
        return true;
    }
    if (event->mask & EntryEvents)
        m_entryEventsSinceVerify = true;
    if (event->len == 0 || name[0] == '.')
        return false;
    const std::size_t length = ::strnlen(name, event->len);
    if (!m_awaitedName.isEmpty()) {
        if (QByteArrayView(name, qsizetype(length)) != m_awaitedName)
            return false;
        m_rearm = true;
        m_overflow = true;
        return true;
    }
    // Matched on the bytes first: the names no pattern lists cost no string.
    if (m_filter && !m_filter(name, length))
        return false;
    // Names that do not survive decoding are never listed: no need to look.
    const QByteArray raw(name, qsizetype(length));
    const QString decoded = QFile::decodeName(raw);
    if (QFile::encodeName(decoded) != raw)
        return false;
    if (!m_overflow) {
        m_pending.insert(decoded);
        if (m_pending.size() > MaxPendingNames)
            m_overflow = true;
    }
    return true;
}

FolderStat::Stamp FolderWatch::watchedStamp() const
{
    // What the removed watch looked at: the folder, or its parent while it is awaited.
    return FolderStat::stampOf(m_awaitedName.isEmpty() ? m_folder : FolderStat::parentOf(m_folder));
}

void FolderWatch::verify()
{
    m_sinceVerify.start();
    FolderStat::Identity identity;
    FolderStat::Stamp stamp;
    FolderStat::read(m_folder, &identity, &stamp);
    if (!(identity == m_identity)) {
        // Replaced, mounted over, or it appeared: the watch looks at the wrong folder.
        m_rearm = true;
        m_overflow = true;
    } else if (!(stamp == m_stamp)) {
        // A stamp that moved with the kernel naming entries meanwhile is explained: reading
        // ten thousand names after every colleague's save would cost more than the watch.
        if (!m_entryEventsSinceVerify) {
            m_overflow = true;
            m_settle = true;
        }
    } else if (m_settle) {
        m_overflow = true;
        m_settle = false;
    }
    m_stamp = stamp;
    m_entryEventsSinceVerify = false;
}

bool FolderWatch::folderStatChanged()
{
    const FolderStat::Stamp now = FolderStat::stampOf(m_folder);
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
        if (m_pace == Pace::Storm) {
            // Without a watch only a full read can tell.
            changes.fullReadNeeded = true;
            break;
        }
        // Take events the event loop has not delivered yet, so a caller that asks right
        // after a change (its own write, say) sees it.
        drainEvents();
        if (!m_sinceVerify.isValid() || m_sinceVerify.elapsed() >= VerifyIntervalMs)
            verify();
        if (m_rearm) {
            // Without a watch (folder and parent both gone) the next check finds the folder
            // when it is back.
            m_rearm = false;
            arm();
            m_overflow = true;
        }
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

void FolderWatch::fullReadTook(qint64 nanoseconds)
{
    m_fullReadNs = nanoseconds;
}
