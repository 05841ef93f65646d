#pragma once

#include "FakeClock.h"
#include "FakeDialogs.h"
#include "FakeNotifier.h"
#include "FakeShellLink.h"
#include "FakeTrayHost.h"
#include "core/Platform.h"

// Every desktop service as a fake, bundled for AppState.
class TestPlatform
{
public:
    TestPlatform();
    Platform &platform() { return m_platform; }

    FakeDialogs dialogs;
    FakeTrayHost tray;
    FakeShellLink shellLink;
    FakeClock clock;
    FakeNotifier notifier;

private:
    Platform m_platform;
};
