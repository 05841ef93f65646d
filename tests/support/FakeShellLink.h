#pragma once

#include "desktop/ShellLink.h"

#include <QList>
#include <QStringList>

// Records every shortcut asked for.
class FakeShellLink : public ShellLink
{
public:
    bool fCreateShellLink(const QString &folder, const QString &link, const QString &target,
                          const QString &arguments) override
    {
        calls.append(QStringList { folder, link, target, arguments });
        return result;
    }

    QList<QStringList> calls;
    bool result = true;
};
