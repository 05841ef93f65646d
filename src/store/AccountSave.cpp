#include "AccountSave.h"

#include "SlotTable.h"
#include "Store.h"
#include "fs/PathFunctions.h"

QString AccountFile::fileName() const
{
    switch (kind) {
    case Kind::Password:
        return slot->passwordFile;
    case Kind::UserName:
        return slot->userNameFile;
    case Kind::FullName:
        break;
    }
    return slot->fullNameFile;
}

namespace AccountSave {

QList<AccountFile> order()
{
    using Kind = AccountFile::Kind;
    QList<AccountFile> files;
    for (const Slot &slot : SlotTable::all()) {
        if (slot.passwordFile.isEmpty()) {
            files.append({ &slot, Kind::UserName });
            files.append({ &slot, Kind::FullName });
            continue;
        }
        files.append({ &slot, Kind::Password });
        files.append({ &slot, Kind::UserName });
        files.append({ &slot, Kind::FullName });
    }
    return files;
}

QList<Failure> save(const QString &dataFolder,
                    const std::function<QString(const AccountFile &)> &valueOf)
{
    QList<Failure> failures;
    for (const AccountFile &file : order()) {
        const QString value = valueOf(file);
        if (value.isEmpty())
            continue;
        const StoreResult result
            = Store::writeSingleValue(AddBackslash(dataFolder) + file.fileName(), value);
        if (!result.ok())
            failures.append({ file, result });
    }
    return failures;
}

} // namespace AccountSave
