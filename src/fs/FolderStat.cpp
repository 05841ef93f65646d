#include "FolderStat.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

QString withoutTrailingSeparators(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

} // namespace

bool FolderStat::read(const QString &path, Identity *identity, Stamp *stamp)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        *identity = Identity();
        *stamp = Stamp();
        return false;
    }
    *identity = { qint64(info.st_dev), qint64(info.st_ino) };
    *stamp = { nanoseconds(info.st_mtim), qint64(info.st_size), qint64(info.st_ino) };
    return true;
}

FolderStat::Stamp FolderStat::stampOf(const QString &path)
{
    Identity identity;
    Stamp stamp;
    read(path, &identity, &stamp);
    return stamp;
}

QString FolderStat::parentOf(const QString &path)
{
    return QFileInfo(withoutTrailingSeparators(path)).path();
}

QByteArray FolderStat::encodedNameOf(const QString &path)
{
    return QFile::encodeName(QFileInfo(withoutTrailingSeparators(path)).fileName());
}
