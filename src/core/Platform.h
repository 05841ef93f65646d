#pragma once

class Dialogs;
class TrayHost;
class ShellLink;
class Clock;
class Notifier;

// The desktop services the windows use, injected so tests can replace each with a fake.
struct Platform
{
    Dialogs &dialogs;
    TrayHost &tray;
    ShellLink &shellLink;
    Clock &clock;
    Notifier &notifier;
};
