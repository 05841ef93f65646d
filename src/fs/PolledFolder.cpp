#include "PolledFolder.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>

namespace {

qint64 threadCpuNs()
{
    timespec time;
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

qint64 nanoseconds(const statx_timestamp &t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

PolledFolder::Stamp PolledFolder::stampOf(const QString &folder)
{
    // A network client keeps attributes for a while (FUSE one second, others longer); a
    // forced stat asks the server, so another computer's change shows at the next check.
    struct statx info;
    if (::statx(AT_FDCWD, QFile::encodeName(folder).constData(), AT_STATX_FORCE_SYNC,
                STATX_BASIC_STATS, &info)
        != 0)
        return {};
    return { qint64(makedev(info.stx_dev_major, info.stx_dev_minor)), qint64(info.stx_ino),
             nanoseconds(info.stx_mtime), nanoseconds(info.stx_ctime), qint64(info.stx_size) };
}

PolledFolder::Clock::duration PolledFolder::checkInterval(int intervalMs) const
{
    // A change is noticed within the interval and a listing. Where the listing alone takes
    // most of that (10,000 files on SMB: over 100 ms), the stamp is asked more often, so the
    // notice stays within half again the interval; cheap listings leave the interval as it is.
    using namespace std::chrono;
    const Clock::duration interval = milliseconds(intervalMs);
    return std::clamp<Clock::duration>(interval + interval / 2 - m_listWall,
                                       milliseconds(FolderPoller::MinCheckMs), interval);
}

bool PolledFolder::isDue(Clock::time_point now, int intervalMs) const
{
    const Clock::duration interval = checkInterval(intervalMs);
    return !m_answered || now - m_checkedAt >= interval - interval / 4;
}

PolledFolder::Clock::time_point PolledFolder::dueAt(int intervalMs) const
{
    if (!m_answered)
        return Clock::time_point::min();
    return m_checkedAt + checkInterval(intervalMs);
}

bool PolledFolder::listingDue(Clock::time_point now, const Stamp &stamp)
{
    m_safetyListing = false;
    if (!m_answered)
        return true;
    if (!(stamp == m_stamp)) {
        // A stamp in whole seconds (SFTP, FAT, older SMB) does not move again for a second
        // change within the same second; a finer one moves with every change, and listing at
        // every check would only keep the server busy.
        if (stamp.mtimeNs % 1000000000 == 0)
            m_settleUntil = now + std::chrono::milliseconds(SettleMs);
        return true;
    }
    if (now < m_settleUntil)
        return true;
    const Clock::duration interval = m_stampShowsChanges ? m_safetyInterval : m_listInterval;
    if (now - m_listedAt < interval - interval / 4)
        return false;
    m_safetyListing = m_stampShowsChanges;
    return true;
}

bool PolledFolder::check(const QString &folder, const FolderPoller::Listing &listing,
                         int intervalMs, bool requested, FolderPoller::Answer *answer)
{
    const Clock::time_point now = Clock::now();
    if (!requested && !isDue(now, intervalMs))
        return false;
    const Stamp stamp = stampOf(folder);
    // Some shares give a folder no time stamp at all (smbnetfs at a share's root).
    if (stamp.mtimeNs <= 0 && stamp.ctimeNs <= 0)
        m_stampShowsChanges = false;
    const bool due = listingDue(now, stamp);
    m_stamp = stamp;
    m_checkedAt = now;
    if (!due)
        return false;

    const qint64 cpuBefore = threadCpuNs();
    QStringList names;
    const bool ok = listing(&names);
    m_listedAt = Clock::now();
    m_listWall = m_listedAt - now;
    learnCost(std::chrono::nanoseconds(threadCpuNs() - cpuBefore), m_listedAt - now, intervalMs);
    m_checkedAt = m_listedAt;
    if (!ok)
        names.clear();
    const bool same = m_answered && ok == m_ok && names == m_names;
    // A change only the safety listing found: this share's stamp does not show every change,
    // so the folder is listed every interval from now on.
    if (!same && m_safetyListing)
        m_stampShowsChanges = false;
    if (same && !requested)
        return false;
    m_answered = true;
    m_ok = ok;
    m_names = names;
    *answer = { ok, std::move(names), requested };
    return true;
}

void PolledFolder::learnCost(std::chrono::nanoseconds cpu, Clock::duration wall, int intervalMs)
{
    using namespace std::chrono;
    const Clock::duration cost = std::max<Clock::duration>(cpu * FolderPoller::CpuCostShare,
                                                           wall * FolderPoller::WallCostShare);
    m_listInterval = std::clamp<Clock::duration>(cost, milliseconds(intervalMs),
                                                 milliseconds(FolderPoller::MaxListIntervalMs));
    m_safetyInterval = std::clamp<Clock::duration>(cost * FolderPoller::SafetyCostFactor,
                                                   milliseconds(FolderPoller::SafetyListMs),
                                                   milliseconds(FolderPoller::MaxSafetyListMs));
}
