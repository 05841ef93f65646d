#include "FolderPoller.h"

#include "PolledFolder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// What the windows' thread asks for a folder.
struct Job
{
    QString folder;
    QString what;
    FolderPoller::Listing listing;
    int intervalMs = FolderPoller::TickMs;
    bool requested = false;
};

struct Latest
{
    bool ok = false;
    QStringList names;
};

} // namespace

// The part the polling thread shares with the poller. It outlives a poller whose thread is
// stuck on a share that stopped answering (the thread is then left behind at exit).
struct FolderPoller::Shared
{
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finishedChanged;
    std::map<Ticket, Job> jobs;
    std::map<QString, Latest> latest;
    bool requested = false;
    bool stop = false;
    bool finished = false;
};

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

FolderPoller::Ticket FolderPoller::follow(const QString &folder, const QString &what,
                                          Listing listing, AnswerHandler handler, int intervalMs)
{
    const Ticket ticket = m_nextTicket++;
    m_handlers.insert(ticket, std::move(handler));
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->jobs[ticket]
            = { folder, what, std::move(listing), qMax(intervalMs, int(TickMs)), true };
        m_shared->requested = true;
    }
    m_shared->wake.notify_all();
    if (!m_thread.joinable())
        m_thread = std::thread(&FolderPoller::run, m_shared, this);
    return ticket;
}

void FolderPoller::forget(Ticket ticket)
{
    if (!m_handlers.remove(ticket))
        return;
    const std::lock_guard lock(m_shared->mutex);
    m_shared->jobs.erase(ticket);
}

void FolderPoller::request(Ticket ticket)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        const auto job = m_shared->jobs.find(ticket);
        if (job == m_shared->jobs.end())
            return;
        job->second.requested = true;
        m_shared->requested = true;
    }
    m_shared->wake.notify_all();
}

bool FolderPoller::latest(const QString &what, Answer *answer) const
{
    const std::lock_guard lock(m_shared->mutex);
    const auto found = m_shared->latest.find(what);
    if (found == m_shared->latest.end())
        return false;
    *answer = { found->second.ok, found->second.names, false };
    return true;
}

void FolderPoller::deliver(Ticket ticket, const Answer &answer)
{
    // A ticket forgotten meanwhile (another folder, a closed window) drops its answers.
    const auto handler = m_handlers.constFind(ticket);
    if (handler != m_handlers.constEnd())
        (*handler)(answer);
}

void FolderPoller::run(std::shared_ptr<Shared> shared, FolderPoller *poller)
{
    std::map<Ticket, PolledFolder> folders;
    std::unique_lock lock(shared->mutex);
    while (!shared->stop) {
        // Take the work under the lock, do it without: the lock is never held while the share
        // is asked anything, so the windows never wait for a share.
        const Clock::time_point now = Clock::now();
        std::vector<std::pair<Ticket, Job>> work;
        for (auto &[ticket, job] : shared->jobs) {
            const auto folder = folders.find(ticket);
            if (job.requested || folder == folders.end()
                || folder->second.isDue(now, job.intervalMs))
                work.emplace_back(ticket, job);
            job.requested = false;
        }
        shared->requested = false;
        std::erase_if(folders, [&](const auto &entry) { return !shared->jobs.count(entry.first); });
        std::erase_if(shared->latest, [&](const auto &entry) {
            return std::none_of(shared->jobs.begin(), shared->jobs.end(),
                                [&](const auto &job) { return job.second.what == entry.first; });
        });
        lock.unlock();

        std::vector<std::pair<Ticket, Answer>> answers;
        for (const auto &item : work) {
            const Job &job = item.second;
            PolledFolder &folder = folders[item.first];
            Answer answer;
            if (folder.check(job.folder, job.listing, job.intervalMs, job.requested, &answer))
                answers.emplace_back(item.first, std::move(answer));
        }
        lock.lock();
        if (shared->stop)
            break;
        for (const auto &item : work) {
            const PolledFolder &folder = folders[item.first];
            if (folder.answered() && shared->jobs.count(item.first))
                shared->latest[item.second.what] = { folder.ok(), folder.names() };
        }
        for (auto &item : answers) {
            const Ticket ticket = item.first;
            if (!shared->jobs.count(ticket))
                continue;
            // Posted under the lock: the poller cannot be gone (its destructor sets stop first).
            QMetaObject::invokeMethod(
                poller,
                [poller, ticket, answer = std::move(item.second)] {
                    poller->deliver(ticket, answer);
                },
                Qt::QueuedConnection);
        }
        const auto woken = [&] {
            return shared->stop || shared->requested;
        };
        // Sleep until the next check falls due: an idle program pays for every wake-up.
        Clock::time_point next = Clock::time_point::max();
        for (const auto &[ticket, job] : shared->jobs) {
            const auto folder = folders.find(ticket);
            next = std::min(next,
                            folder == folders.end() ? Clock::time_point::min()
                                                    : folder->second.dueAt(job.intervalMs));
        }
        if (next == Clock::time_point::max())
            shared->wake.wait(lock, woken);
        else
            shared->wake.wait_until(lock, next, woken);
    }
    shared->finished = true;
    shared->finishedChanged.notify_all();
}
