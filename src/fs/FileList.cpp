#include "FileList.h"

#include "SafeFile.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool lessWithoutCase(const QString &a, const QString &b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

} // namespace

FileList::FileList(QObject *parent)
    : QObject(parent)
{
    connect(&m_watch, &FolderWatch::changed, this, &FileList::changePending);
    m_watch.setNameFilter([this](const QString &name) { return matches(name); });
}

FileList::~FileList()
{
    if (m_poller)
        m_poller->forget(this);
}

void FileList::setPoller(FolderPoller *poller, int intervalMs)
{
    if (m_poller && m_poller != poller)
        m_poller->forget(this);
    m_poller = poller;
    m_pollIntervalMs = intervalMs;
    m_following = false;
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
    // Answers about an earlier folder or pattern are dropped.
    ++m_generation;
    m_havePolled = false;
    m_adoptRequested = false;
    m_polledOk = !m_readFailed;
    m_following = polledInBackground();
    if (m_following)
        m_poller->follow(this, m_path, m_pattern, m_generation, m_pollIntervalMs);
    else
        m_poller->forget(this);
}

bool FileList::setPath(const QString &folder)
{
    // Watch first, so that nothing changing during the read goes unnoticed.
    m_watch.watch(folder);
    m_watch.markFullRead();
    QStringList names;
    if (!readFolder(folder, m_pattern, &names)) {
        setNames({});
        m_readFailed = true;
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
    m_readFailed = false;
    setNames(std::move(names));
    followInBackground();
    return true;
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    m_readFailed = true; // the names held were chosen by the old pattern
    if (m_path.isEmpty()) {
        setNames({});
        return;
    }
    // Read here, so the new pattern's count is there at once; the poller then lists anew.
    readWholeFolder();
    followInBackground();
}

bool FileList::refresh()
{
    if (m_path.isEmpty()) {
        setNames({});
        return false;
    }
    if (polledInBackground()) {
        const bool ok = adoptPolledAnswer();
        m_adoptRequested = true;
        m_poller->request(this);
        return ok;
    }
    if (m_readFailed)
        return readWholeFolder();
    FolderWatch::Changes changes = m_watch.takeChanges();
    if (changes.fullReadNeeded)
        return readWholeFolder();
    if (!changes.names.isEmpty())
        applyChangedNames(changes.names);
    return true;
}

bool FileList::adoptPolledAnswer()
{
    if (m_havePolled) {
        m_havePolled = false;
        m_polledOk = m_polled.ok;
        setNames(std::move(m_polled.names));
        m_polled.names.clear();
    }
    return m_polledOk;
}

void FileList::takePolledAnswer(const FolderPoller::Answer &answer)
{
    if (answer.generation != m_generation)
        return;
    m_polled = answer;
    m_havePolled = true;
    if (answer.requested && m_adoptRequested) {
        // The fresh listing a refresh() asked for: the names follow now, and so do those who
        // show them.
        m_adoptRequested = false;
        const QStringList before = m_names;
        adoptPolledAnswer();
        if (m_names != before)
            emit changePending();
        return;
    }
    if (answer.ok != m_polledOk || answer.names != m_names)
        emit changePending();
}

bool FileList::readWholeFolder()
{
    // After a failure the folder may have come back (or been replaced): watch it afresh.
    if (m_readFailed)
        m_watch.watch(m_path);
    m_watch.markFullRead();
    QStringList names;
    const bool ok = readFolder(m_path, m_pattern, &names);
    m_readFailed = !ok;
    setNames(ok ? std::move(names) : QStringList());
    // Watched anew, the folder may have turned out to be on a share (or no longer).
    if (polledInBackground() != m_following)
        followInBackground();
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
        const auto at = std::lower_bound(names.begin(), names.end(), name, lessWithoutCase);
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
    return matches(m_pattern, name);
}

bool FileList::matches(const QString &pattern, const QString &name)
{
    // Patterns are "*.ext" in practice; anything else goes through the general wildcard rule.
    if (pattern.startsWith(QLatin1String("*.")) && pattern.indexOf(QLatin1Char('*'), 1) < 0
        && pattern.indexOf(QLatin1Char('?')) < 0) {
        const QStringView extension = QStringView(pattern).mid(1);
        return name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive);
    }
    const QRegularExpression wildcard(QRegularExpression::wildcardToRegularExpression(pattern),
                                      QRegularExpression::CaseInsensitiveOption);
    return wildcard.match(name).hasMatch();
}

bool FileList::readFolder(const QString &folder, const QString &pattern, QStringList *names)
{
    // List through one handle, so the type checks below ask the folder that was listed. A
    // folder that is itself a link is refused: it could point out of the data folder.
    const int fd = SafeFile::openFolder(folder);
    if (fd < 0)
        return false;
    const bool listed = SafeFile::forEachEntry(fd, [&](const char *entry, unsigned char type) {
        if (entry[0] == '.')
            return true;
        const QString name = QFile::decodeName(entry);
        // A name that is not valid in the system's encoding could be listed but never opened.
        if (!matches(pattern, name) || QFile::encodeName(name) != entry)
            return true;
        // The type alone cannot tell a second hard link to a private file.
        if ((type == DT_REG || type == DT_UNKNOWN) && SafeFile::isListable(fd, entry))
            names->append(name);
        return true;
    });
    ::close(fd);
    std::sort(names->begin(), names->end(), lessWithoutCase);
    return listed;
}

void FileList::setNames(QStringList names)
{
    if (names == m_names)
        return;
    m_names = std::move(names);
    emit namesChanged();
}
