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
{ }

bool FileList::setPath(const QString &folder)
{
    QStringList names;
    if (!readFolder(folder, &names)) {
        setNames({});
        return false;
    }
    m_path = folder;
    setNames(std::move(names));
    return true;
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refresh();
}

bool FileList::refresh()
{
    QStringList names;
    const bool ok = !m_path.isEmpty() && readFolder(m_path, &names);
    setNames(ok ? std::move(names) : QStringList());
    return ok;
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
        if (!matches(name))
            continue;
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info;
            regular = ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISREG(info.st_mode);
        }
        if (regular)
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
