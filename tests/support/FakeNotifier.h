#pragma once

#include "desktop/Notifier.h"

#include <QStringList>

// Records every notification asked for: "title|body" for one shown, "withdrawn" for one
// taken away.
class FakeNotifier : public Notifier
{
    Q_OBJECT
public:
    using Notifier::Notifier;

    void notify(const QString &title, const QString &body) override
    {
        calls.append(title + QLatin1Char('|') + body);
    }
    void withdraw() override { calls.append(QStringLiteral("withdrawn")); }

    QStringList calls;
};
