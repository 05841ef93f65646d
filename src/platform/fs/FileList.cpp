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
}

bool FileList::setPath(const QString &folder)
{
    // Watch first, so that nothing changing during the read goes unnoticed.
    m_watch.watch(folder);
    m_watch.markFullRead();
    QStringList names;
    if (!readFolder(folder, &names)) {
        setNames({});
        m_readFailed = true;
        if (!m_path.isEmpty())
            m_watch.watch(m_path);
        return false;
    }
    m_path = folder;
    m_readFailed = false;
    setNames(std::move(names));
    return true;
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    m_readFailed = true; // the names held were chosen by the old pattern
    refresh();
}

bool FileList::refresh()
{
    if (m_path.isEmpty()) {
        setNames({});
        return false;
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

bool FileList::readWholeFolder()
{
    // After a failure the folder may have come back (or been replaced): watch it afresh.
    if (m_readFailed)
        m_watch.watch(m_path);
    m_watch.markFullRead();
    QStringList names;
    const bool ok = readFolder(m_path, &names);
    m_readFailed = !ok;
    setNames(ok ? std::move(names) : QStringList());
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
    // Patterns are "*.ext" in practice; anything else goes through the general wildcard rule.
    if (m_pattern.startsWith(QLatin1String("*.")) && m_pattern.indexOf(QLatin1Char('*'), 1) < 0
        && m_pattern.indexOf(QLatin1Char('?')) < 0) {
        const QStringView extension = QStringView(m_pattern).mid(1);
        return name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive);
    }
    const QRegularExpression wildcard(QRegularExpression::wildcardToRegularExpression(m_pattern),
                                      QRegularExpression::CaseInsensitiveOption);
    return wildcard.match(name).hasMatch();
}

bool FileList::readFolder(const QString &folder, QStringList *names) const
{
    // List through one handle, so the type checks below ask the folder that was listed. A
    // folder that is itself a link is refused: it could point out of the data folder.
    const int fd = SafeFile::openFolder(folder);
    if (fd < 0)
        return false;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        // A name that is not valid in the system's encoding could be listed but never opened.
        if (!matches(name) || QFile::encodeName(name) != entry->d_name)
            continue;
        // The type alone cannot tell a second hard link to a private file.
        if ((entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN)
            && SafeFile::isListable(fd, entry->d_name))
            names->append(name);
    }
    ::closedir(dir);
    std::sort(names->begin(), names->end(), lessWithoutCase);
    return true;
}

void FileList::setNames(QStringList names)
{
    if (names == m_names)
        return;
    m_names = std::move(names);
    emit namesChanged();
}
