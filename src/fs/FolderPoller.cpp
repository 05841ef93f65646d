#include "FolderPoller.h"

#include "FileList.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <time.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Stamp
{
    qint64 device = -1;
    qint64 inode = -1;
    qint64 mtimeNs = -1;
    qint64 ctimeNs = -1;
    qint64 size = -1;
    bool operator==(const Stamp &) const = default;
};

Stamp stampOf(const QString &folder)
{
    struct stat info;
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return {};
    const auto ns = [](const timespec &t) {
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    return { qint64(info.st_dev), qint64(info.st_ino), ns(info.st_mtim), ns(info.st_ctim),
             qint64(info.st_size) };
}

qint64 threadCpuNs()
{
    timespec time;
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// What the polling thread remembers of a folder between ticks.
struct Track
{
    quint64 generation = 0;
    Stamp stamp;
    bool answered = false;
    bool ok = false;
    QStringList names;
    Clock::time_point listedAt;
    Clock::duration listInterval {};
};

// What the windows' thread asks for a folder.
struct Job
{
    QString folder;
    QString pattern;
    quint64 generation = 0;
    int intervalMs = FolderPoller::TickMs;
    bool requested = false;
};

} // namespace

// The part the polling thread shares with the poller. It outlives a poller whose thread is
// stuck on a share that stopped answering (the thread is then left behind at exit).
struct FolderPoller::Shared
{
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finishedChanged;
    std::map<quint64, Job> jobs;
    bool requested = false;
    bool stop = false;
    bool finished = false;
};

namespace {

// A folder due within a quarter of its interval is listed in the wake-up at hand: the History
// listing rides along with one of the inbox's, and an idle program pays for every wake-up.
bool isDue(const Track &track, Clock::time_point now)
{
    return !track.answered || now - track.listedAt >= track.listInterval - track.listInterval / 4;
}

// Lists the folder when that is due; true when there is an answer to give.
bool poll(const Job &job, Track &track, FolderPoller::Answer *answer)
{
    using namespace std::chrono;
    bool due = isDue(track, Clock::now());
    if (job.requested && !due) {
        // A request after a change made through this computer: that moves the folder's stamp
        // at once. Otherwise the last listing, younger than the folder's interval, stands; the
        // list holds it already, so there is nothing to say (the windows' safety tick then
        // costs one stat, not a listing and two wake-ups).
        due = !(stampOf(job.folder) == track.stamp);
    }
    if (!due)
        return false;
    track.stamp = stampOf(job.folder);
    // What a listing costs is the CPU it takes, not the time the share takes to answer.
    const qint64 cpuBefore = threadCpuNs();
    QStringList names;
    const bool ok = FileList::readFolder(job.folder, job.pattern, &names);
    const nanoseconds cost(threadCpuNs() - cpuBefore);
    track.listedAt = Clock::now();
    track.listInterval = std::clamp<Clock::duration>(cost * FolderPoller::ListCostShare,
                                                     milliseconds(job.intervalMs),
                                                     milliseconds(FolderPoller::MaxListIntervalMs));
    if (!ok)
        names.clear();
    if (!job.requested && track.answered && ok == track.ok && names == track.names)
        return false;
    track.answered = true;
    track.ok = ok;
    track.names = names;
    *answer = { job.generation, ok, std::move(names), job.requested };
    return true;
}

} // namespace

FolderPoller::FolderPoller(QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{ }

FolderPoller::~FolderPoller()
{
    if (!m_thread.joinable())
        return;
    std::unique_lock lock(m_shared->mutex);
    m_shared->stop = true;
    m_shared->wake.notify_all();
    const bool finished = m_shared->finishedChanged.wait_for(lock, std::chrono::milliseconds(500),
                                                             [this] { return m_shared->finished; });
    lock.unlock();
    if (finished)
        m_thread.join();
    else
        m_thread.detach();
}

void FolderPoller::follow(FileList *list, const QString &folder, const QString &pattern,
                          quint64 generation, int intervalMs)
{
    quint64 &id = m_ids[list];
    if (id == 0) {
        id = m_nextId++;
        m_lists.insert(id, list);
    }
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->jobs[id] = { folder, pattern, generation, qMax(intervalMs, int(TickMs)), true };
        m_shared->requested = true;
    }
    m_shared->wake.notify_all();
    if (!m_thread.joinable())
        m_thread = std::thread(&FolderPoller::run, m_shared, this);
}

void FolderPoller::forget(FileList *list)
{
    const quint64 id = m_ids.take(list);
    if (id == 0)
        return;
    m_lists.remove(id);
    const std::lock_guard lock(m_shared->mutex);
    m_shared->jobs.erase(id);
}

void FolderPoller::request(FileList *list)
{
    const quint64 id = m_ids.value(list);
    if (id == 0)
        return;
    {
        const std::lock_guard lock(m_shared->mutex);
        const auto job = m_shared->jobs.find(id);
        if (job == m_shared->jobs.end())
            return;
        job->second.requested = true;
        m_shared->requested = true;
    }
    m_shared->wake.notify_all();
}

void FolderPoller::deliver(quint64 id, const Answer &answer)
{
    if (FileList *list = m_lists.value(id))
        list->takePolledAnswer(answer);
}

void FolderPoller::run(std::shared_ptr<Shared> shared, FolderPoller *poller)
{
    std::map<quint64, Track> tracks;
    // When a folder's listing falls due; a folder not listed yet is due at once.
    const auto dueAt = [&tracks](quint64 id) {
        const auto track = tracks.find(id);
        if (track == tracks.end() || !track->second.answered)
            return Clock::time_point::min();
        return track->second.listedAt + track->second.listInterval;
    };
    std::unique_lock lock(shared->mutex);
    while (!shared->stop) {
        // Take the work under the lock, do it without: the lock is never held while the share
        // is asked anything, so the windows never wait for a share.
        const Clock::time_point now = Clock::now();
        std::vector<std::pair<quint64, Job>> work;
        for (auto &[id, job] : shared->jobs) {
            const auto track = tracks.find(id);
            if (job.requested || track == tracks.end() || isDue(track->second, now))
                work.emplace_back(id, job);
            job.requested = false;
        }
        shared->requested = false;
        std::erase_if(tracks, [&](const auto &entry) { return !shared->jobs.count(entry.first); });
        lock.unlock();

        std::vector<std::pair<quint64, Answer>> answers;
        for (const auto &[id, job] : work) {
            Track &track = tracks[id];
            if (track.generation != job.generation) {
                track = Track();
                track.generation = job.generation;
            }
            Answer answer;
            if (poll(job, track, &answer))
                answers.emplace_back(id, std::move(answer));
        }
        lock.lock();
        if (shared->stop)
            break;
        for (auto &[id, answer] : answers) {
            const auto job = shared->jobs.find(id);
            if (job == shared->jobs.end() || job->second.generation != answer.generation)
                continue;
            // Posted under the lock: the poller cannot be gone (its destructor sets stop first).
            // Named copies: clang 14 cannot capture a structured binding.
            QMetaObject::invokeMethod(
                poller, [poller, id = id, answer = answer] { poller->deliver(id, answer); },
                Qt::QueuedConnection);
        }
        const auto woken = [&] {
            return shared->stop || shared->requested;
        };
        // Sleep until the next listing falls due: an idle program pays for every wake-up.
        Clock::time_point next = Clock::time_point::max();
        for (const auto &[id, job] : shared->jobs)
            next = std::min(next, dueAt(id));
        if (next == Clock::time_point::max())
            shared->wake.wait(lock, woken);
        else
            shared->wake.wait_until(lock, next, woken);
    }
    shared->finished = true;
    shared->finishedChanged.notify_all();
}
