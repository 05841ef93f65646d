#include "FolderListing.h"

#include "SafeFile.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

namespace FolderListing {

bool lessWithoutCase(const QString &a, const QString &b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

bool read(const QString &folder, const NamePattern &pattern, QStringList *names)
{
    // List through one handle, so the type checks below ask the folder that was listed. A
    // folder that is itself a link is refused: it could point out of the data folder.
    const int fd = SafeFile::openFolder(folder);
    if (fd < 0)
        return false;
    const bool listed = SafeFile::forEachEntry(fd, [&](const char *entry, unsigned char type) {
        // Other slots' messages are most of a shared folder: they cost no string.
        if (entry[0] == '.' || !pattern.matches(entry, std::strlen(entry)))
            return true;
        const QString name = QFile::decodeName(entry);
        // A name that is not valid in the system's encoding could be listed but never opened.
        if (QFile::encodeName(name) != entry)
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

} // namespace FolderListing
