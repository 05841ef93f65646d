#pragma once

#include "Clock.h"
#include "DBusNotifier.h"
#include "QtDialogs.h"
#include "QtTrayHost.h"
#include "ShellLink.h"
#include "core/Platform.h"

// The real desktop services.
class QtPlatform
{
public:
    QtPlatform();
    Platform &platform() { return m_platform; }

private:
    QtDialogs m_dialogs;
    QtTrayHost m_tray;
    XdgShellLink m_shellLink;
    SystemClock m_clock;
    DBusNotifier m_notifier;
    Platform m_platform;
};
