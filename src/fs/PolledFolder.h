#pragma once

#include "FolderPoller.h"

#include <chrono>

// What the poller's thread knows of one followed folder between checks, and when it lists it:
// a check asks for the folder's stamp and lists only when the stamp moved, a tick after that,
// or when a listing is due anyway (FolderPoller says how often).
class PolledFolder
{
public:
    using Clock = std::chrono::steady_clock;

    // Checks the folder, listing it when that is due (requested: someone asked, so a moved
    // stamp is looked for now); true when there is an answer to give.
    bool check(const QString &folder, const FolderPoller::Listing &listing, int intervalMs,
               bool requested, FolderPoller::Answer *answer);
    // A folder due within a quarter of its interval is checked in the wake-up at hand: the
    // History check rides along with the inbox's, and an idle program pays for every wake-up.
    bool isDue(Clock::time_point now, int intervalMs) const;
    Clock::time_point dueAt(int intervalMs) const;

    bool answered() const { return m_answered; }
    bool ok() const { return m_ok; }
    const QStringList &names() const { return m_names; }

    struct Stamp
    {
        qint64 device = -1;
        qint64 inode = -1;
        qint64 mtimeNs = -1;
        qint64 ctimeNs = -1;
        qint64 size = -1;
        bool operator==(const Stamp &) const = default;
    };
    // The folder's stamp as the server has it now (not the client's cached one).
    static Stamp stampOf(const QString &folder);
    static constexpr int SettleMs = 2100;

private:
    Clock::duration checkInterval(int intervalMs) const;
    bool listingDue(Clock::time_point now, const Stamp &stamp);
    void learnCost(std::chrono::nanoseconds cpu, Clock::duration wall, int intervalMs);

    bool m_answered = false;
    bool m_ok = false;
    QStringList m_names;
    Stamp m_stamp;
    Clock::time_point m_checkedAt;
    Clock::time_point m_listedAt;
    Clock::duration m_listWall {}; // what the last listing took
    Clock::duration m_listInterval {};
    Clock::duration m_safetyInterval {};
    // After a stamp in whole seconds (SFTP, older SMB) moved, the folder is listed at every
    // check for SettleMs: a second change within the same second would not move it again.
    Clock::time_point m_settleUntil;
    // Until a safety listing finds a change the stamp did not show.
    bool m_stampShowsChanges = true;
    bool m_safetyListing = false;
};
