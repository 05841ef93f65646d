#pragma once

#include <QString>

// The compose window's clock: the system's short time and date texts.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QString shortTime() const = 0;
    virtual QString shortDate() const = 0;
};

// The system clock, formatted with the system locale's short formats.
class SystemClock : public Clock
{
public:
    QString shortTime() const override;
    QString shortDate() const override;
};
