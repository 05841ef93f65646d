#include "TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempFolder::TempFolder() = default;

QString TempFolder::file(const QString &name) const
{
    return m_dir.path() + QLatin1Char('/') + name;
}

void TempFolder::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempFolder::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TempFolder::exists(const QString &name) const
{
    return QFileInfo::exists(file(name)) || QFileInfo(file(name)).isSymLink();
}

void TempFolder::makeFolder(const QString &name) const
{
    QDir().mkpath(file(name));
}
