#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <thread>

// Polls folders on shares on a thread of its own. A share whose server stops answering stalls
// only that thread: the windows keep working and keep the last answers until the share
// answers again.
//
// Every interval given to follow() the thread asks the share for the folder's stamp (one
// stat that bypasses the client's attribute cache) and lists the folder only when the stamp
// moved (at every check for two seconds after that when the stamp counts whole seconds: a
// second change within the same second does not move it, SFTP), and for safety at a long
// interval that grows with what a listing costs. A share whose stamp turns
// out to miss a change (a safety listing found one) is listed every interval instead, that
// interval growing with the listing's cost up to MaxListIntervalMs. What a listing costs is
// both this program's CPU and the time the share takes to answer: the server and the client
// work all that while. Between checks the thread sleeps.
//
// The poller knows nothing of who asks: a follower gives a listing function, run on the
// thread, and an answer handler, called on the thread that created the poller with every
// listing that differs from the last answer and with the answer to each request().
class FolderPoller : public QObject
{
    Q_OBJECT
public:
    struct Answer
    {
        bool ok = false;
        QStringList names;
        bool requested = false; // the answer to follow() or request()
    };
    // Lists the folder into names (sorted); false when it cannot be listed. Runs on the
    // poller's thread: it must not touch anything the windows' thread changes.
    using Listing = std::function<bool(QStringList *names)>;
    using AnswerHandler = std::function<void(const Answer &answer)>;
    using Ticket = quint64;

    explicit FolderPoller(QObject *parent = nullptr);
    ~FolderPoller() override;

    // Polls folder with listing from now on, checking it every intervalMs; answers go to
    // handler until forget(). what names the listing (its folder and pattern): followers of
    // the same listing share latest().
    Ticket follow(const QString &folder, const QString &what, Listing listing,
                  AnswerHandler handler, int intervalMs = TickMs);
    void forget(Ticket ticket);
    // Asks for a fresh listing. The folder is listed at once when its stamp moved (a change
    // made through this computer shows there at once); otherwise the last listing stands and
    // no answer comes.
    void request(Ticket ticket);
    // The latest listing of what by any follower, at once; false when there is none.
    bool latest(const QString &what, Answer *answer) const;

    // The shortest time between two checks of a folder.
    static constexpr int TickMs = 100;
    // The shortest time between two checks of a folder whose listing is slow.
    static constexpr int MinCheckMs = 60;
    static constexpr int MaxListIntervalMs = 2000;
    // With a stamp that shows every change: the safety listing's interval.
    static constexpr int SafetyListMs = 5000;
    static constexpr int MaxSafetyListMs = 30000;
    // A listing may cost at most 1/CpuCostShare of this program's time and keep the share
    // busy at most 1/WallCostShare of the time between two listings.
    static constexpr int CpuCostShare = 400;
    static constexpr int WallCostShare = 50;
    // A safety listing only guards against a share whose stamp misses changes: it may cost
    // a fifth of that (a 10,000-file SMB folder is listed about every 25 s, not every 5 s).
    static constexpr int SafetyCostFactor = 5;

private:
    struct Shared;
    static void run(std::shared_ptr<Shared> shared, FolderPoller *poller);
    void deliver(Ticket ticket, const Answer &answer);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    QHash<Ticket, AnswerHandler> m_handlers;
    Ticket m_nextTicket = 1;
};
