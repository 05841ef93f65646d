#include "NamedMessage.h"

#include "MessageFileName.h"
#include "Store.h"
#include "fs/CaseRule.h"
#include "fs/PathFunctions.h"

#include <QFile>

#include <sys/stat.h>

namespace Store {

StoreResult namedMessagePath(const QString &folder, const QString &typedName,
                             const QString &slotCode, QString *path)
{
    path->clear();
    if (isUnsafeMessageName(typedName))
        return StoreResult::failure(StoreResult::Error::InvalidName, typedName);
    *path = AddBackslash(folder) + completeMessageName(typedName, slotCode);
    return StoreResult::success();
}

StoreResult writeNamedMessage(const QString &folder, const QString &typedName,
                              const QString &slotCode, const QString &text)
{
    QString path;
    const StoreResult named = namedMessagePath(folder, typedName, slotCode, &path);
    return named.ok() ? writeWholeText(path, text) : named;
}

StoreResult writeNewNamedMessage(const QString &folder, const QString &typedName,
                                 const QString &slotCode, const QString &text, QString *writtenPath)
{
    writtenPath->clear();
    QString path;
    const StoreResult named = namedMessagePath(folder, typedName, slotCode, &path);
    return named.ok() ? writeNewWholeText(path, text, writtenPath) : named;
}

StoreResult renameToNamedMessage(const QString &sourcePath, const QString &folder,
                                 const QString &typedName, const QString &slotCode,
                                 bool *readFailed)
{
    if (readFailed)
        *readFailed = false;
    QString destination;
    const StoreResult named = namedMessagePath(folder, typedName, slotCode, &destination);
    if (!named.ok())
        return named;
    if (sameFile(sourcePath, destination))
        return StoreResult::success();
    return renameMessage(sourcePath, destination, readFailed);
}

bool sameFile(const QString &first, const QString &second)
{
    struct stat a;
    struct stat b;
    if (::lstat(QFile::encodeName(first).constData(), &a) != 0
        || ::lstat(QFile::encodeName(second).constData(), &b) != 0 || a.st_dev != b.st_dev)
        return false;
    if (a.st_ino == b.st_ino)
        return true;
    // A FUSE share may number one file differently under two spellings of its name.
    const QString folder = first.left(first.size() - FileNamePart(first).size());
    return folder == second.left(second.size() - FileNamePart(second).size())
        && first.compare(second, Qt::CaseInsensitive) == 0 && CaseRule::ignoresCase(folder);
}

} // namespace Store
