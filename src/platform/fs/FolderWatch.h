#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>

class QSocketNotifier;

// Tells a listing, cheaply, what may have changed in its folder since it last read it, so that
// polling an unchanged folder costs next to nothing:
// - Notify: the kernel's change notification (inotify) names every entry that changed; only
//   those names need a look. Used on local folders.
// - Poll: one stat of the folder per question; a full read when its time stamps or size moved,
//   and at least once a second whatever the stat says (coarse time stamps). Used where
//   notification cannot see other computers' changes (network shares) or is unavailable.
// - Literal: a full read every time (for comparison in the benchmark).
class FolderWatch : public QObject
{
    Q_OBJECT
public:
    enum class Mode { Automatic, Notify, Poll, Literal };

    // The mode new watches use; Automatic picks Notify on local folders, Poll elsewhere.
    static void setDefaultMode(Mode mode);
    static Mode defaultMode();

    explicit FolderWatch(QObject *parent = nullptr);
    ~FolderWatch() override;

    // Starts watching folder (stops watching the previous one).
    void watch(const QString &folder);
    void stop();

    // The mode in effect for the current folder (never Automatic).
    Mode mode() const { return m_mode; }

    struct Changes
    {
        bool fullReadNeeded = false;
        QSet<QString> names; // entries that changed, when no full read is needed
    };
    // What changed since the last call; the watch then starts afresh.
    Changes takeChanges();
    // Tells the watch that the caller is about to read the whole folder.
    void markFullRead();

    // Poll mode re-reads at least this often.
    static constexpr int FullReadIntervalMs = 1000;
    // Beyond this many pending names a full read is cheaper than looking at each.
    static constexpr int MaxPendingNames = 4096;

signals:
    // The kernel reported a change; emitted once per batch of events.
    void changed();

private:
    void readEvents();
    bool drainEvents();
    bool startNotify(const QString &folder);
    bool folderStatChanged();
    static bool isNetworkFolder(const QString &folder);

    QString m_folder;
    Mode m_mode = Mode::Poll;
    int m_inotify = -1;
    int m_watchDescriptor = -1;
    QSocketNotifier *m_notifier = nullptr;
    bool m_overflow = true;
    QSet<QString> m_pending;
    QElapsedTimer m_sinceFullRead;
    struct Stamp
    {
        qint64 mtimeNs = -1;
        qint64 size = -1;
        qint64 inode = -1;
        bool operator==(const Stamp &) const = default;
    } m_stamp;
};
