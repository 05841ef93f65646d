#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <thread>

class FileList;

// Polls the listings of folders on shares on a thread of its own. A share whose server stops
// answering stalls only that thread: the windows keep working and the listings keep their last
// names until the share answers again.
//
// Each followed folder is listed every interval given to follow(): a share's cached time
// stamps can hide a change for a second or more, so only a listing is sure to see it. The
// interval grows with what a listing costs, up to MaxListIntervalMs, so that a folder of
// 10,000 files stays cheap to follow; between listings the thread sleeps. A listing that
// differs from the last answer, and any listing asked for with request(), is handed to the
// list on the thread that created the poller.
class FolderPoller : public QObject
{
    Q_OBJECT
public:
    struct Answer
    {
        quint64 generation = 0;
        bool ok = false;
        QStringList names;
        bool requested = false; // the answer to a request()
    };

    explicit FolderPoller(QObject *parent = nullptr);
    ~FolderPoller() override;

    // Polls folder with pattern for list from now on (replacing what was polled for it before),
    // listing it at least every intervalMs. Answers carry generation; list->takePolledAnswer()
    // receives them.
    void follow(FileList *list, const QString &folder, const QString &pattern, quint64 generation,
                int intervalMs = TickMs);
    void forget(FileList *list);
    // Asks for a fresh listing. The folder is listed at once when its stamp moved (a change
    // made through this computer shows there at once); otherwise the last listing, younger
    // than the interval, stands and no answer comes.
    void request(FileList *list);

    // The shortest time between two listings of a folder.
    static constexpr int TickMs = 100;
    static constexpr int MaxListIntervalMs = 2000;
    // A listing may cost at most 1/ListCostShare of the time between two listings.
    static constexpr int ListCostShare = 400;

private:
    struct Shared;
    static void run(std::shared_ptr<Shared> shared, FolderPoller *poller);
    void deliver(quint64 id, const Answer &answer);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    QHash<quint64, QPointer<FileList>> m_lists;
    QHash<const FileList *, quint64> m_ids;
    quint64 m_nextId = 1;
};
