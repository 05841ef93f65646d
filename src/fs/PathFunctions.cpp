#include "PathFunctions.h"

#include "SafeFile.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

const QChar Separator = QDir::separator();

} // namespace

QString AddBackslash(const QString &path)
{
    if (path.endsWith(Separator))
        return path;
    return path + Separator;
}

QString FileNamePart(const QString &path)
{
    const qsizetype last = path.lastIndexOf(Separator);
    return last < 0 ? path : path.mid(last + 1);
}

bool FileExists(const QString &path)
{
    const QString name = FileNamePart(path);
    // Hidden entries are not normal files; "." and ".." are folders.
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return false;
    if (!SafeFile::isRegularFile(path))
        return false;
    // The file system may match names without regard to case (a mounted Windows share):
    // the name on disk must equal the asked name exactly.
    const int fd = SafeFile::openFolder(path.left(path.size() - name.size()));
    if (fd < 0)
        return false;
    const QByteArray encodedName = QFile::encodeName(name);
    bool found = false;
    SafeFile::forEachEntry(fd, [&](const char *entry, unsigned char) {
        found = encodedName == entry;
        return !found;
    });
    ::close(fd);
    return found;
}
