#pragma once

#include <QString>

// Puts a shortcut to the program where the desktop starts programs at sign-in.
class ShellLink
{
public:
    virtual ~ShellLink() = default;
    // folder "StartUp" means the autostart folder. Replaces an existing link of that name.
    // Returns false when the link could not be written (also for a name holding a separator
    // or a control character).
    virtual bool fCreateShellLink(const QString &folder, const QString &link, const QString &target,
                                  const QString &arguments)
        = 0;
};

// The switch-off the desktop's autostart settings write into an entry.
struct AutostartSwitches
{
    bool hidden = false;
    bool gnomeDisabled = false;
};

// On Linux: an XDG autostart entry $XDG_CONFIG_HOME/autostart/<link>.desktop (falling back to
// ~/.config), with the target and each word of the arguments quoted by the desktop-entry
// rules.
class XdgShellLink : public ShellLink
{
public:
    bool fCreateShellLink(const QString &folder, const QString &link, const QString &target,
                          const QString &arguments) override;

    static QString autostartFolder();
    using Switches = AutostartSwitches;
    static Switches switchesOf(const QByteArray &entry);

    // The entry's text, clean under desktop-file-validate.
    static QString desktopEntry(const QString &link, const QString &target,
                                const QString &arguments, Switches switches = {});
    // Quotes a value for Exec= by the desktop-entry rules.
    static QString quoteExecArgument(const QString &argument);
};
