#include "NewMessageFile.h"

#include "Store.h"
#include "fs/PathFunctions.h"
#include "fs/SafeFile.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace Store {

namespace {

// As many as a move's put-back tries; beyond it the folder is full of copies anyway.
constexpr int MaxAlternatives = 100;

QString candidate(const QString &fileName, int n)
{
    if (n < 2)
        return fileName;
    return QFile::decodeName(SafeFile::alternativeName(QFile::encodeName(fileName), n));
}

bool taken(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 || errno != ENOENT;
}

} // namespace

QString freeMessageName(const QString &folder, const QString &fileName)
{
    for (int n = 1; n < MaxAlternatives; ++n) {
        const QString name = candidate(fileName, n);
        if (!taken(AddBackslash(folder) + name))
            return name;
    }
    return fileName;
}

StoreResult writeNewMessage(const QString &folder, const QString &fileName, const QString &text,
                            QString *writtenName)
{
    writtenName->clear();
    QString writtenPath;
    const StoreResult result
        = writeNewWholeText(AddBackslash(folder) + fileName, text, &writtenPath);
    if (result.ok())
        *writtenName = writtenPath.mid(writtenPath.lastIndexOf(QLatin1Char('/')) + 1);
    return result;
}

} // namespace Store
