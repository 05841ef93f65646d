#pragma once

#include "desktop/Glint.h"

#include <QList>
#include <QPointer>

// A tray that records which icons are in it. Offscreen has no real tray.
class FakeGlint : public Glint
{
    Q_OBJECT
public:
    using Glint::Glint;
    int applyCount = 0;

protected:
    void apply() override { ++applyCount; }
};

class FakeTrayHost : public TrayHost
{
public:
    Glint *createGlint(QObject *parent) override;
    bool isSystemTrayAvailable() const override { return available; }

    // A tray coming or going, as the real host reports it.
    void setAvailable(bool on)
    {
        available = on;
        if (availabilityChanged)
            availabilityChanged(on);
    }

    bool available = true;
    QList<QPointer<FakeGlint>> created;
};
