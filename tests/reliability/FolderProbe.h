#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Looks at folders below the store's own functions, with plain system calls, so the tests do
// not check the code under test with itself.
namespace FolderProbe {

// Every entry of folder except "." and "..", as raw names.
QList<QByteArray> entries(const QString &folder);

// How many entries start with the store's temporary prefix.
int temporaryCount(const QString &folder);

// Every entry below root (links not followed), with its type, size, mode and a hash of its
// content or link target: comparing two snapshots shows anything created, changed or removed.
QMap<QString, QString> snapshot(const QString &root);

// The paths that differ between two snapshots.
QStringList differences(const QMap<QString, QString> &before, const QMap<QString, QString> &after);

// The bytes of a regular file read without the store, or a null array when it cannot be read.
QByteArray rawRead(const QString &path);

// Creates a symbolic link (target may be anything, even missing); false on failure.
bool plantLink(const QString &target, const QString &linkPath);

} // namespace FolderProbe
