#include "FolderProbe.h"

#include "fs/SafeFile.h"

#include <QCryptographicHash>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FolderProbe {

QList<QByteArray> entries(const QString &folder)
{
    QList<QByteArray> names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

int temporaryCount(const QString &folder)
{
    int count = 0;
    for (const QByteArray &name : entries(folder))
        count += name.startsWith(SafeFile::TemporaryPrefix) ? 1 : 0;
    return count;
}

namespace {

void walk(const QByteArray &path, const QString &shown, QMap<QString, QString> *out)
{
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return;
    QString entry = QStringLiteral("mode %1 size %2").arg(info.st_mode, 0, 8).arg(info.st_size);
    if (S_ISLNK(info.st_mode)) {
        char target[4096];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        entry
            += QStringLiteral(" link ") + QString::fromLocal8Bit(target, qMax<ssize_t>(0, length));
    } else if (S_ISREG(info.st_mode)) {
        QFile file(QFile::decodeName(path));
        if (file.open(QIODevice::ReadOnly)) {
            QCryptographicHash hash(QCryptographicHash::Sha1);
            hash.addData(&file);
            entry += QStringLiteral(" sha1 ") + QString::fromLatin1(hash.result().toHex());
        }
    }
    out->insert(shown, entry);
    if (!S_ISDIR(info.st_mode))
        return;
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return;
    QList<QByteArray> names;
    while (const dirent *child = ::readdir(dir)) {
        const QByteArray name(child->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    for (const QByteArray &name : names)
        walk(path + '/' + name,
             shown + QLatin1Char('/') + QString::fromLatin1(name.toPercentEncoding("/ ")), out);
}

} // namespace

QMap<QString, QString> snapshot(const QString &root)
{
    QMap<QString, QString> out;
    walk(QFile::encodeName(root), QStringLiteral("."), &out);
    return out;
}

QStringList differences(const QMap<QString, QString> &before, const QMap<QString, QString> &after)
{
    QStringList changed;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key()))
            changed << QStringLiteral("removed ") + it.key();
        else if (after.value(it.key()) != it.value())
            changed << QStringLiteral("changed ") + it.key();
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            changed << QStringLiteral("created ") + it.key();
    }
    return changed;
}

QByteArray rawRead(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes = file.readAll();
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}

bool plantLink(const QString &target, const QString &linkPath)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(linkPath).constData())
        == 0;
}

} // namespace FolderProbe
