#include "FileList.h"

#include "FolderListing.h"
#include "SafeFile.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <unistd.h>

FileList::FileList(QObject *parent)
    : QObject(parent)
{
    connect(&m_watch, &FolderWatch::changed, this, &FileList::changePending);
    m_watch.setNameFilter(
        [this](const char *name, std::size_t length) { return m_pattern.matches(name, length); });
}

FileList::~FileList()
{
    if (m_poller)
        m_poller->forget(m_ticket);
}

void FileList::setPoller(FolderPoller *poller, int intervalMs)
{
    if (m_poller)
        m_poller->forget(m_ticket);
    m_ticket = 0;
    m_poller = poller;
    m_pollIntervalMs = intervalMs;
    followInBackground();
}

bool FileList::polledInBackground() const
{
    return m_poller && !m_path.isEmpty() && m_watch.mode() == FolderWatch::Mode::Poll;
}

void FileList::followInBackground()
{
    if (!m_poller)
        return;
    // Answers about an earlier folder or pattern come with the old ticket: they are dropped.
    m_poller->forget(m_ticket);
    m_ticket = 0;
    m_waiting.reset();
    if (!polledInBackground()) {
        m_follow = Follow::Reading;
        return;
    }
    // The share's first answer fills the list.
    m_follow = Follow::RefreshWaiting;
    const QString folder = m_path;
    const QString pattern = m_pattern.text();
    m_ticket = m_poller->follow(
        folder, folder + QLatin1Char('\n') + pattern,
        [folder, pattern](QStringList *names) {
            return FolderListing::read(folder, NamePattern(pattern), names);
        },
        [this](const FolderPoller::Answer &answer) { takeAnswer(answer); }, m_pollIntervalMs);
}

bool FileList::setPath(const QString &folder)
{
    // Watch first, so that nothing changing during the read goes unnoticed.
    m_watch.watch(folder);
    if (m_poller && m_watch.mode() == FolderWatch::Mode::Poll) {
        // A share: nothing here may wait for it.
        m_path = folder;
        FolderPoller::Answer latest;
        const bool known = m_poller->latest(folder + QLatin1Char('\n') + m_pattern.text(), &latest);
        m_listedOk = !known || latest.ok;
        setNames(known ? std::move(latest.names) : QStringList());
        followInBackground();
        return m_listedOk;
    }
    QStringList names;
    if (!readFolder(folder, &names)) {
        setNames({});
        m_listedOk = false;
        // With no folder to keep, this one is listed as soon as it can be (a History folder
        // that appears later).
        if (m_path.isEmpty())
            m_path = folder;
        else
            m_watch.watch(m_path);
        followInBackground();
        return false;
    }
    m_path = folder;
    m_listedOk = true;
    setNames(std::move(names));
    followInBackground();
    return true;
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = NamePattern(pattern);
    if (m_path.isEmpty()) {
        setNames({});
        return;
    }
    if (polledInBackground()) {
        FolderPoller::Answer latest;
        const bool known = m_poller->latest(m_path + QLatin1Char('\n') + pattern, &latest);
        m_listedOk = !known || latest.ok;
        setNames(known ? std::move(latest.names) : QStringList());
        followInBackground();
        return;
    }
    // Read here, so the new pattern's count is there at once. The names held were chosen by
    // the old pattern: read in full.
    m_listedOk = false;
    readWholeFolder();
    followInBackground();
}

bool FileList::refresh()
{
    if (m_path.isEmpty()) {
        setNames({});
        return false;
    }
    if (m_follow != Follow::Reading) {
        adoptWaitingAnswer();
        m_follow = Follow::RefreshWaiting;
        m_poller->request(m_ticket);
        return m_listedOk;
    }
    if (!m_listedOk)
        return readWholeFolder();
    FolderWatch::Changes changes = m_watch.takeChanges();
    if (changes.fullReadNeeded)
        return readWholeFolder();
    if (!changes.names.isEmpty())
        applyChangedNames(changes.names);
    return true;
}

void FileList::adoptWaitingAnswer()
{
    if (!m_waiting)
        return;
    m_listedOk = m_waiting->ok;
    setNames(std::move(m_waiting->names));
    m_waiting.reset();
}

void FileList::takeAnswer(const FolderPoller::Answer &answer)
{
    if (answer.requested && m_follow == Follow::RefreshWaiting) {
        // The fresh listing a refresh() asked for: the names follow now, and so do those who
        // show them.
        m_follow = Follow::Polled;
        m_waiting = answer;
        const QStringList before = m_names;
        adoptWaitingAnswer();
        if (m_names != before)
            emit changePending();
        return;
    }
    const bool differs = answer.ok != (m_waiting ? m_waiting->ok : m_listedOk)
        || answer.names != (m_waiting ? m_waiting->names : m_names);
    m_waiting = answer;
    if (differs)
        emit changePending();
}

bool FileList::readWholeFolder()
{
    // After a failure the folder may have come back (or been replaced): watch it afresh.
    if (!m_listedOk)
        m_watch.watch(m_path);
    // Watched anew, the folder may have turned out to be on a share (or no longer).
    if (polledInBackground() != (m_follow != Follow::Reading)) {
        followInBackground();
        if (m_follow != Follow::Reading)
            return m_listedOk;
    }
    QStringList names;
    const bool ok = readFolder(m_path, &names);
    m_listedOk = ok;
    setNames(ok ? std::move(names) : QStringList());
    return ok;
}

bool FileList::readFolder(const QString &folder, QStringList *names)
{
    m_watch.markFullRead();
    // The watch spaces a flood's listings by what one costs.
    QElapsedTimer took;
    took.start();
    const bool ok = FolderListing::read(folder, m_pattern, names);
    m_watch.fullReadTook(took.nsecsElapsed());
    return ok;
}

void FileList::applyChangedNames(const QSet<QString> &changed)
{
    const int fd = SafeFile::openFolder(m_path);
    if (fd < 0) {
        readWholeFolder();
        return;
    }
    QStringList names = m_names;
    for (const QString &name : changed) {
        if (name.startsWith(QLatin1Char('.')) || !matches(name))
            continue;
        const bool listed = SafeFile::isListable(fd, QFile::encodeName(name).constData());
        const auto at
            = std::lower_bound(names.begin(), names.end(), name, FolderListing::lessWithoutCase);
        const bool present = at != names.end() && *at == name;
        if (listed && !present)
            names.insert(at, name);
        else if (!listed && present)
            names.erase(at);
    }
    ::close(fd);
    setNames(std::move(names));
}

bool FileList::matches(const QString &name) const
{
    return m_pattern.matches(name);
}

void FileList::setNames(QStringList names)
{
    if (names == m_names)
        return;
    m_names = std::move(names);
    emit namesChanged();
}
