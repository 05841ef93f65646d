#pragma once

#include "FolderStat.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <memory>

class QSocketNotifier;
struct inotify_event;

// Tells a listing, cheaply, what may have changed in its folder since it last read it, so that
// polling an unchanged folder costs next to nothing:
// - Notify: the kernel's change notification (inotify) names every entry that changed; only
//   those names need a look. Used on file systems known to be local. A watch is never trusted
//   blindly: about once a second the folder's identity (device and inode of its path) and its
//   time stamps are checked; a replaced folder is watched anew and read in full, and a stamp
//   that moved while the kernel named no entry is answered by a full read (and one more a
//   second later, for changes made within the same clock tick), so a change the kernel did
//   not name is found within 2 s.
// - Poll: one stat of the folder per question; a full read when its time stamps or size moved,
//   and at least once a second whatever the stat says (coarse time stamps). Used where
//   notification cannot see other computers' changes (shares) or is unavailable.
// - Literal: a full read every time (for comparison in the benchmark).
class FolderWatch : public QObject
{
    Q_OBJECT
public:
    enum class Mode { Automatic, Notify, Poll, Literal };

    // The mode new watches use; Automatic picks Notify on local file systems, Poll elsewhere.
    static void setDefaultMode(Mode mode);
    static Mode defaultMode();

    explicit FolderWatch(QObject *parent = nullptr);
    ~FolderWatch() override;

    // Starts watching folder (stops watching the previous one). A folder that does not exist
    // yet is awaited: its appearance is reported like a change.
    void watch(const QString &folder);
    void stop();

    // The mode in effect for the current folder (never Automatic).
    Mode mode() const { return m_mode; }

    // Only names the filter accepts are worth reporting; events for any other name (another
    // slot's message, a temporary, a stranger's rename loop) neither wake the listing nor make
    // it look. The filter sees the name's bytes as the system reports them: an event for a
    // name it refuses costs no string.
    using NameFilter = std::function<bool(const char *name, std::size_t length)>;
    void setNameFilter(NameFilter filter);

    struct Changes
    {
        bool fullReadNeeded = false;
        QSet<QString> names; // entries that changed, when no full read is needed
    };
    // What changed since the last call; the watch then starts afresh.
    Changes takeChanges();
    // Tells the watch that the caller is about to read the whole folder.
    void markFullRead();
    // Tells the watch what that read took: a flood's listings are spaced by their cost.
    void fullReadTook(qint64 nanoseconds);

    // True while a flood has the watch removed (the folder is listed on a timer instead).
    bool inStorm() const { return m_pace == Pace::Storm; }

    // Poll mode re-reads at least this often.
    static constexpr int FullReadIntervalMs = 1000;
    // Notify mode checks the folder's identity and stamps at most this often (the safety tick
    // comes once a second).
    static constexpr int VerifyIntervalMs = 900;
    // How the kernel's events are taken, so that a stranger's busy folder costs next to nothing:
    // - a lone change is read at once (the notice is at the floor);
    // - a steady stream (more than BusyWakeups wake-ups that brought no relevant name, or
    //   FloodEvents events, within BusyWindowMs) is read in batches every PaceMs, a bounded
    //   number of wake-ups;
    // - a flood (more than StormEvents events in one such batch: a rename loop, a copy of
    //   thousands of files) is not read at all: the watch is removed, so the kernel queues
    //   nothing for this copy however fast the flood runs, and the folder is listed in full
    //   every StormPollMs (longer when a listing is costly) while its stamp keeps moving. The
    //   first tick that finds the stamp still watches the folder again, after one more full
    //   listing for whatever happened in between.
    static constexpr int BusyWindowMs = 100;
    static constexpr int BusyWakeups = 20;
    static constexpr int FloodEvents = 512;
    static constexpr int PaceMs = 10;
    static constexpr int StormEvents = 256;
    static constexpr int StormPollMs = 20;
    static constexpr int MaxStormPollMs = 1000;
    // A storm's listings may take this share of a core at most (one part in StormCostShare).
    static constexpr int StormCostShare = 20;
    // Beyond this many pending names a full read is cheaper than looking at each.
    static constexpr int MaxPendingNames = 4096;

signals:
    // The kernel reported a change; emitted once per batch of events.
    void changed();

private:
    enum class Pace { Immediate, Batched, Storm };

    void readEvents();
    void readBatch();
    void startStorm();
    void stormTick();
    void endStorm();
    void resetPace();
    int stormIntervalMs() const;
    bool drainEvents();
    bool takeEvent(const struct inotify_event *event, const char *name);
    bool startNotify();
    bool arm();
    void verify();
    bool folderStatChanged();
    FolderStat::Stamp watchedStamp() const;

    QString m_folder;
    Mode m_mode = Mode::Poll;
    int m_inotify = -1;
    int m_watchDescriptor = -1;
    QByteArray m_awaitedName; // set while the folder does not exist and its parent is watched
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_paceTimer;
    Pace m_pace = Pace::Immediate;
    NameFilter m_filter;
    std::unique_ptr<char[]> m_buffer;
    bool m_overflow = true;
    bool m_rearm = false;
    bool m_settle = false;
    QSet<QString> m_pending;
    QElapsedTimer m_sinceFullRead;
    QElapsedTimer m_sinceVerify;
    QElapsedTimer m_busyWindow;
    int m_windowWakeups = 0; // for nothing, since m_busyWindow started
    int m_windowEvents = 0; // read since m_busyWindow started (or in the batch at hand)
    // A change to the folder's entries was reported since the last verify(): it explains a
    // moved stamp, which then needs no full read.
    bool m_entryEventsSinceVerify = false;
    qint64 m_fullReadNs = 0; // what the last full read took
    FolderStat::Stamp m_stormStamp; // what the last storm tick found
    FolderStat::Identity m_identity;
    FolderStat::Stamp m_stamp;
};
