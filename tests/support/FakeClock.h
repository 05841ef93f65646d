#pragma once

#include "desktop/Clock.h"

// A clock that shows whatever the test sets.
class FakeClock : public Clock
{
public:
    QString shortTime() const override { return time; }
    QString shortDate() const override { return date; }

    QString time = QStringLiteral("10:15");
    QString date = QStringLiteral("08/12/2026");
};
