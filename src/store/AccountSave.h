#pragma once

#include "StoreResult.h"

#include <QList>
#include <QString>

#include <functional>

struct Slot;

// One account file, as the account window saves it.
struct AccountFile
{
    enum class Kind { Password, UserName, FullName };

    const Slot *slot;
    Kind kind;

    QString fileName() const;
};

// The save pass of the account window: which files, in which order, and what a failure does.
namespace AccountSave {

// The fixed order: the default user's user name and full name (it has no password), then for
// User 1..6 the password, the user name and the full name.
QList<AccountFile> order();

struct Failure
{
    AccountFile file;
    StoreResult result;
};

// Writes, in order, the value valueOf gives each file (single-value write into dataFolder).
// An empty value leaves its file as it is. A failed write does not stop the pass, so every
// other value still reaches its file; the failures come back in order.
QList<Failure> save(const QString &dataFolder,
                    const std::function<QString(const AccountFile &)> &valueOf);

} // namespace AccountSave
